#!/usr/bin/env python3
"""The benchmark payload: about 200 MB in about 2,000 files, made from a fixed
seed so that every machine packs the same bytes. Text-like files compress
about 3:1, "media" files are random bytes (already compressed), and three
large files exercise the multi-block path.

The payload is cached: it is made again only when this file changes."""
import hashlib
import os
import random
import shutil
import sys

SEED = 20240611
# Fixed so that packages are byte-identical between runs (DOS stamps have
# two-second steps).
STAMP = 1700000000
MIB = 1 << 20

TEXT_FOLDERS = 37
TEXT_PER_FOLDER = 50
TEXT_TOTAL = 70 * MIB
MEDIA_FILES = 140
MEDIA_TOTAL = 50 * MIB
# name, size, kind
LARGE = [('data\\server.log', 40 * MIB, 'text'),
         ('data\\assets.pak', 24 * MIB, 'random'),
         ('data\\engine.dat', 16 * MIB, 'mixed')]
TEXT_EXTENSIONS = ('txt', 'xml', 'js', 'ini', 'html', 'css', 'json', 'log')
MEDIA_EXTENSIONS = ('jpg', 'png', 'zip', 'cab', 'ogg')


def version():
    """Names this generator: a change of its code or seed makes a new payload."""
    with open(os.path.abspath(__file__), 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()[:16]


class TextMaker:
    """Words drawn with a Zipf-like law from a fixed vocabulary, with line
    breaks and indentation: compresses like source code and documents."""

    def __init__(self, rng):
        self.rng = rng
        letters = 'abcdefghijklmnopqrstuvwxyz'
        words = set()
        while len(words) < 3000:
            words.add(''.join(rng.choice(letters) for _ in range(rng.randint(2, 11))))
        vocabulary = sorted(words) + ['\n', '\n    ', '=', '();', '{', '}', '0', '1', '42']
        rng.shuffle(vocabulary)
        self.vocabulary = [w.encode() for w in vocabulary]
        total, cumulative = 0.0, []
        for rank in range(len(vocabulary)):
            total += 1.0 / (rank + 1)
            cumulative.append(total)
        self.cumulative = cumulative

    def make(self, size):
        # About 7 bytes per word with its blank.
        parts = []
        made = 0
        while made < size:
            chunk = b' '.join(self.rng.choices(self.vocabulary, cum_weights=self.cumulative,
                                               k=max(16, (size - made) // 6 + 8)))
            parts.append(chunk)
            made += len(chunk)
        return b''.join(parts)[:size]


def spread(rng, count, total, low, high):
    """`count` sizes between low and high, log-uniform, scaled to `total`."""
    raw = [low * (high / low) ** rng.random() for _ in range(count)]
    scale = total / sum(raw)
    sizes = [max(1, int(r * scale)) for r in raw]
    sizes[-1] += total - sum(sizes)
    return sizes


def mixed(rng, size):
    """Like a program image: random stretches between zero-filled and
    repeated tables."""
    parts, made = [], 0
    while made < size:
        n = rng.randint(4096, 65536)
        kind = rng.random()
        if kind < 0.45:
            part = rng.randbytes(n)
        elif kind < 0.7:
            part = bytes(n)
        else:
            part = (rng.randbytes(64) * (n // 64 + 1))[:n]
        parts.append(part)
        made += n
    return b''.join(parts)[:size]


def files(rng):
    """Yields (name, bytes) in a fixed order."""
    text = TextMaker(rng)
    sizes = spread(rng, TEXT_FOLDERS * TEXT_PER_FOLDER, TEXT_TOTAL, 300, 400000)
    for i, size in enumerate(sizes):
        folder, number = divmod(i, TEXT_PER_FOLDER)
        ext = TEXT_EXTENSIONS[rng.randrange(len(TEXT_EXTENSIONS))]
        yield 'app\\module%02d\\file%04d.%s' % (folder, i, ext), text.make(size)
    for i, size in enumerate(spread(rng, MEDIA_FILES, MEDIA_TOTAL, 16384, 2 * MIB)):
        ext = MEDIA_EXTENSIONS[i % len(MEDIA_EXTENSIONS)]
        yield 'media\\set%d\\item%03d.%s' % (i % 4, i, ext), rng.randbytes(size)
    for name, size, kind in LARGE:
        if kind == 'text':
            data = text.make(size)
        elif kind == 'random':
            data = rng.randbytes(size)
        else:
            data = mixed(rng, size)
        yield name, data


def ensure(folder):
    """Makes the payload in `folder` unless it is there for this version.
    Returns (file count, byte count)."""
    stamp_path = folder + '.stamp'
    wanted = version()
    if os.path.isdir(folder) and os.path.exists(stamp_path):
        with open(stamp_path) as f:
            stamp = f.read().split()
        if stamp and stamp[0] == wanted:
            return int(stamp[1]), int(stamp[2])
    print('bench: making the payload in %s (seed %d)' % (folder, SEED), flush=True)
    shutil.rmtree(folder, ignore_errors=True)
    if os.path.exists(stamp_path):
        os.remove(stamp_path)
    rng = random.Random(SEED)
    count = total = 0
    for name, data in files(rng):
        path = os.path.join(folder, *name.split('\\'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
        os.utime(path, (STAMP, STAMP))
        count += 1
        total += len(data)
    with open(stamp_path, 'w') as f:
        f.write('%s %d %d\n' % (wanted, count, total))
    return count, total


if __name__ == '__main__':
    print(ensure(sys.argv[1] if len(sys.argv) > 1 else 'build/bench/payload'))
