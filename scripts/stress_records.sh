#!/usr/bin/env bash
# Stress check of stopped stock updates where process ids, folders, mounts
# and file systems lie (not part of ctest; needs root, strace, unshare, loop
# devices and FUSE for exFAT).
#
# Most trials run an update over two folders: a job folder J (stock.txt and
# the exported parts_left.txt) and a rack folder S named by J's default.opt
# (the offcut and part racks, saved first). Each update is killed (SIGKILL,
# by strace, just before the call named) inside a new process-id namespace,
# so that every run has the same process id as the killed one. After the next
# run(s) each trial checks that the files of the update in both folders are
# all old or all new, that the update run again books the order once, that
# no "*.tmp~*" or ".tessaly-commit~*" file is left and that the exit status
# agrees with what was saved.
#
# - kill: a kill before every rename and every unlink of an update over J
#   and S; then two job folders J1 and J2 sharing S, updated one after the
#   other, each killed at the same call.
# - exfat: a job folder on exFAT (FUSE, no hard links): the update works,
#   and a kill at each call of its save is settled by the next run. The same
#   on FAT (vfat) when the kernel has it.
# - remount: S on a file system of its own, mounted again through another
#   loop device (another device number) after the kill.
# - restore: S put back from a copy taken before the killed update.
# - deleted: J deleted after the kill; a job in J2, which shares S, runs.
# - bind: stock.txt is a file mounted over another (as a container's volume
#   is): the update must fail, say so, and change no file; and a job folder
#   reached through a bind mount as well as its own name works.
# - missing: S's record not where J looks for it after a kill just after the
#   save was made final: another disk mounted in S's disk's place, S new on
#   a disk not mounted (its mount point empty), J moved while a second job
#   settles S; and the "*.tmp~*" files removed by hand after a kill before
#   it. Each next run keeps the save, or is refused (exit 1) naming what to
#   make reachable and changing nothing, and keeps it once that is back.
#
#   sudo scripts/stress_records.sh [PROGRAM]
#
# PROGRAM defaults to build/tessaly, built (release) when it is not there.
# Prints a line per trial; exits 1 when any trial was bad.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/tessaly}
if [ "$(id -u)" != 0 ]; then echo "needs root (unshare, mount, losetup)"; exit 2; fi
command -v strace >/dev/null || { echo "needs strace"; exit 2; }
source scripts/stress_common.sh

# Every mount and loop device this script made, undone at its end (and
# only those: other programs may use loop devices too).
mounts=()
loops=()
cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null || true; done
    for i in "${loops[@]}"; do losetup -d "$i" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
# mount_at MOUNTPOINT ARGS...: mounts (ARGS as for mount) and remembers it.
mount_at() {
    local point=$1; shift
    mount "$@" "$point" && mounts+=("$point")
}
unmount() {
    umount "$1"
    local m kept=()
    for m in "${mounts[@]}"; do [ "$m" = "$1" ] || kept+=("$m"); done
    mounts=("${kept[@]}")
}
# attach IMAGE VAR: a free loop device for IMAGE, its name into VAR.
attach() {
    local dev
    dev=$(losetup -f --show "$1")
    loops+=("$dev")
    printf -v "$2" %s "$dev"
}
detach() {
    losetup -d "$1"
    local l kept=()
    for l in "${loops[@]}"; do [ "$l" = "$1" ] || kept+=("$l"); done
    loops=("${kept[@]}")
}

# A job folder J whose racks are in the folder S, named by absolute paths in
# J's default.opt. S gets the sample racks when it has none yet.
make_pair() {
    local job=$1 racks=$2
    make_job "$job"
    mkdir -p "$racks"
    [ -e "$racks/default_offcut.rck" ] || cp "$job/default_offcut.rck" "$job/default_part.prk" "$racks"/
    rm "$job/default_offcut.rck" "$job/default_part.prk"
    sed -i "s|^OFFCUTS_RACK_FILE=.*|OFFCUTS_RACK_FILE=$racks/default_offcut.rck|;
            s|^PARTS_RACK_FILE=.*|PARTS_RACK_FILE=$racks/default_part.prk|" "$job/default.opt"
}
# What the files name: the contents of each (or that it is not there).
files_state() {
    local f
    for f in "$@"; do
        if [ -e "$f" ]; then md5sum <"$f"; else echo missing; fi
    done | md5sum | cut -c1-8
}
# The state of an update's files: stock and parts list in J, racks in S
# (J when not given).
jobs_state() { files_state "$1/stock.txt" "$1/parts_left.txt"; }
racks_state() { files_state "$1/default_offcut.rck" "$1/default_part.prk"; }
pair_state() { echo "$(jobs_state "$1")/$(racks_state "${2:-$1}")"; }
# Unfinished save files in the folders given.
all_leftovers() {
    local f n=0
    for f in "$@"; do [ -d "$f" ] && n=$((n + $(leftovers "$f"))); done
    echo $n
}
# The messages of a run (its standard error) on one line.
said() { tr '\n' ' ' <"$1" | sed 's/ *$//'; }

# run_ns FOLDER LOG ARGS...: the program in FOLDER inside a new process-id
# namespace, its messages in LOG.out and LOG.err; its exit status.
run_ns() {
    local folder=$1 log=$2; shift 2
    (cd "$folder" && unshare --pid --fork "$program" "$@") >"$log.out" 2>"$log.err"
}
# The run after a kill: a plan with no update (it settles the folders of
# the job and of its racks before reading them).
settle() { run_ns "$1" "$2" -auto:yes -hide:yes -sheet:stock.txt -part:order.txt; }
update_ns() { run_ns "$1" "$2" "${update[@]}"; }

# killed_update FOLDER CALL: the update in FOLDER killed just before the
# call CALL ("rename:N" or "unlink:N", the Nth of its kind) in a new
# process-id namespace.
killed_update() {
    local folder=$1 kind=${2%%:*} n=${2#*:} calls
    case $kind in
        rename) calls=rename,renameat,renameat2 ;;
        unlink) calls=unlink,unlinkat ;;
    esac
    (cd "$folder" && unshare --pid --fork strace -f -qq -o /dev/null -e trace="$calls" \
        -e inject="$calls":signal=SIGKILL:when="$n" "$program" "${update[@]}") >/dev/null 2>&1 || true
}
# kill_points FOLDER [all]: the renames and unlinks an update in FOLDER (a
# fresh job, used up) makes, as "rename:N=<file>" and "unlink:N=<file>"
# lines, and "rename:<last+1>=none" (a run not killed). Without "all" only
# those of the save of the update (from its first record on).
kill_points() {
    local folder=$1 trace=$work/trace r=0 u=0 saving=${2:-} line name
    (cd "$folder" && strace -f -qq -o "$trace" -e trace=rename,renameat,renameat2,unlink,unlinkat \
        "$program" "${update[@]}") >/dev/null 2>&1
    while read -r line; do
        case $line in
            *rename*)
                r=$((r + 1))
                name=$(grep -o '"[^"]*"' <<<"$line" | sed -n 2p | tr -d '"')
                name=${name##*/}
                [[ $name == .tessaly-commit~* ]] && saving=all
                [ -n "$saving" ] && echo "rename:$r=$name"
                ;;
            *unlink*)
                u=$((u + 1))
                name=$(grep -o '"[^"]*"' <<<"$line" | sed -n 1p | tr -d '"')
                [ -n "$saving" ] && echo "unlink:$u=${name##*/}"
                ;;
        esac
    done < <(grep -v 'resumed>' "$trace" | sed 's/[0-9a-f]\{32\}/<id>/g')
    [ $r -gt 0 ] || { echo "no rename seen in an update" >&2; return 1; }
    echo "rename:$((r + 1))=none"
}
# load_points FOLDER [all]: kill_points into the array points.
load_points() {
    kill_points "$@" >"$work/points"
    mapfile -t points <"$work/points"
}

bad=0
fail() { echo "$*"; bad=1; }

# What an update over two folders leaves: s0 before it, s1 after one, s2
# after two (the racks in S, or in J: the contents are the same).
make_pair "$work/ref/J" "$work/ref/S"
s0=$(pair_state "$work/ref/J" "$work/ref/S")
update_ns "$work/ref/J" "$work/ref/u1" || { echo "an update fails:"; cat "$work/ref/u1.err"; exit 1; }
s1=$(pair_state "$work/ref/J" "$work/ref/S")
update_ns "$work/ref/J" "$work/ref/u2" || { echo "a second update fails:"; cat "$work/ref/u2.err"; exit 1; }
s2=$(pair_state "$work/ref/J" "$work/ref/S")
[ "$s0" != "$s1" ] && [ "$s1" != "$s2" ] || { echo "the updates change nothing: no check possible"; exit 1; }

# judge NAME J S SETTLE-LOG SETTLE-STATUS [LIMIT]: after the run that
# settled the folders of a killed update, checks them, runs the update again
# and checks it booked the order once. Prints the verdict and what the runs
# said. With LIMIT (why no run can tell), files part old, part new are
# reported as that limit, not as a bad trial.
judge() {
    local name=$1 job=$2 racks=$3 log=$4 status=$5 limit=${6:-} after again left verdict
    after=$(pair_state "$job" "$racks")
    left=$(all_leftovers "$job" "$racks")
    local st2=0
    update_ns "$job" "$log.again" || st2=$?
    again=$(pair_state "$job" "$racks")
    local left2
    left2=$(all_leftovers "$job" "$racks")
    if [ "$status" != 0 ]; then
        verdict="BAD (the next run failed, exit $status)"
    elif [ "$left" != 0 ] || [ "$left2" != 0 ]; then
        verdict="BAD ($left files left after the next run, $left2 after the update again)"
    elif [ "$st2" != 0 ]; then
        verdict="BAD (the update run again failed, exit $st2)"
    elif [ "$after" = "$s0" ] && [ "$again" = "$s1" ]; then
        verdict="undone, booked once when run again"
    elif [ "$after" = "$s1" ] && [ "$again" = "$s2" ]; then
        verdict="the save was final, kept"
    else
        verdict="BAD (files $after after the next run, $again after the update again; all old $s0, all new $s1, twice $s2)"
        [ -z "$limit" ] || verdict="LIMIT: $limit (files $after after the next run; all old $s0, all new $s1)"
    fi
    [[ $verdict == BAD* ]] && bad=1
    echo "$name: $verdict"
    [ -s "$log.err" ] && echo "    next run said: $(said "$log.err")"
    [[ $verdict != BAD* ]] || [ ! -s "$log.again.err" ] || echo "    update again said: $(said "$log.again.err")"
    return 0
}

# 1. A kill before every rename and unlink of an update over J and S.
echo "== kill: an update over a job folder and a rack folder"
make_pair "$work/k/Jref" "$work/k/Sref"
load_points "$work/k/Jref" all
for p in "${points[@]}"; do
    call=${p%%=*}
    t="$work/k/${call/:/}"
    make_pair "$t/J" "$t/S"
    killed_update "$t/J" "$call"
    settle "$t/J" "$t/next" && st=0 || st=$?
    judge "kill before $call (${p#*=})" "$t/J" "$t/S" "$t/next" $st
done

# Two job folders sharing S, each update killed at the same call, in turn:
# the second one's start settles what the first left in S. What comes out
# must be one of: neither booked, J1 only, J2 only, J1 then J2; the updates
# run again where the stock is old must then make it both.
echo "== kill: two job folders sharing a rack folder, updated in turn"
both_state() { echo "$(jobs_state "$1/J1") $(jobs_state "$1/J2") $(racks_state "$1/S")"; }
field() { cut -d' ' -f"$2" <<<"$1"; }
for order in 12 21; do
    r="$work/ref$order"
    make_pair "$r/J1" "$r/S"
    make_pair "$r/J2" "$r/S"
    [ $order = 12 ] && b00=$(both_state "$r")
    update_ns "$r/J${order:0:1}" "$r/a"
    first=$(both_state "$r")
    update_ns "$r/J${order:1:1}" "$r/b"
    [ $order = 12 ] && { b10=$first; b12=$(both_state "$r"); } || { b01=$first; b21=$(both_state "$r"); }
done
make_pair "$work/k2/J" "$work/k2/S"
load_points "$work/k2/J"
for p in "${points[@]}"; do
    call=${p%%=*}
    t="$work/k2/${call/:/}"
    make_pair "$t/J1" "$t/S"
    make_pair "$t/J2" "$t/S"
    killed_update "$t/J1" "$call"
    killed_update "$t/J2" "$call"
    settle "$t/J1" "$t/n1" && st1=0 || st1=$?
    settle "$t/J2" "$t/n2" && st2=0 || st2=$?
    after=$(both_state "$t")
    case $after in
        "$b00") got="neither booked"; expect=$b12 ;;
        "$b10") got="J1 booked"; expect=$b12 ;;
        "$b01") got="J2 booked"; expect=$b21 ;;
        "$b12") got="both booked"; expect=$b12 ;;
        *) got="MIXED"; expect= ;;
    esac
    left=$(all_leftovers "$t/J1" "$t/J2" "$t/S")
    sta=0
    for j in J1 J2; do
        if [ "$(jobs_state "$t/$j")" = "${s0%/*}" ]; then update_ns "$t/$j" "$t/again$j" || sta=$?; fi
    done
    final=$(both_state "$t")
    left2=$(all_leftovers "$t/J1" "$t/J2" "$t/S")
    if [ "$got" = MIXED ] || [ "$final" != "$expect" ] || [ "$left" != 0 ] || [ "$left2" != 0 ] ||
        [ $st1 != 0 ] || [ $st2 != 0 ] || [ $sta != 0 ]; then
        fail "J1, J2 killed before $call (${p#*=}): BAD ($got: $after; after the updates again $final," \
            "expected $expect; leftovers $left then $left2; exits $st1 $st2 $sta)"
        echo "    J1 said: $(said "$t/n1.err")"; echo "    J2 said: $(said "$t/n2.err")"
    else
        echo "J1, J2 killed before $call (${p#*=}): $got, each booked once when run again"
    fi
done

# 2. A job folder on exFAT (no hard links, no permission bits), through
# FUSE; then FAT, when the kernel has it.
echo "== exfat: a job folder on exFAT"
fat_trials() {
    local kind=$1 mnt=$2 t p call st
    make_job "$mnt/J"
    before=$(pair_state "$mnt/J")
    if update_ns "$mnt/J" "$work/$kind-u1" && [ "$(pair_state "$mnt/J")" = "$s1" ] &&
        [ "$(all_leftovers "$mnt/J")" = 0 ]; then
        echo "$kind: update booked, exit 0: $(said "$work/$kind-u1.err")"
    else
        fail "$kind: update BAD (files $before -> $(pair_state "$mnt/J"), leftovers $(all_leftovers "$mnt/J")):" \
            "$(said "$work/$kind-u1.err")"
    fi
    make_job "$mnt/Jref"
    load_points "$mnt/Jref"
    for p in "${points[@]}"; do
        call=${p%%=*}
        t="$mnt/${call/:/}"
        make_job "$t"
        killed_update "$t" "$call"
        settle "$t" "$work/$kind-${call/:/}" && st=0 || st=$?
        judge "$kind: kill before $call (${p#*=})" "$t" "$t" "$work/$kind-${call/:/}" $st
        rm -rf "$t"
    done
}
truncate -s 64M "$work/exfat.img"
mkfs.exfat "$work/exfat.img" >/dev/null
attach "$work/exfat.img" exdev
mkdir "$work/exfat"
mount.exfat-fuse "$exdev" "$work/exfat" >/dev/null
mounts+=("$work/exfat")
touch "$work/exfat/a"
if ln "$work/exfat/a" "$work/exfat/b" 2>/dev/null; then
    echo "exfat: hard links work on this mount, the trial shows less"
else
    echo "exfat: no hard links on this mount"
fi
rm -f "$work/exfat/a" "$work/exfat/b"
fat_trials exfat "$work/exfat"
unmount "$work/exfat"
detach "$exdev"

mkdir "$work/vfat"
if ! command -v mkfs.vfat >/dev/null; then
    echo "vfat: skipped, no mkfs.vfat (dosfstools)"
elif truncate -s 64M "$work/vfat.img" && mkfs.vfat "$work/vfat.img" >/dev/null &&
    grep -qw vfat /proc/filesystems && attach "$work/vfat.img" fatdev && mount_at "$work/vfat" -t vfat "$fatdev"; then
    fat_trials vfat "$work/vfat"
    unmount "$work/vfat"
    detach "$fatdev"
else
    echo "vfat: skipped, this kernel has no vfat"
fi

# 3. S on a file system of its own, killed after S's files were renamed
# (and, later, after the save was final); then unmounted and mounted again
# through another loop device, so its device number changes.
echo "== remount: the rack folder mounted again through another loop device"
truncate -s 64M "$work/racks.img"
mkfs.ext4 -q "$work/racks.img"
attach "$work/racks.img" rdev
mkdir "$work/racks"
mount_at "$work/racks" "$rdev"
make_pair "$work/rm/Jref" "$work/racks/Sref"
load_points "$work/rm/Jref"
rm -rf "$work/racks/Sref"
for p in "${points[@]}"; do
    # S renamed, J not; all renamed, not final; final, J's record there;
    # only S's final record left.
    case $p in rename:*=stock.txt | rename:*=*.final | unlink:*=.tessaly-commit~*) ;; *) continue ;; esac
    call=${p%%=*}
    t="$work/rm/${call/:/}"
    make_pair "$t/J" "$work/racks/S"
    killed_update "$t/J" "$call"
    dev0=$(stat -c %d "$work/racks/S")
    unmount "$work/racks"
    attach "$work/racks.img" rdev2   # while the old one is attached: another number
    detach "$rdev"
    rdev=$rdev2
    mount_at "$work/racks" "$rdev"
    dev1=$(stat -c %d "$work/racks/S")
    [ "$dev0" != "$dev1" ] || echo "    (the device number did not change: $dev0)"
    settle "$t/J" "$t/next" && st=0 || st=$?
    judge "remount after a kill before $call (${p#*=}), $rdev" "$t/J" "$work/racks/S" "$t/next" $st
    rm -rf "$work/racks/S"
done

# The next run while S's file system is not mounted, killed before the save
# was final and after: S as the mount point itself (an empty folder then)
# and S as a folder inside it (then no folder at all, as if deleted). What
# that run does must still come out consistent once S is mounted again.
for where in point inside; do
    racks=$work/racks
    [ $where = inside ] && racks=$work/racks/S
    for p in "${points[@]}"; do
        case $p in rename:*=*.final | unlink:1=*) ;; *) continue ;; esac
        call=${p%%=*}
        t="$work/um/$where-${call/:/}"
        find "$work/racks" -mindepth 1 -maxdepth 1 ! -name lost+found -exec rm -rf {} +
        make_pair "$t/J" "$racks"
        killed_update "$t/J" "$call"
        unmount "$work/racks"
        settle "$t/J" "$t/unmounted" && stu=0 || stu=$?
        ju=$(jobs_state "$t/J")
        [ "$ju" = "${s0%/*}" ] && ju="J old" || { [ "$ju" = "${s1%/*}" ] && ju="J new" || ju="J mixed"; }
        mount_at "$work/racks" "$rdev"
        settle "$t/J" "$t/next" && st=0 || st=$?
        judge "S not mounted ($where) at the run after a kill before $call (${p#*=})" "$t/J" "$racks" "$t/next" $st
        echo "    with S not mounted that run ended with exit $stu, $ju: $(said "$t/unmounted.err")"
    done
done
find "$work/racks" -mindepth 1 -maxdepth 1 ! -name lost+found -exec rm -rf {} +
unmount "$work/racks"
detach "$rdev"

# 4. S put back from a copy taken before the update, after a kill: the
# next runs must not leave the stock booked while the rack lost the
# offcuts, and must say what they undid.
echo "== restore: the rack folder put back from a copy"
make_pair "$work/rs/Jref" "$work/rs/Sref"
load_points "$work/rs/Jref"
for p in "${points[@]}"; do
    [[ $p != *=none ]] || continue   # not stopped: restoring S is then the user's own undo
    call=${p%%=*}
    t="$work/rs/${call/:/}"
    make_pair "$t/J" "$t/S"
    cp -a "$t/S" "$t/S.bak"
    killed_update "$t/J" "$call"
    killedj=$(jobs_state "$t/J")
    # J's part finished (its record gone; an old copy it kept may still
    # wait there as a leftover) before the kill: S put back then is S put
    # back after a whole update, which no run can tell.
    limit=
    [ -n "$(find "$t/J" -maxdepth 1 -name '.tessaly-commit~*')" ] ||
        limit="J held no record of the save when S was put back"
    rm -rf "$t/S"
    cp -a "$t/S.bak" "$t/S"
    settle "$t/J" "$t/next" && st=0 || st=$?
    [ "$killedj" = "${s0%/*}" ] && was="J old" || { [ "$killedj" = "${s1%/*}" ] && was="J new" || was="J mixed"; }
    judge "restore after a kill before $call (${p#*=}; $was when killed)" "$t/J" "$t/S" "$t/next" $st "$limit"
done

# 5. J deleted after the kill: a job in J2, which shares S, must run and
# say what it did with S's part of the stopped save.
echo "== deleted: the job folder deleted after the kill"
make_pair "$work/dl/Jref" "$work/dl/Sref"
load_points "$work/dl/Jref"
for p in "${points[@]}"; do
    call=${p%%=*}
    t="$work/dl/${call/:/}"
    make_pair "$t/J1" "$t/S"
    make_pair "$t/J2" "$t/S"
    killed_update "$t/J1" "$call"
    killedr=$(racks_state "$t/S")
    rm -rf "$t/J1"
    update_ns "$t/J2" "$t/j2" && st=0 || st=$?
    left=$(all_leftovers "$t/J2" "$t/S")
    racks=$(racks_state "$t/S")
    if [ $st != 0 ]; then
        fail "deleted after a kill before $call (${p#*=}): BAD (J2's update failed, exit $st)"
    elif [ "$left" != 0 ]; then
        fail "deleted after a kill before $call (${p#*=}): BAD ($left files left: $(cd "$t" && find J2 S -maxdepth 1 -name '*.tmp~*' -o -maxdepth 1 -name '.tessaly-commit~*' | tr '\n' ' '))"
    elif [ "$racks $(jobs_state "$t/J2")" = "$(field "$b01" 3) $(field "$b01" 2)" ]; then
        echo "deleted after a kill before $call (${p#*=}): J1's racks undone, J2 booked"
    elif [ "$racks $(jobs_state "$t/J2")" = "$(field "$b12" 3) $(field "$b12" 2)" ]; then
        echo "deleted after a kill before $call (${p#*=}): J1's racks kept (its save was final), J2 booked"
    else
        fail "deleted after a kill before $call (${p#*=}): BAD (racks $killedr when killed, $racks after J2)"
    fi
    echo "    J2 said: $(said "$t/j2.err")"
done

# 6. Bind mounts: stock.txt mounted over another file (refused, nothing
# changed), and a job folder reached by two names.
echo "== bind"
job="$work/bind"
make_job "$job"
cp "$job/stock.txt" "$work/volume.txt"
mount_at "$job/stock.txt" --bind "$work/volume.txt"
before=$(pair_state "$job")
if (cd "$job" && "$program" "${update[@]}" >/dev/null 2>"$job.err"); then
    fail "bind-mounted stock.txt: BAD (exit 0)"
elif [ "$(pair_state "$job")" != "$before" ] || ! grep -q 'stock.txt' "$job.err" || [ "$(leftovers "$job")" != 0 ]; then
    fail "bind-mounted stock.txt: BAD (files changed, leftovers or message without stock.txt): $(said "$job.err")"
else
    echo "bind-mounted stock.txt: refused, nothing changed: $(said "$job.err")"
fi
unmount "$job/stock.txt"

job="$work/bindj"
make_job "$job"
mkdir "$work/bindjb"
mount_at "$work/bindjb" --bind "$job"
via=(-auto:yes -hide:yes -update:yes -sheet:stock.txt -part:order.txt -ex_sheet:stock.txt
     -ex_part:"$work/bindjb/parts_left.txt")
st=0
after=()
for n in 1 2; do
    (cd "$job" && "$program" "${via[@]}" >/dev/null 2>"$job.err$n") || st=$?
    after+=("$(pair_state "$job")")
done
after1=${after[0]} after2=${after[1]}
if [ $st = 0 ] && [ "$after1" = "$s1" ] && [ "$after2" = "$s2" ] && [ "$(leftovers "$job")" = 0 ]; then
    echo "job folder through a bind mount: booked once per run: $(said "$job.err1")"
else
    fail "job folder through a bind mount: BAD (exit $st; files $after1 then $after2, expected $s1 then $s2;" \
        "leftovers $(leftovers "$job")): $(said "$job.err1") / $(said "$job.err2")"
fi
unmount "$work/bindjb"

# 7. S's record not where J looks for it: the next run decides by what S's
# files hold, or refuses and changes nothing.
echo "== missing: the rack folder's record not where the job folder looks"
make_pair "$work/ms/Jref" "$work/ms/Sref"
load_points "$work/ms/Jref"
after_final= before_final=
for p in "${points[@]}"; do
    case $p in
        unlink:*=.tessaly-commit~*) [ -n "$after_final" ] || after_final=${p%%=*} ;;
        rename:*=*.final) before_final=${p%%=*} ;;
    esac
done
# outcome NAME J S LOG STATUS WANT [TEXT]: J's files are as when killed
# ($killedj: new after a kill just after the save was made final), and WANT
# is "kept" (exit 0, no leftovers) or "refused" (exit 1, the message holding
# TEXT).
outcome() {
    local name=$1 job=$2 racks=$3 log=$4 status=$5 want=$6 text=${7:-} ok=
    if [ "$(jobs_state "$job")" != "$killedj" ]; then
        :
    elif [ "$want" = kept ]; then
        [ "$status" = 0 ] && [ "$(all_leftovers "$job" "$racks")" = 0 ] && ok=1
    else
        [ "$status" != 0 ] && grep -qF -- "$text" "$log.err" && ok=1
    fi
    if [ -n "$ok" ]; then
        echo "$name: $want (exit $status)"
    else
        fail "$name: BAD (wanted $want; exit $status, leftovers $(all_leftovers "$job" "$racks")): $(said "$log.err")"
    fi
}
truncate -s 64M "$work/ms1.img" "$work/ms2.img"
mkfs.ext4 -q "$work/ms1.img"
mkfs.ext4 -q "$work/ms2.img"
mkdir -p "$work/msdisk"
attach "$work/ms1.img" msdev
for trial in other-disk new-racks-unmounted; do
    t=$work/ms/$trial
    mount_at "$work/msdisk" "$msdev"
    racks=$work/msdisk/S
    [ $trial = new-racks-unmounted ] && racks=$work/msdisk
    make_pair "$t/J" "$racks"
    [ $trial = new-racks-unmounted ] && rm "$racks"/default_offcut.rck "$racks"/default_part.prk
    fresh=$(jobs_state "$t/J")
    killed_update "$t/J" "$after_final"
    killedj=$(jobs_state "$t/J")
    [ "$killedj" != "$fresh" ] || fail "$trial: BAD (the kill came before the save)"
    unmount "$work/msdisk"
    if [ $trial = other-disk ]; then
        attach "$work/ms2.img" msdev2
        mount_at "$work/msdisk" "$msdev2"
    fi
    settle "$t/J" "$t/away" && st=0 || st=$?
    outcome "$trial: the run while S's disk is away" "$t/J" "$racks" "$t/away" $st refused \
        "make it reachable again"
    if [ $trial = other-disk ]; then
        unmount "$work/msdisk"
        detach "$msdev2"
    fi
    mount_at "$work/msdisk" "$msdev"
    settle "$t/J" "$t/back" && st=0 || st=$?
    outcome "$trial: the run once S's disk is back" "$t/J" "$racks" "$t/back" $st kept
    find "$work/msdisk" -mindepth 1 -maxdepth 1 ! -name lost+found -exec rm -rf {} +
    unmount "$work/msdisk"
done
detach "$msdev"

t=$work/ms/moved
make_pair "$t/J" "$t/S"
make_pair "$t/J2" "$t/S"
killed_update "$t/J" "$after_final"
killedj=$(jobs_state "$t/J")
[ "$killedj" = "${s1%/*}" ] || fail "moved: BAD (the kill came before the save)"
mv "$t/J" "$t/Jmoved"
settle "$t/J2" "$t/j2" && st=0 || st=$?
[ $st = 0 ] || fail "moved: BAD (the second job's run failed, exit $st): $(said "$t/j2.err")"
settle "$t/Jmoved" "$t/next" && st=0 || st=$?
outcome "moved: the run in the moved job folder after a second job settled S" "$t/Jmoved" "$t/S" \
    "$t/next" $st kept

t=$work/ms/cleared
make_pair "$t/J" "$t/S"
killed_update "$t/J" "$before_final"
killedj=$(jobs_state "$t/J")
rm -f "$t"/J/*.tmp~* "$t"/S/*.tmp~*
settle "$t/J" "$t/next" && st=0 || st=$?
outcome "cleared: the run after the .tmp~ files were removed by hand" "$t/J" "$t/S" "$t/next" $st \
    refused "are gone"
exit $bad
