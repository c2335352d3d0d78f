#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target curvalis
exec build/curvalis "$@"
