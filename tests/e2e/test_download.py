#!/usr/bin/env python3
"""The HTTP download under Wine against a server of ours on 127.0.0.1: whole
files, resuming after a dropped connection with a Range request, restarts
when the file changed or the server does not continue where asked, HTML
error pages, a missing Content-Length, and the abort flag."""
import glob
import os
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as zgui  # noqa: E402
from http_server import TestServer  # noqa: E402

PROBE = z.testkit('download_probe')
# 14 November 2023 22:13:20 GMT, and a later date for "the file changed".
STAMP = 1700000000
LATER_STAMP = 1700003600
SIZE = 200000


def pattern(size, seed=0):
    """The bytes of the served files: every value, NULs included."""
    return bytes(((i * 31 + i // 251 + seed) & 0xFF) for i in range(size))


def dos_date_time(unix_seconds):
    """Last-Modified as WinINet hands it over (GMT fields), in DOS form."""
    t = time.gmtime(unix_seconds)
    date = ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday
    return (date << 16) | (t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec // 2)


def partial_name(target, size, unix_seconds):
    total = (size + dos_date_time(unix_seconds)) & 0xFFFFFFFF
    return '%s.%d' % (target, total - (1 << 32) if total >= 1 << 31 else total)


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def not_found_text(url):
    return ('<B>404 File Not Found...</B><P><P>URL:  %s.<P><P>Please make sure the file is '
            'available and access is allowed to this file.' % url)


class Download(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.served = z.work_dir('download_served')
        cls.server = TestServer(cls.served, z.work_dir('download_server'))

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.folder = z.work_dir('download_' + self._testMethodName)

    def serve(self, name, data, stamp=STAMP, **options):
        with open(os.path.join(self.served, name), 'wb') as f:
            f.write(data)
        self.server.configure(name, last_modified=stamp, **options)
        return self.server.url(name)

    def probe(self, url, target, timeout=60):
        """Runs one download; returns (exit code, result fields)."""
        result = os.path.join(self.folder, 'result.txt')
        if os.path.exists(result):
            os.remove(result)
        code = z.run(PROBE, z.win_path(result), url, z.win_path(target) if target else '',
                     timeout=timeout)
        return code, self.fields(result)

    @staticmethod
    def fields(result):
        with open(result, 'rb') as f:
            lines = f.read().decode('latin-1').split('\r\n')
        return dict(line.split('=', 1) for line in lines if '=' in line)

    def leftovers(self, target):
        return sorted(os.path.basename(p) for p in glob.glob(glob.escape(target) + '.*'))

    def test_whole_file_into_a_file_and_into_memory(self):
        data = pattern(SIZE)
        url = self.serve('whole.bin', data)
        target = os.path.join(self.folder, 'whole.bin')
        code, result = self.probe(url, target)
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(target), data)
        self.assertEqual(self.leftovers(target), [])
        # 10,240 bytes per read: 19.5 chunks round to 20, plus 1.
        self.assertEqual(result['setup'], '21 0 1')
        self.assertEqual(result['setuptext'], '0/200000 Bytes   ')
        self.assertEqual(result['steps'], '20')
        requests = self.server.requests('whole.bin')
        self.assertEqual([(r['agent'], r['range']) for r in requests],
                         [('HTTP_Connect_2', None), ('HTTP_Connect_3', None)])

        self.server.clear_log()
        code, result = self.probe(url, '')
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(os.path.join(self.folder, 'result.txt.content')), data)

    def test_files_under_ten_bytes(self):
        url = self.serve('tiny.bin', pattern(7))
        target = os.path.join(self.folder, 'tiny.bin')
        code, result = self.probe(url, target)
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(target), pattern(7))
        self.assertEqual((result['setup'], result['steps']), ('8 0 1', '7'))

    def test_dropped_connection_is_resumed_with_a_range_request(self):
        data = pattern(SIZE)
        url = self.serve('cut.bin', data, cut_after=SIZE // 2)
        target = os.path.join(self.folder, 'cut.bin')
        with open(target, 'wb') as f:
            f.write(b'the version installed before')
        code, result = self.probe(url, target)
        # A transfer that ends early reports nothing; the target stays as it was.
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(target), b'the version installed before')
        partial = partial_name(target, SIZE, STAMP)
        self.assertEqual(self.leftovers(target), [os.path.basename(partial)])
        self.assertEqual(read(partial), data[:SIZE // 2])

        self.serve('cut.bin', data)
        self.server.clear_log()
        code, result = self.probe(url, target)
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(target), data)
        self.assertEqual(self.leftovers(target), [])
        ranged = [r for r in self.server.requests('cut.bin') if r['range']]
        self.assertEqual([(r['range'], r['status']) for r in ranged],
                         [('bytes=100000-', 206)])
        # The bar starts at the resumed share: 9.77 chunks round to 10.
        self.assertEqual(result['setup'], '21 10 1')
        self.assertEqual(result['setuptext'], '100000/200000 Bytes   ')

    def test_changed_file_starts_again_and_removes_the_stale_partial(self):
        data = pattern(SIZE)
        cases = [('changed-date.bin', data, LATER_STAMP),
                 ('changed-size.bin', pattern(SIZE - 5000, seed=3), STAMP)]
        for name, new_data, new_stamp in cases:
            with self.subTest(name=name):
                url = self.serve(name, data, cut_after=SIZE // 2)
                target = os.path.join(self.folder, name)
                self.assertEqual(self.probe(url, target)[0], 0)
                stale = partial_name(target, SIZE, STAMP)
                self.assertTrue(os.path.exists(stale))

                self.serve(name, new_data, stamp=new_stamp)
                self.server.clear_log()
                code, result = self.probe(url, target)
                self.assertEqual((code, result['error']), (0, ''))
                self.assertEqual(read(target), new_data)
                self.assertEqual(self.leftovers(target), [])
                self.assertEqual([r['range'] for r in self.server.requests(name)], [None, None])
                self.assertEqual(result['setuptext'], '0/%d Bytes   ' % len(new_data))

    def test_answer_that_does_not_continue_the_partial_file_starts_again(self):
        data = pattern(SIZE)
        cases = [('ignores-range.bin', {'ignore_range': True}, 200),
                 ('shifts-range.bin', {'range_shift': 1000}, 206)]
        for name, options, ranged_status in cases:
            with self.subTest(name=name):
                url = self.serve(name, data, cut_after=SIZE // 2)
                target = os.path.join(self.folder, name)
                self.assertEqual(self.probe(url, target)[0], 0)

                self.serve(name, data, **options)
                self.server.clear_log()
                code, result = self.probe(url, target)
                self.assertEqual((code, result['error']), (0, ''))
                self.assertEqual(read(target), data)
                self.assertEqual(self.leftovers(target), [])
                ranged = [r for r in self.server.requests(name) if r['range']]
                self.assertEqual([(r['range'], r['status']) for r in ranged],
                                 [('bytes=100000-', ranged_status)])
                self.assertEqual(result['setuptext'], '0/200000 Bytes   ')

    def test_html_error_page_is_detected(self):
        self.serve('soft404.bin', pattern(5000), not_found_page=True, status=200)
        cases = [('missing.exe', 'a 404 answer'), ('soft404.bin', 'a page with status 200')]
        for name, what in cases:
            with self.subTest(what=what):
                url = self.server.url(name)
                target = os.path.join(self.folder, name)
                code, result = self.probe(url, target)
                # The page arrives like any file; only the check tells.
                self.assertEqual((code, result['error']), (0, ''))
                self.assertIn(b'<title>404 Not Found</title>', read(target))
                self.assertEqual(result['page404'], not_found_text(url))
        code, result = self.probe(self.serve('fine.bin', pattern(5000)),
                                  os.path.join(self.folder, 'fine.bin'))
        self.assertEqual((code, result['error'], result['page404']), (0, '', ''))

    def test_missing_content_length_writes_nothing(self):
        url = self.serve('nolength.bin', pattern(5000), no_length=True)
        target = os.path.join(self.folder, 'nolength.bin')
        code, result = self.probe(url, target)
        self.assertEqual((code, result['error']), (1, url + '<P><P>File Not Found !'))
        self.assertFalse(os.path.exists(target))
        self.assertEqual(self.leftovers(target), [])
        self.assertEqual(result['setup'], '')

    def test_server_that_cannot_be_reached(self):
        with socket.socket() as s:
            s.bind(('127.0.0.1', 0))
            port = s.getsockname()[1]
        url = 'http://127.0.0.1:%d/setup.exe' % port
        code, result = self.probe(url, os.path.join(self.folder, 'setup.exe'))
        self.assertEqual((code, result['error']),
                         (1, 'Unable to open Internet Connection <P>URL: ' + url))

    def test_close_request_aborts_a_slow_download_and_the_next_run_resumes(self):
        data = pattern(SIZE)
        # About ten seconds for the whole file: time enough to close the probe.
        url = self.serve('slow.bin', data, delay=0.1, piece=2048)
        target = os.path.join(self.folder, 'slow.bin')
        partial = partial_name(target, SIZE, STAMP)
        result_file = os.path.join(self.folder, 'result.txt')
        process = z.start(PROBE, z.win_path(result_file), url, z.win_path(target))
        try:
            self.assertTrue(z.wait_until(
                lambda: os.path.exists(partial) and os.path.getsize(partial) >= 2 * 10240))
            # A close request, as the stub window gets one: it raises the flag.
            zgui.run_gui_helper('close', 'ZelkorDownloadProbe')
            self.assertEqual(process.wait(timeout=30), 1)
        finally:
            if process.poll() is None:
                process.kill()
        self.assertEqual(self.fields(result_file)['error'], 'Download Aborted')
        self.assertFalse(os.path.exists(target))
        kept = read(partial)
        self.assertLess(len(kept), SIZE)
        self.assertEqual(kept, data[:len(kept)])

        self.serve('slow.bin', data)
        self.server.clear_log()
        code, result = self.probe(url, target)
        self.assertEqual((code, result['error']), (0, ''))
        self.assertEqual(read(target), data)
        self.assertEqual([r['range'] for r in self.server.requests('slow.bin') if r['range']],
                         ['bytes=%d-' % len(kept)])

    def test_windows_side_download_tests(self):
        for size in (7, 5000):
            self.serve('pattern-%d.bin' % size, pattern(size))
        env = z.wine_env()
        env['ZELKOR_TEST_HTTP_URL'] = self.server.url('').rstrip('/')
        result = subprocess.run(
            [z.WINE, os.path.join(z.WIN_BUILD, 'win_tests.exe'),
             '--gtest_filter=HttpDownloadWinTest.*:Http404PageWin.*'],
            env=env, cwd=self.folder, capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        self.assertNotIn('SKIPPED', result.stdout)


if __name__ == '__main__':
    z.main()
