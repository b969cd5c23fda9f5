#!/usr/bin/env python3
"""The installer run under Wine: extraction, the engine's command line, its
exit code, the completion atom, the last dialog, hidden runs and the move to
a roomier drive."""
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import installer_kit as kit  # noqa: E402
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as zgui  # noqa: E402


class InstallerRun(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('installer_run')
        cls.payload = os.path.join(cls.folder, 'payload')
        cls.files = kit.make_payload(cls.payload)

    def installer(self, name, *options, tail=''):
        folder = os.path.join(self.folder, name)
        os.makedirs(folder)
        exe = os.path.join(folder, 'setup.exe')
        kit.build_installer(exe, self.payload, *options, tail=tail)
        return folder, exe

    def test_files_arrive_whole_and_the_engine_gets_its_command_line(self):
        folder, exe = self.installer('main', tail='/InstallTo="%s"' % z.win_path(
            os.path.join(self.folder, 'main', 'installed')))
        blocks = z.pack('inspect', '--blocks', exe)
        self.assertIn(' stored ', blocks)
        self.assertIn(' zlib ', blocks)
        self.assertGreater(blocks.count('name="bin\\\\large.bin"'), 1, 'large.bin is split')

        record = os.path.join(folder, 'engine.rec')
        with z.TraceViewer(folder) as viewer:
            status = kit.run_raw('"%s" /Custom=1' % z.win_path(exe),
                                 kit.engine_env(record, exit_code=7))
        self.assertEqual(status, 7)

        command_line = kit.record_value(record, 'commandline')
        module = kit.record_value(record, 'module')
        setup_folder = module[:module.rindex('\\')]
        self.assertRegex(setup_folder, r'\\SETUP_\d+$')
        self.assertEqual(
            re.sub(r'/TH_ID=_\d+', '/TH_ID=_N', command_line),
            '%s\\setup.exe /Custom=1 /InstallTo="%s" /TH_ID=_N /OriginExe="%s"' %
            (setup_folder, z.win_path(os.path.join(folder, 'installed')), z.win_path(exe)))
        self.assertEqual(kit.record_value(record, 'show'), '5')  # shown
        self.assertFalse(os.path.exists(kit.unix_path(setup_folder)), 'setup folder removed')

        installed = os.path.join(folder, 'installed')
        for name, data in self.files.items():
            path = os.path.join(installed, *name.split('\\'))
            with open(path, 'rb') as f:
                self.assertEqual(f.read(), data, name)
            source = os.path.join(self.payload, *name.split('\\'))
            self.assertEqual(int(os.path.getmtime(path)), int(os.path.getmtime(source)), name)

        text = viewer.text()
        self.assertIn('FileInfo.FilesCount=%d' % (len(self.files) + 1), text)
        self.assertRegex(text, r'UnCompressTime: \d+ MS')
        self.assertIn('========= ForegroundOp=TRUE ==========', text)
        self.assertIn(' ==== WinExec(Setup.exe) >>', text)

    def test_spanned_switches_are_removed_and_origin_is_passed_once(self):
        folder, exe = self.installer('switches', tail='/Quiet')
        record = os.path.join(folder, 'engine.rec')
        status = kit.run_raw(
            '"%s" /SpanCdLvl=3 /SpanDiskFName1="%s" /OriginExe="C:\\A B\\orig.exe" /hide' %
            (z.win_path(exe), z.win_path(exe)), kit.engine_env(record))
        self.assertEqual(status, 0)
        command_line = re.sub(r'/TH_ID=_\d+', '/TH_ID=_N', kit.record_value(record, 'commandline'))
        self.assertTrue(command_line.endswith(
            '\\setup.exe /OriginExe="C:\\A B\\orig.exe" /hide /Quiet /TH_ID=_N'), command_line)
        self.assertEqual(kit.record_value(record, 'show'), '0')  # hidden

    def test_hidden_setup_item_runs_without_question_or_window(self):
        folder, exe = self.installer('hidden', '--hidden-setup', '--ask-before-extract')
        record = os.path.join(folder, 'engine.rec')
        self.assertEqual(kit.run_raw('"%s"' % z.win_path(exe), kit.engine_env(record, 3)), 3)
        self.assertEqual(kit.record_value(record, 'show'), '0')

    def test_completion_atom_decides_whether_shortcuts_are_removed(self):
        for completes in (True, False):
            with self.subTest(completes=completes):
                folder, exe = self.installer('atom-%s' % completes)
                start_up = os.path.join(folder, 'StartUp.lnk')
                check = os.path.join(folder, 'Check.lnk')
                for path in (start_up, check):
                    open(path, 'w').close()
                # The installed and downloaded update descriptors beside the
                # program: ".original" and ".info" for a package without agent.
                with open(os.path.join(folder, '.original'), 'w') as f:
                    f.write('[UnInstall]\r\nStartUpLink=%s\r\nCheckforNewUpdateLink=%s\r\n' %
                            (z.win_path(start_up), z.win_path(check)))
                with open(os.path.join(folder, '.info'), 'w') as f:
                    f.write('[NewSetup]\r\nRemoveStartUpShortcut=1\r\n'
                            'RemoveCheckForNewUpdateShortcut=0\r\n')
                record = os.path.join(folder, 'engine.rec')
                env = kit.engine_env(record, complete=1 if completes else 0)
                self.assertEqual(kit.run_raw('"%s" /hide' % z.win_path(exe), env), 0)
                self.assertEqual(kit.record_value(record, 'atom'),
                                 'deleted' if completes else None)
                self.assertEqual(os.path.exists(start_up), not completes)
                self.assertTrue(os.path.exists(check))

    def test_the_engines_last_dialog_keeps_the_installer_waiting(self):
        folder, exe = self.installer('dialog')
        record = os.path.join(folder, 'engine.rec')
        env = kit.engine_env(record, dialog_ms=2500)
        self.assertEqual(kit.run_raw('"%s" /hide' % z.win_path(exe), env), 0)
        # The dialog outlived the engine process; the installer ended after it.
        events = [k + '=' + v for k, v in kit.read_record(record)]
        self.assertLess(events.index('exit=0'), events.index('dialog=closed'))

    def test_a_window_shown_after_a_hidden_extraction_shows_every_step(self):
        folder, exe = self.installer('bars')
        record = os.path.join(folder, 'engine.rec')
        window_class = z.win_path(exe)

        def helper(command):
            status, pairs = zgui.run_gui_helper(command, window_class)
            self.assertEqual(status, 0, command)
            return [value for name, value in pairs if name == 'bar']

        run = z.start(exe, '/hide', env=kit.engine_env(record, sleep_ms=8000))
        try:
            # The engine runs: the extraction is over, the window stays hidden.
            self.assertTrue(z.wait_until(lambda: kit.record_value(record, 'commandline')))
            helper('show')
            # One step per file (the engine too); the activity bar cycles
            # through 1..5 and 0.
            files = len(self.files) + 1
            self.assertEqual(helper('bars'), ['%d %d' % (files, files), '%d 5' % (files % 6)])
        finally:
            self.assertEqual(run.wait(timeout=60), 0)

    def test_a_short_temp_drive_moves_the_extraction_to_a_roomier_one(self):
        small = os.path.join(self.folder, 'small-temp')
        os.makedirs(small)
        if subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=1m', 'tmpfs', small],
                          capture_output=True).returncode != 0:
            self.skipTest('cannot mount a small file system here')
        try:
            # The package says it needs 64 MB: more than the 1 MB temp drive.
            folder, exe = self.installer('alt-temp', '--space-table', ','.join(['67108864'] * 9))
            record = os.path.join(folder, 'engine.rec')
            status = kit.run_raw('"%s" /hide' % z.win_path(exe), kit.engine_env(record),
                                 temp=z.win_path(small))
            self.assertEqual(status, 0)
            module = kit.record_value(record, 'module')
            self.assertRegex(module, r'^C:\\TEMP(\\TEMP)?_\d+\\setup\.exe$')
            self.assertFalse(os.path.exists(kit.unix_path(module[:module.rindex('\\')])))
        finally:
            subprocess.run(['umount', small])


if __name__ == '__main__':
    z.main()
