"""The Markdown table of a benchmark run, from the figures bench.py gathers."""

MIB = 1 << 20


def seconds(ms):
    return '%.2f s' % (ms / 1000.0)


def mib(size):
    return '%.1f MiB' % (size / MIB)


def count(size):
    return '{:,}'.format(size)


def ratio(value):
    return '%.2f' % value if value is not None else 'n/a'


def optional(value, show):
    return show(value) if value is not None else 'not run (see notes)'


def gap_rows(r):
    """The ladder from the limit to the stub, step by step."""
    s = r['summary']
    rows = []
    previous = None
    for name, what, ms, best in s['ladder_ms']:
        step = '' if previous is None else '%+.0f ms' % (best - previous)
        rows.append('| %s | %s | %s | %s | %s |' % (
            'limit' if previous is None else '+ ' + name, what, seconds(ms), seconds(best), step))
        previous = best
    best = s['ours_extract_best_ms']
    rows.append('| our stub | the extraction phase (`UnCompressTime`) | %s | %s | %+.0f ms |'
                % (seconds(s['ours_extract_ms']), seconds(best), best - previous))
    return rows


def markdown(r):
    s = r['summary']
    sizes = r['sizes']
    machine = r['machine']
    payload = r['payload']
    fixed = s['ours_fixed_waits_ms']
    lines = [
        '# Zelkor benchmark',
        '',
        '%s; %s, %d cores, %.0f GiB; %s; Linux %s; commit %s; load average %s before, %s after.'
        % (machine['date'], machine['cpu'], machine['cores'], machine['memory_gib'],
           machine['wine'], machine['kernel'], machine['commit'],
           ' '.join('%.1f' % x for x in machine['load_average_before']),
           ' '.join('%.1f' % x for x in machine['load_average'])),
        '',
        'Payload: seed %d, %s files, %s bytes (%s), %d file blocks in our package. '
        'Medians of %d runs; everything ran under wine64 (%s of our stub).'
        % (payload['seed'], count(payload['files']), count(payload['bytes']),
           mib(payload['bytes']), r['blocks'], r['runs_per_figure'], r['stub_run']),
        '',
        '| Time | Median |',
        '|---|---|',
        '| Our whole run, `/hide` (wall, from process start to exit) | %s |'
        % seconds(s['ours_wall_ms']),
        '| &nbsp;&nbsp;of which prescribed fixed waits | %s (%.0f %%) |'
        % (seconds(fixed), 100.0 * s['ours_fixed_waits_share']),
        '| &nbsp;&nbsp;of which the extraction phase (`UnCompressTime`) | %s |'
        % seconds(s['ours_extract_ms']),
        '| &nbsp;&nbsp;of which the rest (process start, checks, run entry, removal of the '
        'setup folder) | %s |' % seconds(s['ours_other_ms']),
        '| Peer\'s silent run, `/S` (wall; %s, zlib, amd64 stub) | %s |'
        % (r.get('peer_version', 'NSIS'), optional(s['peer_wall_ms'], seconds)),
        '| Limit: bare inflate-and-write of our blocks, under Wine | %s |'
        % seconds(s['limit_wine_ms']),
        '| Limit, same program native on Linux | %s |' % seconds(s['limit_native_ms']),
        '| Wine process start (empty program) | %s |' % seconds(r['wine_process_start_ms']),
        '| **Our extraction phase / peer\'s silent run** | **%s** |'
        % ratio(s['extract_over_peer']),
        '| **Our extraction phase / limit under Wine** | **%.2f** |' % s['extract_over_limit'],
        '| Wine\'s own cost: limit under Wine / native | %.2f |'
        % s['wine_cost_limit_wine_over_native'],
        '',
        '| Memory | Peak |',
        '|---|---|',
        '| Stub working set, this payload (%s files in blocks of at most 4 MiB) | %s |'
        % (count(payload['files']), mib(s['peak_working_set'])),
        '| Stub working set, a package of the probe alone (the stub\'s floor) | %s |'
        % mib(s['peak_working_set_baseline']),
        '| Stub working set, one %s file in a single block | %s |'
        % (mib(r['memory']['one_block_size']), mib(s['peak_working_set_one_block'])),
        '| Peer, resident peak seen from Linux (VmHWM) | %s |'
        % optional(s['peer_linux_vmhwm'], mib),
        '| Stub, resident peak seen from Linux (VmHWM), this payload | %s |'
        % mib(s['ours_linux_vmhwm']),
        '',
        '| Size (bytes) | Ours | Peer |',
        '|---|---|---|',
        '| Stub, stripped, i686 (shipped) | %s | %s (zlib-x86-ansi), %s (zlib-x86-unicode) |'
        % (count(sizes['ours_stub_i686']['stripped']),
           count(sizes['peer_stub_zlib-x86-ansi']['stripped']),
           count(sizes['peer_stub_zlib-x86-unicode']['stripped'])),
        '| Stub, stripped, x86_64 (run here) | %s | %s (zlib-amd64-unicode) |'
        % (count(sizes['ours_stub_x86_64']['stripped']),
           count(sizes['peer_stub_zlib-amd64-unicode']['stripped'])),
        '| Package of this payload (installer minus stub) | %s | %s |'
        % (count(sizes['ours_package']), optional(sizes.get('peer_package'), count)),
        '| Installer | %s | %s |' % (count(sizes['ours_installer']),
                                      optional(sizes.get('peer_installer'), count)),
        '',
        '| From the limit to our stub (under Wine) | What is added | Median | Best | Step (best) |',
        '|---|---|---|---|---|',
    ] + gap_rows(r) + ['', NOTES.strip(), '']
    if r.get('peer_error'):
        lines += ['The peer could not be built or run on this machine: %s. Our extraction '
                  'is compared with the limit alone.' % r['peer_error'], '']
    return '\n'.join(lines)


NOTES = """
Notes.
- The fixed waits are the installer run's prescribed pauses (1000 ms before
  the extraction, 500 ms at the end of ExtractPackage, 1000 ms after it,
  1000 ms after the run entry starts, one 500 ms step of the wait for it,
  1000 ms after it); they are measured inside the whole run, never removed.
- The peer's figure is its whole silent run, process start and its own CRC
  check of the installer included; ours is the traced extraction phase only.
  Both extract the same files (the payload and the probe) with time stamps.
- The limit reads the same blocks of our package, inflates them with the same
  zlib and writes the same files, with nothing else. The ladder adds the
  stub's own ways one at a time; its steps are taken between best runs (the
  load of others only adds), and a step within the noise of a shared machine
  can still come out negative. The last step is what the stub does besides
  (per-block bookkeeping in strings, a seek and a 4-byte read per block
  length, the trace), a few tens of milliseconds when timed inside the stub,
  and otherwise the noise between separate processes.
- Memory: the probe packed as run entry reads the stub's counters
  (GetProcessMemoryInfo of its parent) while the stub waits for it. Extraction
  holds at most one read piece, one inflate window and one 1 MiB write buffer,
  so the peak does not follow the file or the block size.
- Sizes: the peer's stubs are those of Debian's nsis package; the package is
  the installer less its stub (for the peer, less the amd64 stub it was built
  with).
"""
