#!/usr/bin/env bash
# The peer installer's builder for the benchmark (Debian's nsis); quiet when
# it is already there.
set -euo pipefail
command -v makensis >/dev/null 2>&1 && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "bench: installing nsis"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends nsis >/dev/null
