#!/usr/bin/env python3
"""Runs the Windows-side unit tests under the shared Wine session."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'e2e'))
import zelkor_e2e as z  # noqa: E402

exe = os.path.join(z.WIN_BUILD, 'win_tests.exe')
work = z.work_dir('win_tests')
result = subprocess.run([z.WINE, exe, *sys.argv[1:]], env=z.wine_env(), cwd=work)
sys.exit(result.returncode)
