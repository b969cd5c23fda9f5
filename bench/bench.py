#!/usr/bin/env python3
"""make bench: extraction speed, memory and size of the stub against a peer
installer (NSIS, zlib) and against the physical limit (a bare inflate-and-write
of the same blocks), on a reproducible payload of about 200 MB in about 2,000
files. Prints a Markdown table and writes it, with a JSON twin, to
bench/results/."""
import argparse
import datetime
import hashlib
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, 'bench')
DEFAULT_RESULTS = os.path.join(BENCH, 'results')
sys.path.insert(0, BENCH)
import payload as payload_maker  # noqa: E402

MIB = 1 << 20
# What an installer run waits by prescription when the engine ends at once:
# 1000 ms before extraction, 500 ms at the end of ExtractPackage, 1000 ms
# after it, 1000 ms after the engine starts, one 500 ms step of the engine
# poll, 1000 ms after the engine.
FIXED_WAITS_MS = [('before extraction', 1000), ('end of ExtractPackage', 500),
                  ('after ExtractPackage', 1000), ('after the engine starts', 1000),
                  ('engine poll (one 500 ms step)', 500), ('after the engine', 1000)]
PROBE_NAME = 'zbprobe.exe'
# The limit, then the stub's own ways added one at a time (limit_inflate's
# EXTRAS): what each step adds is a part of the gap between the two.
LADDER = [('bare', 'the limit: 1 MiB reads, inflated straight into 1 MiB written when full'),
          ('stream', '64 KiB reads, a 64 KiB inflate window copied into a 1 MiB buffer'),
          ('reopen', 'every write opens the file, appends and closes it'),
          ('stamps', 'the time stamp set per block'),
          ('exists', 'existence checks of the file and its folder per block'),
          ('progress', 'the progress step per file of the hidden window (its bars wait '
           'until it is shown)'),
          ('pump', 'window messages pumped every 10 ms')]
PEER_STUBS = '/usr/share/nsis/Stubs'


def sh(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, text=True, **kwargs).stdout


def digest(*parts):
    h = hashlib.sha256()
    for part in parts:
        if isinstance(part, str) and os.path.isfile(part):
            with open(part, 'rb') as f:
                h.update(f.read())
        else:
            h.update(str(part).encode())
        h.update(b'\0')
    return h.hexdigest()[:20]


def cached(path, key, make):
    """Runs make() unless `path` was made with the same key; returns the
    seconds it took, or None when the cached file was used."""
    key_path = path + '.key'
    if os.path.exists(path) and os.path.exists(key_path):
        with open(key_path) as f:
            if f.read().strip() == key:
                return None
    if os.path.exists(key_path):
        os.remove(key_path)
    start = time.monotonic()
    make()
    elapsed = time.monotonic() - start
    with open(key_path, 'w') as f:
        f.write(key + '\n')
    return elapsed


class Bench:
    def __init__(self, build, runs, stub, results=None):
        self.build = build
        self.results_folder = results or DEFAULT_RESULTS
        self.runs = runs
        self.work = os.path.join(build, 'bench')
        self.tools = os.path.join(self.work, 'tools')
        self.stub = stub or os.path.join(build, 'win64', 'Stub.exe')
        self.product_stub = os.path.join(build, 'win', 'Stub.exe')
        self.pack = os.path.join(build, 'zelkor-pack')
        os.makedirs(self.tools, exist_ok=True)
        self.results = {}

    # ---- inputs ---------------------------------------------------------

    def make_tools(self):
        """The probe (run entry of our installer), the limit for Windows and
        the same limit built natively."""
        builds = [
            ('mem_probe.exe', 'mem_probe.cpp',
             ['x86_64-w64-mingw32-g++', '-Os', '-std=c++17', '-mwindows', '-static', '-s'],
             ['-lpsapi']),
            ('limit_inflate.exe', 'limit_inflate.cpp',
             ['x86_64-w64-mingw32-g++', '-O2', '-std=c++17', '-static', '-s'],
             ['-l:libz.a', '-lcomctl32']),
            ('limit_inflate', 'limit_inflate.cpp', ['g++', '-O2', '-std=c++17'], ['-lz']),
        ]
        for output, source, compiler, libraries in builds:
            out = os.path.join(self.tools, output)
            src = os.path.join(BENCH, source)
            command = compiler + ['-Wall', '-Wextra', '-o', out, src] + libraries
            cached(out, digest(src, ' '.join(command)), lambda c=command: sh(*c))
        self.probe = os.path.join(self.tools, 'mem_probe.exe')
        self.limit_win = os.path.join(self.tools, 'limit_inflate.exe')
        self.limit_native = os.path.join(self.tools, 'limit_inflate')

    def make_payload(self):
        self.payload = os.path.join(self.work, 'payload')
        count, total = payload_maker.ensure(self.payload)
        self.results['payload'] = {
            'seed': payload_maker.SEED, 'version': payload_maker.version(),
            'files': count + 1, 'bytes': total + os.path.getsize(self.probe),
            'note': 'generated files plus the memory probe (%s), packed by both' % PROBE_NAME}

    def make_ours(self, out, *adds, piece_size=None):
        options = ['--run', PROBE_NAME, '--add', self.probe + '=' + PROBE_NAME]
        for add in adds:
            options += ['--add', add]
        if piece_size:
            options += ['--piece-size', str(piece_size)]
        key = digest(self.stub, self.pack, payload_maker.version(), self.probe, *options)
        return cached(out, key, lambda: sh(self.pack, 'build', '--stub', self.stub, '--out', out,
                                           *options))

    def make_peer(self):
        folder = os.path.join(self.work, 'peer')
        os.makedirs(folder, exist_ok=True)
        self.peer = os.path.join(folder, 'peer-setup.exe')
        # A minimal silent zlib installer of the same files; the amd64 target
        # because only wine64 runs here.
        script = '\n'.join([
            'Unicode true', 'Target amd64-unicode', 'SetCompressor zlib',
            'Name "Zelkor bench peer"', 'OutFile "%s"' % self.peer, 'SilentInstall silent',
            'RequestExecutionLevel user', 'InstallDir "$TEMP\\zbench-peer"', 'Section',
            '  SetOutPath "$INSTDIR"', '  File /r "%s/*"' % self.payload,
            '  File "/oname=%s" "%s"' % (PROBE_NAME, self.probe), 'SectionEnd', ''])
        nsi = os.path.join(folder, 'peer.nsi')
        with open(nsi, 'w') as f:
            f.write(script)
        version = sh('makensis', '-VERSION').strip()
        self.results['peer_version'] = 'NSIS ' + version
        key = digest(script, version, payload_maker.version(), self.probe)
        seconds = cached(self.peer, key, lambda: sh('makensis', '-V1', nsi))
        if seconds is not None:
            self.results['peer_build_seconds'] = round(seconds, 1)

    def block_range(self, installer):
        """Offsets of the first file block and of the trailer."""
        text = sh(self.pack, 'inspect', '--blocks', installer)
        first = int(re.search(r'^BlocksOffset: (\d+)', text, re.M).group(1))
        end = int(re.search(r'^TrailerOffset: (\d+)', text, re.M).group(1))
        blocks = len(re.findall(r'^Block\d+: .* name=', text, re.M))
        return first, end, blocks

    # ---- sizes ----------------------------------------------------------

    def stripped_size(self, path, strip):
        copy = os.path.join(self.work, 'strip.tmp')
        shutil.copyfile(path, copy)
        sh(strip, copy)
        size = os.path.getsize(copy)
        os.remove(copy)
        return size

    def sizes(self):
        ours_stub = os.path.getsize(self.stub)
        peer_stub = os.path.join(PEER_STUBS, 'zlib-amd64-unicode')
        sizes = {
            'ours_stub_i686': {'file': os.path.getsize(self.product_stub),
                               'stripped': self.stripped_size(self.product_stub,
                                                              'i686-w64-mingw32-strip')},
            'ours_stub_x86_64': {'file': ours_stub,
                                 'stripped': self.stripped_size(self.stub,
                                                                'x86_64-w64-mingw32-strip')},
        }
        for name, strip in (('zlib-x86-ansi', 'i686-w64-mingw32-strip'),
                            ('zlib-x86-unicode', 'i686-w64-mingw32-strip'),
                            ('zlib-amd64-unicode', 'x86_64-w64-mingw32-strip')):
            path = os.path.join(PEER_STUBS, name)
            sizes['peer_stub_' + name] = {'file': os.path.getsize(path),
                                          'stripped': self.stripped_size(path, strip)}
        ours_total = os.path.getsize(self.ours)
        sizes['ours_installer'] = ours_total
        sizes['ours_package'] = ours_total - ours_stub
        if self.peer:
            peer_total = os.path.getsize(self.peer)
            sizes['peer_installer'] = peer_total
            sizes['peer_package'] = peer_total - os.path.getsize(peer_stub)
        self.results['sizes'] = sizes

    # ---- runs under Wine -------------------------------------------------

    def wine(self, exe, *args, env=None, timeout=900):
        """Runs a Windows program; returns (seconds, exit status, stdout, peak
        resident size seen from Linux)."""
        environment = self.z.wine_env()
        environment.update(env or {})
        start = time.monotonic()
        process = subprocess.Popen([self.z.WINE, exe, *args], env=environment,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, text=True)
        peak = [0]
        watcher = threading.Thread(target=self.watch_peak, args=(process, peak), daemon=True)
        watcher.start()
        out, _ = process.communicate(timeout=timeout)
        elapsed = time.monotonic() - start
        watcher.join()
        return elapsed, process.returncode, out, peak[0]

    @staticmethod
    def watch_peak(process, peak):
        # wine64 becomes the Windows process itself, so its VmHWM is the
        # program's peak resident size as Linux counts it.
        path = '/proc/%d/status' % process.pid
        while process.poll() is None:
            try:
                with open(path) as f:
                    match = re.search(r'^VmHWM:\s+(\d+) kB', f.read(), re.M)
                if match:
                    peak[0] = max(peak[0], int(match.group(1)) * 1024)
            except OSError:
                pass
            time.sleep(0.05)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, 'drive_c', *parts)

    def fresh(self, path):
        shutil.rmtree(path, ignore_errors=True)
        # Earlier writes go to disk before the clock starts.
        os.sync()

    def probe_values(self, path):
        values = {}
        if os.path.exists(path):
            with open(path) as f:
                for line in f:
                    key, _, value = line.strip().partition('=')
                    values[key] = value
        return values

    def run_ours(self, installer, viewer, tag):
        probe_out = os.path.join(self.work, 'probe-%s.txt' % tag)
        if os.path.exists(probe_out):
            os.remove(probe_out)
        os.sync()
        before = len(re.findall(r'UnCompressTime: (\d+) MS', viewer.text()))
        seconds, status, _, linux_peak = self.wine(
            installer, '/hide', env={'ZELKOR_BENCH_PROBE_OUT': self.z.win_path(probe_out)})
        found = []
        for _ in range(50):
            found = re.findall(r'UnCompressTime: (\d+) MS', viewer.text())
            if len(found) > before:
                break
            time.sleep(0.1)
        if status != 0 or len(found) <= before:
            raise RuntimeError('our installer run failed (status %d)' % status)
        probe = self.probe_values(probe_out)
        return {'wall_ms': round(seconds * 1000), 'extract_ms': int(found[-1]),
                'peak_working_set': int(probe.get('peak_working_set', 0)),
                'peak_pagefile': int(probe.get('peak_pagefile', 0)),
                'linux_vmhwm': linux_peak}

    def run_peer(self, check):
        target = self.drive_c('zbench', 'peer')
        self.fresh(target)
        seconds, status, _, linux_peak = self.wine(self.peer, '/S', r'/D=C:\zbench\peer')
        if status != 0:
            raise RuntimeError('the peer installer failed (status %d)' % status)
        if check:
            count = sum(len(files) for _, _, files in os.walk(target))
            if count != self.results['payload']['files']:
                raise RuntimeError('the peer wrote %d files' % count)
        return {'wall_ms': round(seconds * 1000), 'linux_vmhwm': linux_peak}

    def run_limit(self, native, extras=''):
        first, end, _ = self.blocks
        target = self.drive_c('zbench', 'native' if native else 'limit')
        self.fresh(target)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if native:
            start = time.monotonic()
            out = sh(self.limit_native, self.ours, str(first), str(end), target)
            seconds = time.monotonic() - start
        else:
            seconds, status, out, _ = self.wine(self.limit_win, self.z.win_path(self.ours),
                                                str(first), str(end), r'C:\zbench\limit',
                                                *([extras] if extras else []))
            if status != 0:
                raise RuntimeError('limit_inflate failed under Wine')
        match = re.search(r'files=(\d+) bytes=(\d+) ms=([\d.]+)', out)
        if not match or int(match.group(1)) != self.results['payload']['files']:
            raise RuntimeError('limit_inflate: unexpected output %r' % out)
        return {'wall_ms': round(seconds * 1000), 'work_ms': float(match.group(3))}

    def measure(self):
        import wine_session
        self.prefix = wine_session.PREFIX
        wine_session.start()
        try:
            with self.z.TraceViewer(self.work) as viewer:
                self.measure_in_session(viewer)
        finally:
            wine_session.stop(quiet=True)
            shutil.rmtree(self.drive_c('zbench'), ignore_errors=True)

    def measure_in_session(self, viewer):
        # Warm-up: the installers and the payload in the page cache, Wine's
        # DLLs loaded once.
        self.wine(self.probe)
        starts = [self.wine(self.probe)[0] * 1000 for _ in range(3)]
        self.results['wine_process_start_ms'] = round(statistics.median(starts))
        runs = {'ours': [], 'peer': [], 'limit_native': []}
        runs.update(('ladder_' + name, []) for name, _ in LADDER)
        for i in range(self.runs):
            print('bench: run %d of %d' % (i + 1, self.runs), flush=True)
            # Interleaved, so that the load of the shared machine falls on
            # every figure alike.
            runs['ours'].append(self.run_ours(self.ours, viewer, 'main'))
            if self.peer:
                runs['peer'].append(self.run_peer(check=(i == 0)))
            for step in range(len(LADDER)):
                extras = ','.join(name for name, _ in LADDER[1:step + 1])
                runs['ladder_' + LADDER[step][0]].append(self.run_limit(False, extras))
            runs['limit_native'].append(self.run_limit(native=True))
        runs['limit_wine'] = runs['ladder_bare']
        self.results['runs'] = runs
        # Memory beside the main payload: a package of the probe alone (what
        # the stub needs without extracting much), and the largest file in a
        # single block (does memory follow the block?).
        print('bench: memory runs', flush=True)
        memory = {}
        alone = os.path.join(self.work, 'memory-baseline.exe')
        self.make_ours(alone)
        memory['baseline'] = [self.run_ours(alone, viewer, 'baseline') for _ in range(2)]
        big = os.path.join(self.work, 'memory-one-block.exe')
        large = os.path.join(self.payload, 'data', 'server.log')
        self.make_ours(big, large + '=server.log', piece_size=64 * MIB)
        memory['one_block'] = [self.run_ours(big, viewer, 'one-block') for _ in range(2)]
        memory['one_block_size'] = os.path.getsize(large)
        self.results['memory'] = memory

    # ---- figures ---------------------------------------------------------

    def summarise(self):
        r = self.results
        runs = r['runs']

        def med(name, key):
            return statistics.median(x[key] for x in runs[name])

        ours_wall = med('ours', 'wall_ms')
        ours_extract = med('ours', 'extract_ms')
        peer = med('peer', 'wall_ms') if runs['peer'] else None
        limit_wine = med('limit_wine', 'work_ms')
        # The best run of each step as well: the load of others only ever
        # adds, so the best runs show the steps' own costs more steadily.
        ladder = [(name, what, med('ladder_' + name, 'work_ms'),
                   min(x['work_ms'] for x in runs['ladder_' + name])) for name, what in LADDER]
        limit_native = med('limit_native', 'work_ms')
        fixed = sum(ms for _, ms in FIXED_WAITS_MS)
        memory = r['memory']
        summary = {
            'ours_wall_ms': ours_wall,
            'ours_fixed_waits_ms': fixed,
            'ours_fixed_waits_share': round(fixed / ours_wall, 3),
            'ours_extract_ms': ours_extract,
            'ours_other_ms': ours_wall - fixed - ours_extract,
            'peer_wall_ms': peer,
            'ladder_ms': [[name, what, round(ms, 1), round(best, 1)]
                          for name, what, ms, best in ladder],
            'ours_extract_best_ms': min(x['extract_ms'] for x in runs['ours']),
            'limit_wine_ms': limit_wine,
            'limit_native_ms': limit_native,
            'extract_over_peer': round(ours_extract / peer, 3) if peer else None,
            'extract_over_limit': round(ours_extract / limit_wine, 3),
            'wine_cost_limit_wine_over_native': round(limit_wine / limit_native, 3),
            'peak_working_set': max(x['peak_working_set'] for x in runs['ours']),
            'peak_working_set_baseline': max(x['peak_working_set'] for x in memory['baseline']),
            'peak_working_set_one_block':
                max(x['peak_working_set'] for x in memory['one_block']),
            'peer_linux_vmhwm': max((x['linux_vmhwm'] for x in runs['peer']), default=None),
            'ours_linux_vmhwm': max(x['linux_vmhwm'] for x in runs['ours']),
        }
        r['summary'] = summary
        r['fixed_waits_ms'] = dict(FIXED_WAITS_MS)

    def machine(self):
        cpu = ''
        with open('/proc/cpuinfo') as f:
            match = re.search(r'^model name\s*:\s*(.*)$', f.read(), re.M)
            cpu = match.group(1) if match else platform.processor()
        with open('/proc/meminfo') as f:
            memory = int(re.search(r'MemTotal:\s+(\d+)', f.read()).group(1)) * 1024
        try:
            commit = sh('git', '-C', ROOT, 'rev-parse', '--short', 'HEAD').strip()
            dirty = bool(sh('git', '-C', ROOT, 'status', '--porcelain', '--untracked-files=no'))
        except (subprocess.CalledProcessError, FileNotFoundError):
            commit, dirty = 'unknown', False
        return {'cpu': cpu, 'cores': os.cpu_count(), 'memory_gib': round(memory / (1 << 30), 1),
                'kernel': platform.release(), 'wine': sh(self.z.WINE, '--version').strip(),
                'load_average': [round(x, 2) for x in os.getloadavg()],
                'commit': commit + ('+changes' if dirty else ''),
                'date': datetime.datetime.now().astimezone().isoformat(timespec='seconds')}

    def run(self):
        os.environ.update(ZELKOR_BUILD=self.build,
                          ZELKOR_WIN_BUILD=os.path.join(self.build, 'win64'),
                          ZELKOR_PRODUCT_BUILD=os.path.join(self.build, 'win'),
                          ZELKOR_PACK=self.pack,
                          # A Wine session of its own, apart from the tests'.
                          ZELKOR_WINE_SESSION=os.path.join(self.build, 'bench-session.json'),
                          ZELKOR_WINE_PREFIX=os.path.join(self.build, 'bench-prefix'))
        sys.path.insert(0, os.path.join(ROOT, 'tests', 'e2e'))
        import zelkor_e2e
        self.z = zelkor_e2e

        self.make_tools()
        self.make_payload()
        self.ours = os.path.join(self.work, 'zelkor-setup.exe')
        print('bench: packing with zelkor-pack and makensis (reused when unchanged)', flush=True)
        seconds = self.make_ours(self.ours, self.payload)
        if seconds is not None:
            self.results['ours_build_seconds'] = round(seconds, 1)
        try:
            self.make_peer()
        except (subprocess.CalledProcessError, OSError) as error:
            # Sizes are still reported; the comparison falls back to the limit.
            self.peer = None
            self.results['peer_error'] = str(error)
        self.blocks = self.block_range(self.ours)
        self.results['blocks'] = self.blocks[2]
        self.sizes()
        load_before = os.getloadavg()
        self.measure()
        self.summarise()
        self.results['machine'] = self.machine()
        self.results['machine']['load_average_before'] = [round(x, 2) for x in load_before]
        self.results['runs_per_figure'] = self.runs
        self.results['stub_run'] = os.path.relpath(self.stub, ROOT)

        import report
        markdown = report.markdown(self.results)
        folder = self.results_folder
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, 'latest.json'), 'w') as f:
            json.dump(self.results, f, indent=1, sort_keys=True)
            f.write('\n')
        with open(os.path.join(folder, 'latest.md'), 'w') as f:
            f.write(markdown)
        if folder == DEFAULT_RESULTS:
            show_in_readme(markdown)
        print()
        print(markdown)


def show_in_readme(markdown):
    """The README carries the latest tables (without the notes) between
    its bench markers."""
    path = os.path.join(ROOT, 'README.md')
    begin, end = '<!-- bench:begin -->', '<!-- bench:end -->'
    with open(path) as f:
        text = f.read()
    if begin not in text or end not in text:
        return
    tables = markdown.split('\nNotes.\n')[0].split('\n', 1)[1].strip()
    text = text[:text.index(begin) + len(begin)] + '\n' + tables + '\n' + text[text.index(end):]
    with open(path, 'w') as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--build', default='build')
    parser.add_argument('--runs', type=int, default=int(os.environ.get('BENCH_RUNS', '5')))
    parser.add_argument('--stub', help='x86_64 stub to run (default: BUILD/win64/Stub.exe)')
    parser.add_argument('--results', help='folder for latest.md and latest.json '
                        '(default: bench/results)')
    args = parser.parse_args()
    build = os.path.abspath(os.path.join(ROOT, args.build))
    Bench(build, args.runs, args.stub and os.path.abspath(args.stub),
          args.results and os.path.abspath(args.results)).run()
    return 0


if __name__ == '__main__':
    sys.exit(main())
