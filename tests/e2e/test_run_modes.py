#!/usr/bin/env python3
"""The entry under Wine: start and end lines in the trace, the run-mode
choice, the single-instance test and the agent's debug log."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import installer_kit as kit  # noqa: E402
import zelkor_e2e as z  # noqa: E402

AGENT = ['--auto-update-prog', '--agent-name', 'agent.exe']


def build(path, *options):
    z.pack('build', '--stub', z.STUB, '--out', path, *options)
    return path


def run_mode(viewer, pid=None):
    modes = re.findall(r'^(\d+) ==== RunMode=(\w+)$', viewer.text(), re.M)
    return [m for p, m in modes if pid is None or p == pid]


# An installer without files ends without running anything.
NOTHING_TO_RUN = z.exit_status(z.SETUP_FAILED)


class EntryTrace(unittest.TestCase):
    def test_start_and_end_lines_frame_the_run(self):
        folder = z.work_dir('entry_trace')
        setup = build(os.path.join(folder, 'setup.exe'))
        with z.TraceViewer(folder) as viewer:
            self.assertEqual(z.run(setup, '/hide', '/X=a/b'), NOTHING_TO_RUN)
        messages = viewer.messages()
        self.assertTrue(messages)
        self.assertEqual({channel for channel, _ in messages}, {2})
        lines = viewer.lines()
        start = re.match(r'^(\d+) ==== STUB START ====> (.*)<$', lines[0])
        self.assertIsNotNone(start, lines[0])
        pid, command_line = start.groups()
        self.assertTrue(command_line.endswith(' /hide /X=a/b'), command_line)
        self.assertIn('setup.exe', command_line)
        self.assertEqual(lines[1], pid + ' ==== ThisIs_AutoUpdateProg=FALSE')
        self.assertIn(pid + ' ==== RunMode=Setup', lines)
        end = lines.index('%s ==== STUB END ====> %s<' % (pid, command_line))
        # The end line, then an empty line, and nothing after it.
        self.assertEqual(lines[end + 1:], ['', ''])


class RunModeTable(unittest.TestCase):
    def test_installer_and_agent_names(self):
        folder = z.work_dir('run_mode_names')
        cases = [
            ('setup.exe', [], 'Setup', NOTHING_TO_RUN),
            ('agent.exe', AGENT, 'AgentLauncher', 0),
            ('X_agent.exe', AGENT, 'ResidentAgent', None),
            ('other.exe', AGENT, 'Setup', None),
        ]
        for name, options, expected, exit_status in cases:
            with self.subTest(name=name):
                sub = os.path.join(folder, expected + '-' + name)
                os.makedirs(sub)
                exe = build(os.path.join(sub, name), *options)
                with z.TraceViewer(sub) as viewer:
                    process = z.start(exe)
                    if exit_status is None:
                        # An agent stays in its timer loop until it is closed.
                        self.assertTrue(z.wait_until(lambda: run_mode(viewer)))
                        time.sleep(1.5)
                        self.assertIsNone(process.poll(), 'the agent loop ended early')
                        z.close_windows_of(name)
                    self.assertEqual(process.wait(timeout=30), exit_status or 0)
                self.assertEqual(run_mode(viewer), [expected])
                if expected == 'ResidentAgent':
                    # The resident copy removes itself once it has ended.
                    self.assertTrue(z.wait_until(lambda: not os.path.exists(exe)))

    def test_spanned_media_levels(self):
        folder = z.work_dir('run_mode_span')
        cases = [([], 'SpanRelaunch'), (['/SpanCdLvl=1'], 'SpanRelaunch'),
                 (['/SpanCdLvl=abc'], 'SpanRelaunch'), (['/SpanCdLvl=2'], 'Setup')]
        for args, expected in cases:
            with self.subTest(args=args):
                sub = os.path.join(folder, 'level-' + (args[0][11:] if args else 'none'))
                os.makedirs(sub)
                exe = build(os.path.join(sub, 'setup.exe'), '--spanned-media')
                with z.TraceViewer(sub) as viewer:
                    self.assertEqual(z.run(exe, *args),
                                     NOTHING_TO_RUN if expected == 'Setup' else 0)
                self.assertEqual(run_mode(viewer), [expected])

    def test_level_two_copy_removes_itself_and_its_folder(self):
        # Level 2 means "the copy in the temporary folder": also without the
        # spanned-media flag the run ends by removing the copy and its folder.
        folder = z.work_dir('run_mode_span2')
        copy_folder = os.path.join(folder, 'copy')
        os.makedirs(copy_folder)
        exe = build(os.path.join(copy_folder, 'setup.exe'))
        with z.TraceViewer(folder) as viewer:
            self.assertEqual(z.run(exe, '/SpanCdLvl=2'), NOTHING_TO_RUN)
        self.assertEqual(run_mode(viewer), ['Setup'])
        self.assertTrue(z.wait_until(lambda: not os.path.exists(copy_folder)),
                        os.listdir(copy_folder) if os.path.exists(copy_folder) else '')


class SingleInstance(unittest.TestCase):
    def test_second_start_from_the_same_path_does_nothing(self):
        folder = z.work_dir('single_instance')
        payload = os.path.join(folder, 'payload')
        os.makedirs(payload)
        exe = os.path.join(folder, 'setup.exe')
        kit.build_installer(exe, payload)
        record = os.path.join(folder, 'engine.rec')
        # The first installer waits in its message loop for an engine that
        # takes its time.
        env = kit.engine_env(record, sleep_ms=6000)
        with z.TraceViewer(folder) as viewer:
            first = z.start(exe, env=env)
            self.assertTrue(z.wait_until(lambda: kit.record_value(record, 'commandline')))
            self.assertEqual(z.run(exe, '/second', env=env), 0)
            self.assertEqual(first.wait(timeout=60), 0)
        text = viewer.text()
        second = re.search(r'^(\d+) ==== STUB START ====> .*/second<$', text, re.M).group(1)
        self.assertEqual(run_mode(viewer, second), ['AlreadyRunning'])
        second_lines = [l for l in viewer.lines() if l.startswith(second + ' ')]
        self.assertEqual(len(second_lines), 4, second_lines)
        self.assertIn(' ==== STUB START ====> ', second_lines[0])
        self.assertIn(' ==== STUB END ====> ', second_lines[3])
        self.assertEqual([k for k, _ in kit.read_record(record)].count('commandline'), 1)


LOG_LINE = re.compile(r'^\d\d\D\d\d\D\d\d \d\d\D\d\d\D\d\d [ \d]{4}\d+(   | X )(.*)$')


class DebugLog(unittest.TestCase):
    def log_messages(self, path):
        with open(path, 'rb') as f:
            data = f.read().decode('latin-1')
        self.assertTrue(data.endswith('\r\n'))
        lines = data[:-2].split('\r\n')
        parsed = [LOG_LINE.match(line) for line in lines]
        self.assertTrue(all(parsed), lines)
        return [(m.group(1), m.group(2)) for m in parsed]

    def test_agent_with_log_flag_writes_the_log_beside_the_program(self):
        folder = z.work_dir('debug_log')
        exe = build(os.path.join(folder, 'agent.exe'), *AGENT, '--agent-log')
        self.assertEqual(z.run(exe, '/TEST=1'), 0)
        messages = self.log_messages(os.path.join(folder, 'X_agent.log'))
        self.assertEqual({prefix for prefix, _ in messages}, {'   '})
        texts = [t for _, t in messages]
        self.assertEqual(texts[0], '')
        self.assertEqual(texts[1], '=== START === ' + z.win_path(exe))
        self.assertTrue(texts[2].startswith('CommandLine=') and texts[2].endswith(' /TEST=1'))
        self.assertEqual(texts[3:7], ['DoRunStubWin() --- Start', 'X_ExeIsRunning=FALSE',
                                      'ThisIs_Plain_AutoUpdate_Exe=TRUE',
                                      'ThisIs_X_AutoUpdate_Exe=FALSE'])
        self.assertEqual(texts[-3:], ['DoRunStubWin() --- End',
                                      '=== EXIT === ' + z.win_path(exe), ''])

    def test_resident_copy_marks_its_lines(self):
        folder = z.work_dir('debug_log_resident')
        exe = build(os.path.join(folder, 'X_agent.exe'), *AGENT, '--agent-log')
        process = z.start(exe)
        log = os.path.join(folder, 'X_agent.log')
        self.assertTrue(z.wait_until(lambda: os.path.exists(log)))
        time.sleep(1.0)
        z.close_windows_of('X_agent.exe')
        self.assertEqual(process.wait(timeout=30), 0)
        messages = self.log_messages(log)
        self.assertEqual({prefix for prefix, _ in messages}, {' X '})
        texts = [t for _, t in messages]
        for step in ('CheckTestMode', 'WinMain', 'DeleteMySelf'):
            self.assertIn(step, texts)

    def test_no_log_without_the_flag_or_for_an_installer(self):
        folder = z.work_dir('debug_log_off')
        for name, options in (('agent.exe', AGENT), ('setup.exe', ['--agent-log'])):
            exe = build(os.path.join(folder, name), *options)
            z.run(exe)
        self.assertEqual(sorted(os.listdir(folder)), ['agent.exe', 'setup.exe'])


if __name__ == '__main__':
    z.main()
