#!/usr/bin/env python3
"""Localised texts under Wine: an installer built from the demo language file
shows the free-space question and its own window in the user's language, and
in English on a system whose language the file does not have."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as zgui  # noqa: E402

LANGUAGES = os.path.join(z.SOURCE, 'demo', 'languages.txt')
ENGINE_EXIT = 23

FRENCH = {
    'window': "Suite d'installation Zelkor",
    'caption': 'Extraction des fichiers...',
    'box': 'Confirmation',
    'buttons': ['&Oui', '&Non'],
    'text': ['Zelkor va extraire les fichiers sur votre lecteur temporaire (',
             'Espace requis estim\u00e9 sur votre lecteur temporaire : \t  ',
             ' Mo\r\n', "Voulez-vous continuer l'installation ?"],
    'yes': 'Oui', 'no': 'Non',
}
ENGLISH = {
    'window': 'Zelkor Installation Suite',
    'caption': 'Extracting Files...',
    'box': 'Confirm',
    'buttons': ['&Yes', '&No'],
    'text': ['Zelkor will extract files to your Temp Drive (',
             'Estimated space required on your Temp drive is: \t  ',
             ' MB\r\n', 'Continue with Setup?'],
    'yes': 'Yes', 'no': 'No',
}


def gui(env, command, window_class, *args):
    """Runs the test kit's GUI helper; its "name=value" lines as pairs."""
    status, pairs = zgui.run_gui_helper(command, window_class, *args, env=env,
                                        encoding='cp1252')
    return status, [(name, zgui.unescape(value)) for name, value in pairs]


class Localisation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = z.work_dir('localisation')
        cls.installer = os.path.join(cls.folder, 'setup.exe')
        z.pack('build', '--stub', z.STUB, '--out', cls.installer, '--languages', LANGUAGES,
               '--ask-before-extract', '--add', z.testkit('sample_engine') + '=setup.exe',
               '--run', 'setup.exe')

    def question(self, env, titles):
        """The free-space question of this installer, once it is up: other
        programs of the session may show message boxes of the same class."""
        end = time.time() + 30
        while time.time() < end:
            status, box = gui(env, 'text', 'ZMsgBox')
            if status == 0 and box and box[0] == ('title', titles):
                return box
            time.sleep(0.2)
        self.fail('no free-space question titled %r' % titles)

    def test_texts_follow_the_users_language(self):
        # Wine takes the thread locale from LC_ALL, also where the C library
        # has no such locale (LANG alone would need it generated).
        cases = [
            ('fr_FR.UTF-8', FRENCH, 'no', z.USER_CANCELLED),
            ('fr_FR.UTF-8', FRENCH, 'yes', ENGINE_EXIT),
            ('en_US.UTF-8', ENGLISH, 'no', z.USER_CANCELLED),
            ('de_DE.UTF-8', ENGLISH, 'yes', ENGINE_EXIT),  # no German section
        ]
        for locale, texts, answer, exit_code in cases:
            with self.subTest(locale=locale, answer=answer):
                env = z.wine_env()
                env.update(LC_ALL=locale, ZELKOR_ENGINE_EXIT=str(ENGINE_EXIT))
                process = subprocess.Popen([z.WINE, self.installer], env=env,
                                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                try:
                    box = self.question(env, texts['box'])
                    self.assertEqual([v for k, v in box if k == 'button'], texts['buttons'])
                    text = dict(box)['text']
                    for fragment in texts['text']:
                        self.assertIn(fragment, text)
                    # The stub's window, named after the installer's path,
                    # already carries the extraction caption.
                    status, window = gui(env, 'text', z.win_path(self.installer))
                    self.assertEqual(status, 0)
                    self.assertEqual(window[0], ('title', texts['window']))
                    self.assertIn(('static', texts['caption']), window)

                    self.assertEqual(gui(env, 'press', 'ZMsgBox', texts[answer])[0], 0)
                    self.assertEqual(process.wait(timeout=60), z.exit_status(exit_code))
                finally:
                    if process.poll() is None:
                        process.kill()
                        process.wait()


if __name__ == '__main__':
    z.main()
