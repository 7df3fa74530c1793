#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
set -e
cd "$(dirname "$0")/.."
tools/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"
