#!/usr/bin/env python3
"""The stub's own boxes, read and answered from outside: the damaged-package
box (texts, heading, layout) and the free-space question (its text and its
keyboard)."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as gui  # noqa: E402

ENGINE = z.testkit('sample_engine')
ENGINE_EXIT = 7
DESKTOP_SIZE = (1024, 768)
MIN_BOX_WIDTH = 360
BUTTON_SIZE = (70, 23)
BAND_WIDTH = 54
desktop = None


def setUpModule():
    global desktop
    desktop = gui.Desktop('zk-msgbox', '%dx%d' % DESKTOP_SIZE)


def build(folder, *options):
    os.makedirs(folder, exist_ok=True)
    notes = os.path.join(folder, 'notes.txt')
    with open(notes, 'w') as f:
        f.write('notes\n' * 50)
    exe = os.path.join(folder, desktop.installer)
    z.pack('build', '--stub', z.STUB, '--out', exe, '--add', ENGINE + '=setup.exe', '--run',
           'setup.exe', '--add', notes, *options)
    return exe


def damage(exe):
    """Flips a byte in the middle of the packed engine: the checksum fails."""
    engine = re.search(r'^Block\d+: offset=(\d+) zlib length=(\d+) name="setup\.exe\*"',
                       z.pack('inspect', '--blocks', exe), re.M)
    at = int(engine.group(1)) + 4 + int(engine.group(2)) // 2
    with open(exe, 'r+b') as f:
        f.seek(at)
        byte = f.read(1)[0]
        f.seek(at)
        f.write(bytes([byte ^ 0xFF]))
    return exe


def format_megabytes(count):
    value = max(count, 0) / 1048576
    return '%.*f' % (1 if value > 10 else 2 if value >= 1 else 3, value)


class DamagedPackageBox(unittest.TestCase):
    # Without an owner the box puts the title in front of the text, upper-
    # cased only when it is one of the built-in titles.
    CASES = [
        dict(name='built-in', lang=None, least_width=False, title='Error',
             text='ERROR\r\n\r\nBad CRC!\r\n'
                  'This indicates that your setup file might be corrupted...\r\n',
             buttons=['&OK'], answer=('key', 'RETURN')),
        # A short text: the box keeps its least width.
        dict(name='translated', least_width=True, title='Fehler',
             text='Fehler\r\n\r\nBad CRC!\r\n',
             lang='~^English^s7=Bad CRC!^Error=Fehler^BtnText=|&Weiter|&Abbrechen|&Ja|&Nein|'
                  '&Abbruch|&Wiederholen|&Ignorieren|^~',
             buttons=['&Weiter'], answer=('key', 'W')),
    ]

    def test_texts_and_layout(self):
        folder = z.work_dir('message_box_error')
        for case in self.CASES:
            with self.subTest(case['name']):
                sub = os.path.join(folder, case['name'])
                options = []
                if case['lang']:
                    os.makedirs(sub)
                    lang = os.path.join(sub, 'lang.bin')
                    with open(lang, 'w') as f:
                        f.write(case['lang'])
                    options = ['--lang-list', lang]
                exe = damage(build(os.path.join(sub, 'package'), *options))
                with gui.Installer(desktop, exe, os.path.join(sub, 'engine.rec')) as run:
                    box = run.wait_for_box()
                    self.assertEqual(box['title'], case['title'])
                    self.assertEqual(box['text'], case['text'])
                    self.assertEqual(box['buttons'], case['buttons'])
                    self.check_layout(desktop.geometry(gui.BOX), case['least_width'])
                    self.assertTrue(getattr(desktop, case['answer'][0])(gui.BOX,
                                                                        case['answer'][1]))
                    self.assertEqual(run.wait(), z.exit_status(z.PACKAGE_INVALID))
                    self.assertIsNone(run.engine_lines())

    def check_layout(self, shape, least_width):
        left, top, right, bottom = shape.window
        width, height = right - left, bottom - top
        if least_width:
            self.assertEqual(width, MIN_BOX_WIDTH)
        else:
            self.assertGreater(width, MIN_BOX_WIDTH)
        self.assertEqual((left, top), ((DESKTOP_SIZE[0] - width) // 2,
                                       (DESKTOP_SIZE[1] - height) // 2))
        client_width, client_height = shape.client
        (text,) = [c for c in shape.children if c.cls.upper() == 'RICHEDIT']
        text_width = text.right - text.left
        # Centred right of the band, ending above the button band.
        self.assertEqual(text.left, BAND_WIDTH + (client_width - BAND_WIDTH - text_width) // 2)
        self.assertEqual(text.bottom, client_height - 39)
        self.assertLessEqual(text.right, client_width)
        (button,) = [c for c in shape.children if c.cls.lower() == 'button']
        self.assertEqual((button.right - button.left, button.bottom - button.top), BUTTON_SIZE)
        self.assertEqual((button.left, button.top), (client_width - 80, client_height - 29))
        self.assertTrue(button.style & gui.BS_DEFPUSHBUTTON)


QUESTION = re.compile(
    r'CONFIRM\r\n\r\n'
    r'Zelkor will extract files to your Temp Drive \(C:\)\r\n\r\n'
    r'Estimated space required on your Temp drive is: \t  (\S+) MB\r\n'
    r'Free space available on your Temp drive is: \t  (\S+) MB\r\n\r\n'
    r'Continue with Setup\?\r\n\r\n')


class SpaceQuestion(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('message_box_question')
        cls.exe = build(os.path.join(cls.folder, 'package'), '--ask-before-extract')
        inspected = z.pack('inspect', cls.exe)
        cls.space_needed = {format_megabytes(int(n)) for n in
                            re.findall(r'^SpaceTable\d: (\d+)$', inspected, re.M)}

    def ask(self, name):
        return gui.Installer(desktop, self.exe, os.path.join(self.folder, name + '.rec'),
                             engine_exit=ENGINE_EXIT)

    def check_question(self, run):
        box = run.wait_for_box()
        self.assertEqual(box['title'], 'Confirm')
        self.assertEqual(box['buttons'], ['&Yes', '&No'])
        match = QUESTION.fullmatch(box['text'])
        self.assertIsNotNone(match, repr(box['text']))
        self.assertIn(match.group(1), self.space_needed)
        self.assertRegex(match.group(2), r'^\d+\.\d{1,3}$')
        self.assertEqual(desktop.default_button(gui.BOX), '&Yes')

    def check_answer(self, run, yes):
        if yes:
            self.assertEqual(run.wait(), ENGINE_EXIT)
            self.assertIn('exit=%d' % ENGINE_EXIT, run.engine_lines())
        else:
            self.assertEqual(run.wait(), z.exit_status(z.USER_CANCELLED))
            self.assertIsNone(run.engine_lines())

    def test_answers(self):
        cases = [
            ('key', 'N', False),
            ('key', 'Y', True),
            ('syschar', 'n', False),
            ('syschar', 'y', True),
            # Closed without a button: the answer is not Yes.
            ('close', None, False),
        ]
        for how, what, yes in cases:
            with self.subTest(how=how, what=what), self.ask('%s-%s' % (how, what)) as run:
                self.check_question(run)
                action = getattr(desktop, how)
                self.assertTrue(action(gui.BOX, what) if what else action(gui.BOX))
                self.check_answer(run, yes)

    def test_focus_moves_cyclically(self):
        # With two buttons, each step either wraps around or moves forward.
        steps = [
            (['TAB'], '&No'),
            (['TAB'], '&Yes'),
            (['LEFT'], '&No'),
            (['RIGHT'], '&Yes'),
            (['UP'], '&No'),
            (['DOWN'], '&Yes'),
            # Escape does nothing: the box is still up when the Tab after it
            # has been handled.
            (['ESCAPE', 'TAB'], '&No'),
        ]
        with self.ask('focus') as run:
            self.check_question(run)
            for keys, focused in steps:
                for name in keys:
                    self.assertTrue(desktop.key(gui.BOX, name))
                self.assertTrue(z.wait_until(lambda: desktop.default_button(gui.BOX) == focused),
                                (keys, desktop.default_button(gui.BOX)))
            # Enter goes to the control that has the focus: the No button.
            self.assertTrue(desktop.key(gui.BOX, 'RETURN'))
            self.check_answer(run, yes=False)


if __name__ == '__main__':
    z.main()
