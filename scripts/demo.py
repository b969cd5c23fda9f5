#!/usr/bin/env python3
"""make demo: packs the sample application with the sample setup engine as
run entry, installs it under Wine and prints what happened."""
import argparse
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--build', default='build')
    build = os.path.abspath(os.path.join(ROOT, parser.parse_args().build))
    os.environ.update(ZELKOR_BUILD=build, ZELKOR_WIN_BUILD=os.path.join(build, 'win64'),
                      ZELKOR_PRODUCT_BUILD=os.path.join(build, 'win'),
                      ZELKOR_PACK=os.path.join(build, 'zelkor-pack'),
                      # A Wine session of its own, apart from the tests'.
                      ZELKOR_WINE_SESSION=os.path.join(build, 'demo-wine-session.json'),
                      ZELKOR_WINE_PREFIX=os.path.join(build, 'demo-wineprefix'))
    sys.path.insert(0, os.path.join(ROOT, 'tests', 'e2e'))
    import installer_kit as kit
    import wine_session
    import zelkor_e2e as z

    demo = os.path.join(build, 'demo')
    shutil.rmtree(demo, ignore_errors=True)
    os.makedirs(demo)
    setup = os.path.join(demo, 'ZelkorDemoSetup.exe')
    install_to = r'C:\Program Files\Zelkor Demo'
    languages = os.path.join(ROOT, 'demo', 'languages.txt')
    options = ['--languages', languages] if os.path.exists(languages) else []

    print('== Packing demo/app with the sample setup engine as run entry')
    print(kit.build_installer(setup, os.path.join(ROOT, 'demo', 'app'), '--show-activity-bar',
                              *options, tail='/InstallTo="%s"' % install_to).rstrip())
    for line in z.pack('inspect', '--blocks', setup).splitlines():
        if re.match(r'(Block\d+: .*name=|ChecksumVerdict|FileCount|LogicalSize)', line):
            print('   ' + line)

    print('\n== Starting Wine (a private prefix in %s)' %
          os.path.relpath(os.environ['ZELKOR_WINE_PREFIX'], ROOT))
    wine_session.start()
    try:
        record = os.path.join(demo, 'engine.rec')
        print('\n== Running the installer (x86_64 build of the stub under wine64)')
        with z.TraceViewer(demo) as viewer:
            status = kit.run_raw('"%s"' % z.win_path(setup), kit.engine_env(record, 0))
        print('-- trace of the stub:')
        for line in viewer.lines():
            if line:
                print('   ' + line)
        print('-- the engine was started with:')
        print('   ' + (kit.record_value(record, 'commandline') or '(the engine did not run)'))
        print('-- files the engine installed:')
        installed = kit.unix_path(install_to)
        for folder, _, files in sorted(os.walk(installed)):
            for name in sorted(files):
                path = os.path.join(folder, name)
                print('   %s\\%s (%d bytes)' % (
                    install_to, os.path.relpath(path, installed).replace('/', '\\'),
                    os.path.getsize(path)))
        print('-- installer exit status: %d' % status)
        print('\nThe shipped i686 stub, %s: %d bytes' % (
            os.path.relpath(z.PRODUCT_STUB, ROOT), os.path.getsize(z.PRODUCT_STUB)))
        return 0 if status == 0 else 1
    finally:
        wine_session.stop(quiet=True)


if __name__ == '__main__':
    sys.exit(main())
