#!/usr/bin/env python3
"""Makes the pictures of the docs from the real stub under Wine:
docs/progress-window.png (the progress window in the middle of an
extraction) and docs/message-box.png (the free-space question).

Needs the build and a running Wine session, as the scenarios do:
    cd build && python3 ../tests/e2e/wine_session.py start
    ZELKOR_BUILD=$PWD ZELKOR_WIN_BUILD=$PWD/win64 ZELKOR_PACK=$PWD/zelkor-pack \\
        python3 ../tests/e2e/screenshots.py [OUT_FOLDER]
"""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402
import zelkor_gui as gui  # noqa: E402

ENGINE = z.testkit('sample_engine')
WORDS = ['alpha', 'bravo', 'charlie', 'delta', 'echo', 'foxtrot', 'golf', 'hotel']


def desktop_origin(desktop):
    """Where the desktop's window lies on the X screen."""
    tree = subprocess.run(['xwininfo', '-display', z.wine_env()['DISPLAY'], '-root', '-tree'],
                          capture_output=True, text=True).stdout
    match = re.search(r'"%s - Wine desktop".*\s(-?\d+)x(-?\d+)\+(-?\d+)\+(-?\d+)' %
                      re.escape(desktop.name), tree)
    return (int(match.group(3)), int(match.group(4))) if match else (0, 0)


def grab(desktop, rect, path):
    """Saves the screen area of `rect` (left, top, right, bottom on the desktop)."""
    x, y = desktop_origin(desktop)
    left, top, right, bottom = rect
    subprocess.run(['import', '-display', z.wine_env()['DISPLAY'], '-window', 'root', '-crop',
                    '%dx%d+%d+%d' % (right - left, bottom - top, x + left, y + top), '+repage',
                    path], check=True)


def filled_part(path, bar):
    """How much of the progress bar's middle row carries the fill colour."""
    left, top, right, bottom = bar
    result = subprocess.run(['convert', path, '-crop', '%dx1+%d+%d' % (
        right - left - 4, left + 2, (top + bottom) // 2), '+repage', '-fx', 'b>0.6&&r<0.5',
        '-format', '%[fx:mean]', 'info:'], capture_output=True, text=True, check=True)
    return float(result.stdout)


def bar_in_window(shape):
    """The visible progress bar, in the coordinates of the window picture."""
    left, top, right, bottom = shape.window
    border = (right - left - shape.client[0]) // 2
    client_left, client_top = border, bottom - top - border - shape.client[1]
    (bar,) = [c for c in shape.children if c.cls == 'msctls_progress32' and c.visible]
    return (client_left + bar.left, client_top + bar.top, client_left + bar.right,
            client_top + bar.bottom)


def progress_window(desktop, folder, out):
    """Builds a package of a few hundred files, so that the extraction lasts,
    and keeps the picture whose bar is closest to half full."""
    files = os.path.join(folder, 'files')
    os.makedirs(files)
    for i in range(300):
        with open(os.path.join(files, 'part%03d.txt' % i), 'w') as f:
            for line in range(2000):
                f.write(' '.join(WORDS[(i + line * k) % len(WORDS)] for k in range(1, 8)) + '\n')
    exe = os.path.join(folder, desktop.installer)
    z.pack('build', '--stub', z.STUB, '--out', exe, '--level', '9', '--add', files,
           '--add', ENGINE + '=setup.exe', '--run', 'setup.exe')
    window_class = z.win_path(exe)
    best, frames = None, 0
    with gui.Installer(desktop, exe, os.path.join(folder, 'engine.rec')) as run:
        while run.process.poll() is None:
            shape = desktop.geometry(window_class)
            if not shape or not shape.style[0] & gui.WS_VISIBLE:
                if best:
                    break  # hidden again: the engine runs
                time.sleep(0.1)
                continue
            frame = os.path.join(folder, 'frame%02d.png' % frames)
            frames += 1
            grab(desktop, shape.window, frame)
            filled = filled_part(frame, bar_in_window(shape))
            if best is None or abs(filled - 0.5) < abs(best[0] - 0.5):
                best = (filled, frame)
        run.wait()
    if not best:
        raise SystemExit('the progress window was never seen')
    os.replace(best[1], out)
    print('%s: the bar %.0f%% full, of %d pictures' % (out, best[0] * 100, frames))


def space_question(desktop, folder, out):
    exe = os.path.join(folder, desktop.installer)
    z.pack('build', '--stub', z.STUB, '--out', exe, '--ask-before-extract',
           '--add', ENGINE + '=setup.exe', '--run', 'setup.exe')
    with gui.Installer(desktop, exe, os.path.join(folder, 'engine.rec')) as run:
        run.wait_for_box()
        grab(desktop, desktop.geometry(gui.BOX).window, out)
        desktop.press(gui.BOX, '&No')
        run.wait()
    print(out)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(z.SOURCE, 'docs')
    os.makedirs(out, exist_ok=True)
    desktop = gui.Desktop('zk-shots')
    progress_window(desktop, z.work_dir('screenshots_progress'),
                    os.path.join(out, 'progress-window.png'))
    space_question(desktop, z.work_dir('screenshots_question'),
                   os.path.join(out, 'message-box.png'))


if __name__ == '__main__':
    main()
