#!/bin/sh
# Installs what is missing, then configures and builds into build/.
set -e
cd "$(dirname "$0")/.."
tools/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
