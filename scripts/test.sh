#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then does
# the same in a build with the address and undefined-behaviour sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cd "$root"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMCLP_SANITIZE=ON -DMCLP_BENCH=OFF
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -j2
