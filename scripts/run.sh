#!/usr/bin/env bash
# Installs what is missing, builds the program and its exact engine into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target curvalis curvalis-exact
exec build/curvalis "$@"
