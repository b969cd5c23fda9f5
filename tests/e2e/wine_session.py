#!/usr/bin/env python3
"""Starts (or stops) what every scenario shares: a Wine prefix inside the
build tree, one persistent wineserver and one Xvfb display."""
import json
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from zelkor_e2e import BUILD, SESSION_FILE, WINE, WINESERVER  # noqa: E402

PREFIX = os.environ.get('ZELKOR_WINE_PREFIX', os.path.join(os.path.abspath(BUILD), 'wineprefix'))


def base_env(display):
    env = dict(os.environ)
    env.update(WINEPREFIX=PREFIX, WINEDEBUG='-all', DISPLAY=display,
               WINEDLLOVERRIDES='mscoree,mshtml=')
    return env


def free_display():
    for number in range(90, 200):
        if not os.path.exists('/tmp/.X11-unix/X%d' % number) and \
                not os.path.exists('/tmp/.X%d-lock' % number):
            return number
    raise RuntimeError('no free X display')


def start():
    stop(quiet=True)
    number = free_display()
    display = ':%d' % number
    xvfb = subprocess.Popen(['Xvfb', display, '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    for _ in range(100):
        if os.path.exists('/tmp/.X11-unix/X%d' % number):
            break
        time.sleep(0.1)
    env = base_env(display)
    # One persistent server for the whole run, started before anything else
    # (a server left by an earlier run is taken over as it is).
    os.makedirs(PREFIX, exist_ok=True)
    subprocess.run([WINESERVER, '-p'], env=env, stderr=subprocess.DEVNULL)
    if not os.path.exists(os.path.join(PREFIX, 'system.reg')):
        subprocess.run([WINE, 'wineboot', '-i'], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    # Without a window manager, managed windows take seconds to close.
    subprocess.run([WINE, 'reg', 'add', r'HKCU\Software\Wine\X11 Driver', '/v', 'Managed',
                    '/d', 'N', '/f'], env=env, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    with open(SESSION_FILE, 'w') as f:
        json.dump({'prefix': PREFIX, 'display': display, 'xvfb_pid': xvfb.pid}, f)
    print('wine session: prefix %s, display %s' % (PREFIX, display))


def stop(quiet=False):
    if not os.path.exists(SESSION_FILE):
        return
    with open(SESSION_FILE) as f:
        session = json.load(f)
    subprocess.run([WINESERVER, '-k'], env=base_env(session['display']),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        os.kill(session['xvfb_pid'], signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.remove(SESSION_FILE)
    if not quiet:
        print('wine session stopped')


if __name__ == '__main__':
    {'start': start, 'stop': stop}[sys.argv[1]]()
