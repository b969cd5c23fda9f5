#!/usr/bin/env python3
"""Damaged packages under Wine: whatever the damage, the installer shows the
"Bad CRC!" error box, starts nothing, writes nothing outside its
destination and exits with the invalid-package code."""
import glob
import os
import re
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as gui  # noqa: E402

ENGINE = z.testkit('sample_engine')
ENGINE_EXIT = 7
REFUSED = z.exit_status(z.PACKAGE_INVALID)
BAD_CRC_TEXT = ('ERROR\r\n\r\nBad CRC!\r\n'
                'This indicates that your setup file might be corrupted...\r\n')
# Unusual names, so that a copy found anywhere in the prefix is ours.
NOTES, DATA = 'zk-damaged-notes.txt', 'zk-damaged-data.txt'
BLOCK_LINE = re.compile(r'^Block\d+: offset=(\d+) (\w+) length=(-?\d+)(?: name="(.*?)")?')
desktop = None


def setUpModule():
    global desktop
    desktop = gui.Desktop('zk-damaged')


def installer_in(folder):
    return os.path.join(folder, desktop.installer)


def write_payload(folder):
    """A short file (stored even at level 9) and a compressible one, so that
    the package holds both block kinds after the engine."""
    notes, data = os.path.join(folder, 'notes.txt'), os.path.join(folder, 'data.txt')
    with open(notes, 'w') as f:
        f.write('notes\n')
    words = ['alpha', 'bravo', 'charlie', 'delta', 'echo', 'foxtrot', 'golf']
    with open(data, 'w') as f:
        for i in range(4000):
            f.write('%05d %s %s\n' % (i, words[i % len(words)], words[i * 3 % len(words)]))
    return notes, data


def build(path, payload, *options):
    """The engine comes first, so a damage in a later block must also
    withdraw a run entry that was already read."""
    notes, data = payload
    os.makedirs(os.path.dirname(path), exist_ok=True)
    z.pack('build', '--stub', z.STUB, '--out', path, '--add', ENGINE + '=setup.exe',
           '--run', 'setup.exe', '--add', notes + '=' + NOTES, '--add', data + '=' + DATA,
           *options)
    return path


def blocks(path):
    """[(offset, kind, length, name)] of every block, lists included."""
    found = []
    for line in z.pack('inspect', '--blocks', path).splitlines():
        match = BLOCK_LINE.match(line)
        if match:
            offset, kind, length, name = match.groups()
            found.append((int(offset), kind, int(length), name))
    return found


def block_named(path, name):
    return next(b for b in blocks(path) if b[3] == name)


def derive(source, target, edit):
    """A copy of `source` changed by `edit`(bytearray) -> bytes."""
    with open(source, 'rb') as f:
        data = bytearray(f.read())
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, 'wb') as f:
        f.write(bytes(edit(data)))
    return target


def flip(offset):
    def edit(data):
        data[offset] ^= 0xFF
        return data
    return edit


def replace_once(old, new):
    def edit(data):
        if len(old) != len(new) or data.count(old) != 1:
            raise AssertionError('cannot patch %r into %r' % (new, old))
        at = data.index(old)
        data[at:at + len(old)] = new
        return data
    return edit


def set_length(offset, length):
    def edit(data):
        data[offset:offset + 4] = struct.pack('<i', length)
        return data
    return edit


def prefix_drive_c():
    return os.path.join(z.wine_env()['WINEPREFIX'], 'drive_c')


def copies_in_prefix(names):
    """Paths under the prefix's C: drive whose file name is one of `names`."""
    return [os.path.join(folder, f) for folder, _, files in os.walk(prefix_drive_c())
            for f in files if f in names]


class DamagedPackageRuns(unittest.TestCase):
    """Runs a package and checks the whole refusal."""

    def run_refused(self, exe, *args, stray_names=()):
        folder = os.path.dirname(exe)
        record = os.path.join(os.path.dirname(folder), os.path.basename(folder) + '.rec')
        with gui.Installer(desktop, exe, record, *args, engine_exit=ENGINE_EXIT) as run:
            box = run.wait_for_box()
            self.assertEqual(box['title'], 'Error')
            self.assertEqual(box['text'], BAD_CRC_TEXT)
            self.assertEqual(box['buttons'], ['&OK'])
            self.assertTrue(desktop.press(gui.BOX, '&OK'))
            self.assertEqual(run.wait(), REFUSED)
            self.assertIsNone(run.engine_lines())
        # Nothing beside the package, and nothing of it left in the prefix
        # once the setup folder is gone.
        self.assertEqual(os.listdir(folder), [os.path.basename(exe)])
        names = {NOTES, DATA, *stray_names}
        self.assertEqual(copies_in_prefix(names), [])
        for name in stray_names:
            for place in (os.path.dirname(folder), '/'):
                self.assertFalse(os.path.exists(os.path.join(place, name)), (place, name))

    def run_accepted(self, exe):
        """The undamaged original: proves that the damage is what is refused."""
        record = exe + '.rec'
        with gui.Installer(desktop, exe, record, engine_exit=ENGINE_EXIT) as run:
            self.assertEqual(run.wait(), ENGINE_EXIT)
            self.assertIsNotNone(run.engine_lines())
        self.assertEqual(copies_in_prefix({NOTES, DATA}), [])


class ChecksumDamage(DamagedPackageRuns):
    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('damaged_checksum')
        payload = write_payload(cls.folder)
        cls.good = build(installer_in(os.path.join(cls.folder, 'good')), payload)
        cls.size = os.path.getsize(cls.good)

    def damaged(self, name, edit):
        return derive(self.good, installer_in(os.path.join(self.folder, name)), edit)

    def test_original_runs_its_engine(self):
        self.run_accepted(self.good)

    def test_flipped_byte_in_the_blocks(self):
        engine = block_named(self.good, 'setup.exe*')
        notes = block_named(self.good, NOTES)
        data = block_named(self.good, DATA)
        cases = [
            ('engine-block', engine[0] + 4 + abs(engine[2]) // 2),
            ('data-block', data[0] + 4 + abs(data[2]) // 2),
            # Stored data: no zlib check behind the checksum.
            ('stored-block', notes[0] + 4 + abs(notes[2]) - 2),
        ]
        for name, offset in cases:
            with self.subTest(name):
                self.run_refused(self.damaged('flip-' + name, flip(offset)))

    def test_truncated_file(self):
        data = block_named(self.good, DATA)
        cases = [
            ('mid-block', data[0] + 4 + abs(data[2]) // 2),
            ('no-trailer', data[0] + 4 + abs(data[2])),
            ('last-byte', self.size - 1),
        ]
        for name, length in cases:
            with self.subTest(name):
                self.run_refused(self.damaged('cut-' + name, lambda d, n=length: d[:n]))

    def test_hidden_run_still_shows_the_box(self):
        # "/hide" skips the window and the question, but the damaged-package
        # box is shown in every run.
        engine = block_named(self.good, 'setup.exe*')
        exe = self.damaged('hidden', flip(engine[0] + 100))
        self.run_refused(exe, '/hide')


class BlockDamage(DamagedPackageRuns):
    """Damage that only the block reader can see: the checksum is off."""

    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('damaged_blocks')
        payload = write_payload(cls.folder)
        cls.good = build(installer_in(os.path.join(cls.folder, 'good')), payload,
                         '--checksum', 'off')
        cls.size = os.path.getsize(cls.good)

    def damaged(self, name, edit):
        return derive(self.good, installer_in(os.path.join(self.folder, name)), edit)

    def test_original_runs_its_engine(self):
        self.run_accepted(self.good)

    def test_bad_zlib_stream(self):
        offset, kind, length, _ = block_named(self.good, DATA)
        self.assertEqual(kind, 'zlib')
        start = offset + 4

        def zeroed(at, count):
            def edit(data):
                data[at:at + count] = bytes(count)
                return data
            return edit

        def inverted(at, count):
            def edit(data):
                for i in range(at, at + count):
                    data[i] ^= 0xFF
                return data
            return edit
        cases = [
            ('header', zeroed(start, 2)),
            ('middle', inverted(start + length // 2, 16)),
            ('adler', inverted(start + length - 4, 4)),
        ]
        for name, edit in cases:
            with self.subTest(name):
                self.run_refused(self.damaged('zlib-' + name, edit))

    def test_block_length_past_the_end(self):
        data_offset, _, _, _ = block_named(self.good, DATA)
        notes_offset, notes_kind, _, _ = block_named(self.good, NOTES)
        self.assertEqual(notes_kind, 'stored')
        past_end = self.size - data_offset - 4 + 1
        cases = [
            ('zlib-one-byte-past', data_offset, past_end),
            ('zlib-largest', data_offset, 0x7FFFFFFF),
            ('stored-largest', notes_offset, -0x7FFFFFFF),
            ('stored-most-negative', notes_offset, -0x80000000),
        ]
        for name, offset, length in cases:
            with self.subTest(name):
                self.run_refused(self.damaged('length-' + name, set_length(offset, length)))


class EscapingNames(DamagedPackageRuns):
    """Stored names patched after the build (the builder refuses them)."""

    CASES = [
        # (name as built, name as patched in)
        ('zz\\zk-escaped-up.txt', '..\\zk-escaped-up.txt'),
        # The builder stores "\\" for "/": the separator is patched in too.
        ('zz_zk-escaped-slash.txt', '../zk-escaped-slash.txt'),
        ('a\\zz\\zz\\zk-escaped-inner.txt', 'a\\..\\..\\zk-escaped-inner.txt'),
        ('CC\\zk-escaped-drive.txt', 'C:\\zk-escaped-drive.txt'),
        ('CCzk-escaped-drive-relative.txt', 'C:zk-escaped-drive-relative.txt'),
        ('zzk-escaped-root.txt', '\\zk-escaped-root.txt'),
        ('zzzk-unc\\zk-escaped-unc.txt', '\\\\zk-unc\\zk-escaped-unc.txt'),
    ]

    def test_names_outside_the_destination(self):
        folder = z.work_dir('damaged_names')
        payload = write_payload(folder)
        temp = glob.glob(os.path.join(prefix_drive_c(), 'users', '*', 'Temp'))
        self.assertTrue(temp)
        for built, patched in self.CASES:
            stray = patched.replace('/', '\\').split('\\')[-1]
            with self.subTest(patched):
                case = os.path.join(folder, 'name-' + stray[:-4])
                os.makedirs(case)
                good = build(os.path.join(case, 'good.exe'), payload, '--level', '0',
                             '--checksum', 'off', '--add', payload[0] + '=' + built)
                exe = derive(good, installer_in(os.path.join(case, 'damaged')),
                             replace_once(built.encode(), patched.encode()))
                self.run_refused(exe, stray_names={stray})
                for place in temp:
                    self.assertFalse(os.path.exists(os.path.join(place, stray)))


if __name__ == '__main__':
    z.main()
