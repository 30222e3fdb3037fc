# What the stress scripts share: the program (built, release, when it is not
# there), a scratch folder $work, and the job folder they run.
#
# Sourced with $program set to the program asked for.
if [ ! -x "$program" ]; then
    scripts/deps.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_TESTS=OFF >/dev/null
    cmake --build build -j "$(nproc)" >/dev/null
    program=build/tessaly
fi
program=$(realpath "$program")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-stress.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A job folder: the sample job, a large stock in stock.txt and a small order.
make_job() {
    mkdir -p "$1"
    cp examples/sample/* "$1"/
    printf 'PLY-2440\tPlywood 18\t2440\t1220\t100\t54\t0\tstock\r\nMDF-2800\tMDF 16\t2800\t2070\t100\t38\t0\tstock\r\n' \
        >"$1/stock.txt"
    printf 'SIDE\tPlywood 18\t720\t560\tR\t6\t6\tR\t\tside\r\nSHELF\tMDF 16\t764\t300\tR\t5\t5\tR\t\tshelf\r\n' \
        >"$1/order.txt"
}
# The switches of one update: parts from the order, sheets from stock.txt;
# stock.txt, the racks and the parts export are what it updates.
update=(-auto:yes -hide:yes -update:yes -sheet:stock.txt -part:order.txt -ex_sheet:stock.txt
        -ex_part:parts_left.txt)
# The state of the files the jobs update.
state() {
    (cd "$1" && { cat stock.txt default_offcut.rck default_part.prk; cat parts_left.txt 2>/dev/null || true; } |
        md5sum | cut -d' ' -f1)
}
leftovers() {
    find "$1" -maxdepth 1 \( -name '*.tmp~*' -o -name '.tessaly-commit~*' \) | wc -l
}
