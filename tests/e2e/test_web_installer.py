#!/usr/bin/env python3
"""The web installer under Wine against a server of ours on 127.0.0.1: it
downloads the full installer (or takes the one beside it), checks its token,
runs it and deletes what it downloaded; resumes a dropped download; refuses
another publisher's file, HTML error pages and answers without a length;
asks before downloading when told to."""
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import installer_kit as kit  # noqa: E402
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as gui  # noqa: E402
from http_server import TestServer  # noqa: E402

TOKEN = 'publisher-one'
FULL = 'full.exe'


class WebInstaller(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('web_installer')
        cls.desktop = gui.Desktop('zk-web')
        payload = os.path.join(cls.folder, 'payload')
        kit.make_payload(payload)
        cls.served = os.path.join(cls.folder, 'served')
        os.makedirs(cls.served)
        cls.full = os.path.join(cls.served, FULL)
        kit.build_installer(cls.full, payload, '--web-token-text', TOKEN)
        cls.foreign = os.path.join(cls.served, 'foreign.exe')
        kit.build_installer(cls.foreign, payload, '--web-token-text', 'publisher-two')
        cls.server = TestServer(cls.served, cls.folder)
        with open(os.path.join(cls.served, 'page.exe'), 'wb') as f:
            f.write(b'<html><head><title>404 Not Found</title></head>'
                    b'<body><h1>Not Found</h1></body></html>')

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.server.clear_log()
        self.target = kit.unix_path('C:\\users\\%s\\Temp\\%s' % (os.environ.get('USER', 'root'),
                                                                 FULL))
        for leftover in [p for p in os.listdir(os.path.dirname(self.target))
                         if p.startswith(FULL)]:
            os.remove(os.path.join(os.path.dirname(self.target), leftover))

    def web_installer(self, name, setup_name=FULL, *options):
        folder = os.path.join(self.folder, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        exe = os.path.join(folder, self.desktop.installer)
        z.pack('build', '--stub', z.STUB, '--out', exe, '--web-installer',
               '--web-base-url', self.server.url().rstrip('/'), '--web-setup-name', setup_name,
               '--web-setup-size', str(os.path.getsize(self.full)), '--web-token-text', TOKEN,
               *options)
        return folder, exe

    def run_installer(self, exe, folder, answer_box=None, engine_exit=7):
        """Runs it; `answer_box`(texts) answers a box that must come up.
        Returns (exit status, the engine's record or None)."""
        record = os.path.join(folder, 'engine.rec')
        with gui.Installer(self.desktop, exe, record, engine_exit=engine_exit) as run:
            if answer_box:
                answer_box(run.wait_for_box())
            status = run.wait()
            return status, run.engine_lines()

    def refused_with(self, expected):
        def answer(texts):
            self.assertIn(expected, texts['text'])
            self.desktop.press(gui.BOX, 'OK')
        return answer

    def test_downloads_checks_runs_and_deletes_the_full_installer(self):
        folder, exe = self.web_installer('download')
        status, engine = self.run_installer(exe, folder)
        self.assertEqual(status, 7)
        self.assertTrue(engine)
        self.assertTrue(any('/OriginExe="%s"' % z.win_path(exe) in line for line in engine))
        requests = self.server.requests('/' + FULL)
        self.assertTrue(requests)
        self.assertEqual({(r['status'], r['range']) for r in requests}, {(200, None)})
        self.assertFalse(os.path.exists(self.target), 'the downloaded file is deleted')

    def test_the_full_installer_beside_it_is_used_and_kept(self):
        folder, exe = self.web_installer('local')
        shutil.copyfile(self.full, os.path.join(folder, FULL))
        status, engine = self.run_installer(exe, folder)
        self.assertEqual(status, 7)
        self.assertTrue(engine)
        self.assertEqual(self.server.requests(), [])
        self.assertTrue(os.path.exists(os.path.join(folder, FULL)))

    def test_refused_downloads_run_nothing(self):
        cases = [
            ('foreign.exe', {}, 'Bad Secret Token!'),
            ('page.exe', {}, '404 File Not Found'),
            (FULL, {'no_length': True}, 'File Not Found !'),
        ]
        for setup_name, options, message in cases:
            with self.subTest(setup_name=setup_name, options=options):
                self.server.configure('/' + setup_name, **options)
                folder, exe = self.web_installer('refused-' + setup_name, setup_name)
                status, engine = self.run_installer(exe, folder, self.refused_with(message))
                self.server.configure('/' + setup_name)
                self.assertEqual(status, z.exit_status(z.SETUP_FAILED))
                self.assertIsNone(engine)

    def test_the_size_question_can_decline_the_download(self):
        folder, exe = self.web_installer('confirm', FULL, '--confirm-download')
        megabytes = '%.3f' % (os.path.getsize(self.full) / 1048576.0)

        def decline(texts):
            self.assertIn('INTERNET DOWNLOAD', texts['text'])
            self.assertIn('Size: %s MB' % megabytes, texts['text'])
            self.desktop.press(gui.BOX, 'No')
        status, engine = self.run_installer(exe, folder, decline)
        self.assertEqual(status, z.exit_status(z.USER_CANCELLED))
        self.assertIsNone(engine)
        self.assertEqual(self.server.requests('/' + FULL), [])

    def test_a_dropped_download_resumes_with_a_range_request(self):
        folder, exe = self.web_installer('resume')
        size = os.path.getsize(self.full)
        self.server.configure('/' + FULL, cut_after=size // 2)
        status, engine = self.run_installer(
            exe, folder, self.refused_with('Unable to open Internet Connection'))
        self.assertEqual(status, z.exit_status(z.SETUP_FAILED))
        self.assertIsNone(engine)
        partial = [p for p in os.listdir(os.path.dirname(self.target)) if p.startswith(FULL + '.')]
        self.assertEqual(len(partial), 1, 'the partial file stays for a later run')

        self.server.configure('/' + FULL)
        self.server.clear_log()
        status, engine = self.run_installer(exe, folder)
        self.assertEqual(status, 7)
        self.assertTrue(engine)
        ranges = [r['range'] for r in self.server.requests('/' + FULL)]
        self.assertIn('bytes=%d-' % (size // 2), ranges)


if __name__ == '__main__':
    z.main()
