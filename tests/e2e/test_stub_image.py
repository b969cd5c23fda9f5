#!/usr/bin/env python3
"""The shipped i686 stub and its x86_64 test twin: PE header at 0x100,
logical size, resources, and the builder's view of them."""
import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import zelkor_e2e as z  # noqa: E402


def inspect(path):
    out = z.pack('inspect', path)
    return dict(line.split(': ', 1) for line in out.splitlines() if ': ' in line)


class StubImage(unittest.TestCase):
    def test_both_builds_have_their_pe_header_at_0x100(self):
        for path, machine in ((z.PRODUCT_STUB, 0x14C), (z.STUB, 0x8664)):
            with self.subTest(path=path):
                with open(path, 'rb') as f:
                    data = f.read()
                self.assertEqual(data[:2], b'MZ')
                self.assertEqual(struct.unpack_from('<I', data, 0x3C)[0], 0x100)
                self.assertEqual(data[0x100:0x104], b'PE\0\0')
                self.assertEqual(struct.unpack_from('<H', data, 0x104)[0], machine)
                # The logical size of a bare stub is its own size.
                self.assertEqual(struct.unpack_from('<II', data, 0xF8), (0, len(data)))
                info = inspect(path)
                self.assertEqual(info['PeImage'], 'yes')
                self.assertEqual(info['LogicalSize'], str(len(data)))
                self.assertEqual(info['Package'], 'no')

    def test_product_carries_icon_manifest_and_version(self):
        with open(z.PRODUCT_STUB, 'rb') as f:
            data = f.read()
        self.assertIn('MAINICON'.encode('utf-16-le'), data)
        self.assertIn(b'level="asInvoker"', data)
        self.assertIn('FileDescription'.encode('utf-16-le'), data)
        # Windows subsystem (GUI), 32-bit optional header.
        optional = 0x100 + 24
        self.assertEqual(struct.unpack_from('<H', data, optional)[0], 0x10B)
        self.assertEqual(struct.unpack_from('<H', data, optional + 68)[0], 2)


if __name__ == '__main__':
    z.main()
