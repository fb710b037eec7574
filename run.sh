#!/usr/bin/env bash
# Builds Quillorix and starts it on LOGFILE (the bundled sample when none is given).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
qx_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}"

log=${1:-examples/sample.log}
if [ -x build/bin/quillorix ]; then
    exec build/bin/quillorix "$log"
fi
exec build/bin/quillorix-cli info "$log"
