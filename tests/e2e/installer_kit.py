"""Installers for the scenarios: a payload of our own, the sample engine as
run entry, a raw command line, and what the engine recorded."""
import os
import random
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402

ENGINE = z.testkit('sample_engine')


def make_payload(folder, seed=7):
    """A few dozen files: subfolders, empty files, text that compresses,
    random bytes that do not, and one file large enough to be split."""
    rng = random.Random(seed)
    files = {}
    words = b'alpha beta gamma delta epsilon zeta eta theta iota kappa lambda '
    for i in range(30):
        sub = ('', 'docs', 'bin\\tools', 'data\\deep\\er')[i % 4]
        name = (sub + '\\' if sub else '') + 'file%02d.%s' % (i, ('txt', 'bin', 'dat')[i % 3])
        kind = i % 5
        if kind == 0:
            data = b''
        elif kind in (1, 2):
            data = words * rng.randint(1, 400)
        else:
            data = bytes(rng.getrandbits(8) for _ in range(rng.randint(1, 5000)))
        files[name] = data
    files['bin\\large.bin'] = bytes(rng.getrandbits(8) for _ in range(150000)) + words * 4000
    for name, data in files.items():
        path = os.path.join(folder, *name.split('\\'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
        # DOS time stamps have two-second steps.
        stamp = 1700000000 + rng.randint(0, 10 ** 7) * 2
        os.utime(path, (stamp, stamp))
    return files


def build_installer(path, payload, *options, tail='', piece_size='65536'):
    run = 'setup.exe' + (' ' + tail if tail else '')
    return z.pack('build', '--stub', z.STUB, '--out', path, '--add', payload,
                  '--add', ENGINE + '=setup.exe', '--run', run, '--piece-size', piece_size,
                  *options)


def run_raw(command_line, env=None, temp=None, timeout=120):
    """Runs a Windows command line exactly as given; returns the exit status."""
    environment = z.wine_env()
    environment.update(env or {})
    environment['ZELKOR_RAW_COMMAND_LINE'] = command_line
    if temp:
        environment['ZELKOR_RAW_TMP'] = temp
    process = subprocess.Popen([z.WINE, z.testkit('run_raw')], env=environment,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    return process.wait(timeout=timeout)


def engine_env(record, exit_code=0, **extra):
    env = {'ZELKOR_ENGINE_RECORD': z.win_path(record), 'ZELKOR_ENGINE_EXIT': str(exit_code)}
    env.update({'ZELKOR_ENGINE_' + k.upper(): str(v) for k, v in extra.items()})
    return env


def read_record(record):
    """The engine's "key=value" lines as a list of pairs."""
    if not os.path.exists(record):
        return []
    with open(record, 'rb') as f:
        lines = f.read().decode('latin-1').split('\r\n')
    return [tuple(line.split('=', 1)) for line in lines if '=' in line]


def record_value(record, key):
    values = [v for k, v in read_record(record) if k == key]
    return values[0] if values else None


def unix_path(windows_path):
    """Where a Windows path of the Wine prefix lies on this machine."""
    with open(z.SESSION_FILE) as f:
        prefix = __import__('json').load(f)['prefix']
    drive, rest = windows_path[0].lower(), windows_path[2:].replace('\\', '/')
    if drive == 'z':
        return rest
    return os.path.join(prefix, 'dosdevices', drive + ':') + rest


def trace_lines(viewer, pattern):
    return re.findall(pattern, viewer.text(), re.M)
