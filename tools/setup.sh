#!/usr/bin/env bash
# Installs what is missing (Debian 12) and builds the program into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-packages.sh tools/packages.txt

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
