"""Shared helpers for the scenarios: the Wine session, paths, the builder,
running Windows programs and reading the trace."""
import json
import os
import shutil
import subprocess
import time
import unittest

BUILD = os.environ.get('ZELKOR_BUILD', os.path.join(os.path.dirname(__file__), '..', '..', 'build'))
WIN_BUILD = os.environ.get('ZELKOR_WIN_BUILD', os.path.join(BUILD, 'win'))
PACK = os.environ.get('ZELKOR_PACK', os.path.join(BUILD, 'zelkor-pack'))
SOURCE = os.environ.get('ZELKOR_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
# One Wine session (prefix, wineserver, display) per file; the demo has its own.
SESSION_FILE = os.environ.get('ZELKOR_WINE_SESSION', os.path.join(BUILD, 'wine-session.json'))
PRODUCT_BUILD = os.environ.get('ZELKOR_PRODUCT_BUILD', os.path.join(BUILD, 'win'))
STUB = os.path.join(WIN_BUILD, 'Stub.exe')
PRODUCT_STUB = os.path.join(PRODUCT_BUILD, 'Stub.exe')

# The scenarios run the x86_64 build under wine64: 32-bit Linux programs,
# and so 32-bit Wine, cannot run on this kind of machine.
WINE = '/usr/lib/wine/wine64' if os.path.exists('/usr/lib/wine/wine64') else 'wine64'
WINESERVER = ('/usr/lib/wine/wineserver64' if os.path.exists('/usr/lib/wine/wineserver64')
              else 'wineserver')


def testkit(name):
    return os.path.join(WIN_BUILD, 'tools', 'testkit', name + '.exe')


def wine_env():
    with open(SESSION_FILE) as f:
        session = json.load(f)
    env = dict(os.environ)
    env.update(WINEPREFIX=session['prefix'], WINEDEBUG='-all', DISPLAY=session['display'],
               WINEDLLOVERRIDES='mscoree,mshtml=')
    return env


def win_path(path):
    """The Windows name of a Unix path through Wine's Z: drive."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def work_dir(name):
    """A fresh folder for one scenario, inside the build tree."""
    path = os.path.join(BUILD, 'e2e-work', name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def pack(*args):
    """Runs the native builder; fails the test on a non-zero exit."""
    result = subprocess.run([PACK, *args], capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError('zelkor-pack %s failed:\n%s%s' % (' '.join(args), result.stdout,
                                                                result.stderr))
    return result.stdout


def start(exe, *args, env=None):
    """Starts a Windows program under Wine without waiting; `env` adds
    variables to its environment."""
    environment = wine_env()
    environment.update(env or {})
    return subprocess.Popen([WINE, exe, *args], env=environment, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run(exe, *args, timeout=60, env=None):
    """Runs a Windows program under Wine and returns its exit status."""
    process = start(exe, *args, env=env)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        raise


def exit_status(windows_code):
    """What a Linux parent sees of a Windows exit code: its low 8 bits."""
    return windows_code & 0xFF


# The installer's own exit codes when no engine ran.
PACKAGE_INVALID = 1620
USER_CANCELLED = 1602
SETUP_FAILED = 1603


def close_windows_of(image_name):
    """Asks the program's windows to close as a user would: twice, because
    the stub's first close request only stops a running download."""
    for _ in range(2):
        subprocess.run([WINE, 'taskkill', '/IM', image_name], env=wine_env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)


def wait_until(predicate, timeout=20.0, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


class TraceViewer:
    """The test kit's ".ZDebug." window, recording every trace message."""

    def __init__(self, folder):
        self.out = os.path.join(folder, 'trace.rec')
        self.stop_file = os.path.join(folder, 'trace.stop')

    def __enter__(self):
        for path in (self.out, self.stop_file):
            if os.path.exists(path):
                os.remove(path)
        self.process = start(testkit('trace_viewer'), win_path(self.out), win_path(self.stop_file))
        if not wait_until(lambda: os.path.exists(self.out)):
            raise AssertionError('the trace viewer did not start')
        return self

    def __exit__(self, *exc):
        open(self.stop_file, 'w').close()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()

    def messages(self):
        """[(channel, text)] in the order received."""
        with open(self.out, 'rb') as f:
            data = f.read()
        result, at = [], 0
        while at < len(data):
            newline = data.index(b'\n', at)
            channel, length = (int(x) for x in data[at:newline].split())
            text = data[newline + 1:newline + 1 + length]
            result.append((channel, text.decode('latin-1')))
            at = newline + 1 + length + 1
        return result

    def text(self):
        return ''.join(t for _, t in self.messages())

    def lines(self):
        return self.text().split('\n')


def main():
    unittest.main(verbosity=2)
