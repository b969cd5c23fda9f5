#!/usr/bin/env python3
"""The monitor notifications under Wine: a monitor registers with a running
installer's window through "wm_LocalMsg" and hears back the window handle,
the number of the next accepted message, and the end of the message loop."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import installer_kit as kit  # noqa: E402
import zelkor_e2e as z  # noqa: E402


class Monitor:
    """The test kit's monitor window, recording every notification."""

    def __init__(self, folder, stub_class):
        self.out = os.path.join(folder, 'monitor.rec')
        self.stop_file = os.path.join(folder, 'monitor.stop')
        self.stub_class = stub_class

    def __enter__(self):
        for path in (self.out, self.stop_file):
            if os.path.exists(path):
                os.remove(path)
        self.process = z.start(z.testkit('monitor'), self.stub_class, z.win_path(self.out),
                               z.win_path(self.stop_file))
        if not z.wait_until(lambda: os.path.exists(self.out)):
            raise AssertionError('the monitor did not start')
        return self

    def __exit__(self, *exc):
        open(self.stop_file, 'w').close()
        try:
            self.process.wait(timeout=20)
        except Exception:
            self.process.kill()
            raise

    def lines(self):
        with open(self.out, 'rb') as f:
            return [line for line in f.read().decode('latin-1').split('\r\n') if line]


class MonitorNotifications(unittest.TestCase):
    def test_registration_answers_and_loop_end(self):
        folder = z.work_dir('download_monitor')
        payload = os.path.join(folder, 'payload')
        os.makedirs(payload)
        with open(os.path.join(payload, 'readme.txt'), 'w') as f:
            f.write('monitor scenario')
        exe = os.path.join(folder, 'setup.exe')
        kit.build_installer(exe, payload)
        record = os.path.join(folder, 'engine.rec')
        # The engine takes its time, so the installer's loop is still running
        # when the monitor registers.
        env = kit.engine_env(record, sleep_ms=3000)
        # An installer's window class is its program path.
        with Monitor(folder, z.win_path(exe)) as monitor:
            installer = z.start(exe, '/hide', env=env)
            self.assertEqual(installer.wait(timeout=60), 0)
            self.assertTrue(z.wait_until(lambda: '43 0' in monitor.lines(), timeout=10),
                            monitor.lines())
        lines = monitor.lines()
        self.assertEqual(len(lines), 4, lines)
        stub, window = lines[0].split()
        self.assertEqual(stub, 'stub')
        self.assertNotEqual(window, '0')
        # Code 50 carries the stub window's handle, 51 the agent message number.
        self.assertEqual(lines[1:], ['50 ' + window, '51 1125', '43 0'])


if __name__ == '__main__':
    z.main()
