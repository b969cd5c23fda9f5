"""The stub's windows seen from outside, for the scenarios that answer its
boxes: a Wine desktop of the scenario's own, the test kit's GUI helper
looking at it, and installers started there with the sample engine's
settings."""
import collections
import contextlib
import fcntl
import os
import shutil
import subprocess
import time
import zlib

import zelkor_e2e as z

BOX = 'ZMsgBox'
BS_DEFPUSHBUTTON = 0x1
WS_VISIBLE = 0x10000000

Child = collections.namedtuple('Child', 'cls left top right bottom visible style exstyle text')
Geometry = collections.namedtuple('Geometry', 'window client style children')


def unescape(value):
    out, at = [], 0
    while at < len(value):
        if value[at] == '\\' and at + 1 < len(value):
            out.append({'\\': '\\', 'r': '\r', 'n': '\n', 't': '\t'}[value[at + 1]])
            at += 2
        else:
            out.append(value[at])
            at += 1
    return ''.join(out)


def run_gui_helper(command, window_class, *args, helper=None, env=None, encoding='latin-1'):
    """Runs the test kit's GUI helper (or the given copy of it) on the
    current desktop: (exit code, [(name, raw value)])."""
    result = subprocess.run([z.WINE, helper or z.testkit('gui_helper'), '-', command,
                             window_class, *args], env=env or z.wine_env(),
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    pairs = [line.split('=', 1) for line in result.stdout.decode(encoding).splitlines()
             if '=' in line]
    return result.returncode, [(name, value) for name, value in pairs]


def wine_reg_add(key, name, value):
    subprocess.run([z.WINE, 'reg', 'add', key, '/v', name, '/d', value, '/f'], env=z.wine_env(),
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


class Desktop:
    """A Wine desktop of one scenario's own.

    Windows are found by class, and the shared desktop may also carry boxes
    of the same class: of the Windows-side tests, or of scenarios run by
    hand beside CTest's. Wine starts a program on the desktop that its
    per-program settings name (by file name), so the installers, named
    `installer`, and a copy of the GUI helper see only each other."""

    def __init__(self, name, size='1024x768'):
        self.name = name
        self.installer = name + '-setup.exe'
        # The setup folder is named after the time of day of the installer's
        # modification time; a time of our own keeps the runs of parallel
        # scenarios out of each other's folder.
        seconds = zlib.crc32(name.encode()) % 43200 * 2
        self.stamp = time.mktime((2020, 6, 1, seconds // 3600, seconds // 60 % 60,
                                  seconds % 60, 0, 0, -1))
        tools = os.path.join(z.BUILD, 'e2e-work', name + '-tools')
        os.makedirs(tools, exist_ok=True)
        self.gui_helper = os.path.join(tools, name + '-gui_helper.exe')
        shutil.copyfile(z.testkit('gui_helper'), self.gui_helper)
        wine_reg_add(r'HKCU\Software\Wine\Explorer\Desktops', name, size)
        for program in (self.installer, os.path.basename(self.gui_helper)):
            wine_reg_add('HKCU\\Software\\Wine\\AppDefaults\\%s\\Explorer' % program, 'Desktop',
                         name)

    @contextlib.contextmanager
    def lock(self):
        """Held while a run may show boxes: the same scenario started twice
        in one prefix would share the desktop."""
        path = os.path.join(z.BUILD, 'e2e-work', self.name + '.lock')
        with open(path, 'w') as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            try:
                yield
            finally:
                fcntl.flock(lock, fcntl.LOCK_UN)

    def helper(self, command, window_class, *args):
        """Runs the GUI helper on this desktop: (exit code, [(name, raw value)])."""
        return run_gui_helper(command, window_class, *args, helper=self.gui_helper)

    def exists(self, window_class):
        return self.helper('exists', window_class)[0] == 0

    def texts(self, window_class):
        """{'title', 'text' (None without RichEdit), 'buttons', 'statics'}, or
        None when there is no such window."""
        code, pairs = self.helper('text', window_class)
        if code != 0:
            return None
        found = {'title': None, 'text': None, 'buttons': [], 'statics': []}
        for name, value in pairs:
            if name in ('title', 'text'):
                found[name] = unescape(value)
            elif name in ('button', 'static'):
                found[name + 's'].append(unescape(value))
        return found

    def geometry(self, window_class):
        """Screen rectangle, client size, styles and children (in client
        coordinates), or None when there is no such window."""
        code, pairs = self.helper('rect', window_class)
        if code != 0:
            return None
        values = dict(pairs)
        children = []
        for name, value in pairs:
            if name != 'child':
                continue
            fields = value.split(' ', 8)
            fields += [''] * (9 - len(fields))
            children.append(Child(fields[0], *(int(v) for v in fields[1:5]), fields[5] == '1',
                                  int(fields[6], 16), int(fields[7], 16), unescape(fields[8])))
        return Geometry(tuple(int(v) for v in values['window'].split()),
                        tuple(int(v) for v in values['client'].split()),
                        tuple(int(v, 16) for v in values['style'].split()), children)

    def default_button(self, window_class):
        """The caption of the one button with the default style, else None."""
        shape = self.geometry(window_class)
        marked = [c.text for c in (shape.children if shape else [])
                  if c.cls.lower() == 'button' and c.style & 0xF == BS_DEFPUSHBUTTON]
        return marked[0] if len(marked) == 1 else None

    def wait_for_box(self, timeout=60.0, running=lambda: True):
        """Waits until a box is up with its buttons made, while `running`()
        holds; returns its texts."""
        end = time.time() + timeout
        while self.helper('wait', BOX, '2000')[0] != 0:
            if not running():
                raise AssertionError('the program ended without a box')
            if time.time() > end:
                raise AssertionError('no box appeared')
        shown = {}

        def ready():
            found = self.texts(BOX)
            if found and found['buttons']:
                shown.update(found)
                return True
            return False
        if not z.wait_until(ready, 20):
            raise AssertionError('the box has no buttons')
        return shown

    def press(self, window_class, caption):
        return self.helper('press', window_class, caption)[0] == 0

    def key(self, window_class, name):
        return self.helper('key', window_class, name)[0] == 0

    def syschar(self, window_class, char):
        return self.helper('syschar', window_class, char)[0] == 0

    def close(self, window_class):
        return self.helper('close', window_class)[0] == 0


class Installer:
    """An installer run on a desktop of our own, with the sample engine
    recording into `record`. Used as a context: the desktop's lock is held,
    and a run still going at the end (a failed test) is killed so that its
    box cannot outlive it."""

    def __init__(self, desktop, exe, record, *args, engine_exit=None):
        if os.path.basename(exe) != desktop.installer:
            raise ValueError('%s would not start on desktop %s' % (exe, desktop.name))
        self.desktop, self.exe, self.record, self.args = desktop, exe, record, args
        self.env = z.wine_env()
        self.env['ZELKOR_ENGINE_RECORD'] = z.win_path(record)
        if engine_exit is not None:
            self.env['ZELKOR_ENGINE_EXIT'] = str(engine_exit)
        if os.path.exists(record):
            os.remove(record)

    def __enter__(self):
        self._lock = self.desktop.lock()
        self._lock.__enter__()
        try:
            os.utime(self.exe, (self.desktop.stamp, self.desktop.stamp))
            self.process = subprocess.Popen([z.WINE, self.exe, *self.args], env=self.env,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL)
        except BaseException:
            self._lock.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        try:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()
        finally:
            self._lock.__exit__(None, None, None)

    def wait(self, timeout=120):
        return self.process.wait(timeout=timeout)

    def wait_for_box(self):
        return self.desktop.wait_for_box(running=lambda: self.process.poll() is None)

    def engine_lines(self):
        """The engine's record, or None when the engine never ran."""
        if not os.path.exists(self.record):
            return None
        with open(self.record, 'rb') as f:
            return f.read().decode('latin-1').split('\r\n')[:-1]
