#!/usr/bin/env bash
# Stress check of stopped stock updates where process ids and mounts lie
# (not part of ctest; needs root, strace and unshare):
#
# - kill: each update is killed (SIGKILL, by strace) at its Nth rename,
#   inside a new process-id namespace, so that the next run, in another new
#   namespace, has the killed run's process id. The next run must put every
#   file back as it was before the killed update (or keep all of it when the
#   kill came after the save was final) and leave nothing behind; the update
#   run again must then book the order once.
# - bind: stock.txt is a file mounted over another (as a container's volume
#   is): the update must fail, say so, and change no file.
#
#   sudo scripts/stress_records.sh [PROGRAM]
#
# PROGRAM defaults to build/tessaly, built (release) when it is not there.
# Prints a line per trial; exits 1 when any trial was bad.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/tessaly}
if [ "$(id -u)" != 0 ]; then echo "needs root (unshare, mount)"; exit 2; fi
source scripts/stress_common.sh
trap 'umount "$work"/bind/stock.txt 2>/dev/null || true; rm -rf "$work"' EXIT

# Runs the program in Folder inside a new process-id namespace.
in_namespace() {
    local folder=$1; shift
    (cd "$folder" && unshare --pid --fork "$@")
}

bad=0
make_job "$work/ref"
s0=$(state "$work/ref")
in_namespace "$work/ref" "$program" "${update[@]}" >/dev/null 2>&1
s1=$(state "$work/ref")
in_namespace "$work/ref" "$program" "${update[@]}" >/dev/null 2>&1
s2=$(state "$work/ref")

# The first seven renames are the dump files of the run, then come the rack,
# stock.txt and parts_left.txt; 11 is past the last one. "link" is the kill
# as the commit record is put in place.
for n in 7 8 9 10 11 link; do
    job="$work/kill$n"
    make_job "$job"
    if [ "$n" = link ]; then
        inject=(-e trace=link,linkat -e inject=link,linkat:signal=SIGKILL:when=1)
    else
        inject=(-e trace=rename,renameat,renameat2 -e inject=rename,renameat,renameat2:signal=SIGKILL:when=$n)
    fi
    in_namespace "$job" strace -f -qq -o /dev/null "${inject[@]}" \
        "$program" "${update[@]}" >/dev/null 2>&1 || true
    killed=$(state "$job")
    in_namespace "$job" "$program" -auto:yes -hide:yes -sheet:stock.txt -part:order.txt \
        >"$job.out" 2>"$job.err" || { echo "kill at $n: the next run failed:"; cat "$job.err"; bad=1; continue; }
    after=$(state "$job")
    in_namespace "$job" "$program" "${update[@]}" >/dev/null 2>"$job.err2" || true
    again=$(state "$job")
    if [ "$after" = "$s0" ] && [ "$again" = "$s1" ] && [ "$(leftovers "$job")" = 0 ]; then
        echo "kill at $n: undone, booked once when run again"
    elif [ "$after" = "$s1" ] && [ "$again" = "$s2" ] && [ "$(leftovers "$job")" = 0 ]; then
        echo "kill at $n: the save was final, kept"
    else
        echo "kill at $n: BAD (killed $killed, after $after, again $again, leftovers $(leftovers "$job"))"
        bad=1
    fi
done

job="$work/bind"
make_job "$job"
cp "$job/stock.txt" "$work/volume.txt"
mount --bind "$work/volume.txt" "$job/stock.txt"
before=$(state "$job")
if (cd "$job" && "$program" "${update[@]}" >/dev/null 2>"$job.err"); then
    echo "bind-mounted stock.txt: BAD (exit 0)"; bad=1
elif [ "$(state "$job")" != "$before" ] || ! grep -q 'stock.txt' "$job.err"; then
    echo "bind-mounted stock.txt: BAD (files changed or message without stock.txt)"; cat "$job.err"; bad=1
else
    echo "bind-mounted stock.txt: refused, nothing changed: $(tr -d '\n' <"$job.err")"
fi
umount "$job/stock.txt"
exit $bad
