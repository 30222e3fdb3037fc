#!/usr/bin/env bash
# Builds a release build and runs the sample job.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
./build/tessaly --version
