#!/usr/bin/env bash
# Builds a release build and runs the sample job of examples/sample in batch
# mode, in a scratch copy of the folder, then prints the plan's report.
# With --gui it opens the main window on that copy instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
job=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-job.XXXXXX")
cp examples/sample/* "$job"/
if [ "${1:-}" = "--gui" ]; then
    # The window on the sample job; the lists are saved there when it closes.
    echo "Sample job in $job"
    cd "$job"
    exec "$OLDPWD/build/tessaly"
fi
(cd "$job" && "$OLDPWD/build/tessaly" -auto:yes -hide:yes -report:plan.txt)
cat "$job/plan.txt"
echo
echo "Plan, cut lists and dump files are in $job:"
ls "$job"
