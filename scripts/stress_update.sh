#!/usr/bin/env bash
# Stress check of the stock update lock (not part of ctest): two batch jobs
# that update the same stock files are started together, again and again.
# Every trial must end either with both updates applied one after the other,
# or with one of them refused (exit status not 0) and nothing of it written.
# Anything else - a lost update, a job that says it worked but wrote nothing,
# files left half-saved - is a bad trial.
#
#   scripts/stress_update.sh [TRIALS] [PROGRAM]
#
# TRIALS defaults to 30. PROGRAM defaults to build/tessaly, which is built
# (release) when it is not there. Prints a line per trial and a summary;
# exits 1 when any trial was bad.
set -euo pipefail
cd "$(dirname "$0")/.."
trials=${1:-30}
program=${2:-build/tessaly}
source scripts/stress_common.sh
# One job, its messages in $2.out and $2.err.
run_job() {
    (cd "$1" && "$program" "${update[@]}" >"$2.out" 2>"$2.err")
}

# What one job and two jobs in turn leave.
make_job "$work/ref"
s0=$(state "$work/ref")
run_job "$work/ref" "$work/ref1" || { echo "a single job fails:"; cat "$work/ref1.err"; exit 1; }
s1=$(state "$work/ref")
run_job "$work/ref" "$work/ref2" || { echo "a second job in turn fails:"; cat "$work/ref2.err"; exit 1; }
s2=$(state "$work/ref")
if [ "$s0" = "$s1" ] || [ "$s1" = "$s2" ]; then
    echo "the jobs change nothing: no check possible"; exit 1
fi

both=0 refused=0 bad=0
for ((t = 1; t <= trials; t++)); do
    job="$work/t$t"
    make_job "$job"
    set +e
    run_job "$job" "$job.a" &
    a=$!
    run_job "$job" "$job.b" &
    b=$!
    wait $a; ea=$?
    wait $b; eb=$?
    set -e
    s=$(state "$job")
    left=$(leftovers "$job")
    verdict=bad
    if [ "$left" -ne 0 ]; then
        verdict="bad (unfinished save files left)"
    elif [ $ea -eq 0 ] && [ $eb -eq 0 ] && [ "$s" = "$s2" ]; then
        verdict=both; both=$((both + 1))
    elif [ $((ea == 0)) -ne $((eb == 0)) ] && [ "$s" = "$s1" ]; then
        failed=$job.a; [ $ea -eq 0 ] && failed=$job.b
        if grep -q "refused" "$failed.err"; then verdict=refused; refused=$((refused + 1)); fi
    fi
    if [[ $verdict == bad* ]]; then
        bad=$((bad + 1))
        echo "trial $t: $verdict (exit $ea and $eb; state $( [ "$s" = "$s2" ] && echo both || ([ "$s" = "$s1" ] && echo one) || ([ "$s" = "$s0" ] && echo none) || echo other))"
        sed 's/^/  a: /' "$job.a.err"; sed 's/^/  b: /' "$job.b.err"
    else
        echo "trial $t: $verdict"
    fi
done
echo "$trials trials: $both with both updates applied in turn, $refused with one refused and nothing of it written, $bad bad"
[ "$bad" -eq 0 ]
