#!/usr/bin/env bash
# Seeds of the .xls fuzz target's stream form: the workbook streams of the
# test workbooks (needs the gsf program of libgsf-bin).  make_xls_stream_seeds.sh OUT_FOLDER
set -euo pipefail
data="$(cd "$(dirname "$0")/../tests/data/xls" && pwd)"
mkdir -p "$1"
for book in "$data"/*.xls; do
    out="$1/$(basename "$book" .xls).stream"
    # "Workbook", or "Book" in an Excel 95 workbook.
    gsf cat "$book" Workbook > "$out" 2>/dev/null || gsf cat "$book" Book > "$out" 2>/dev/null || rm -f "$out"
done
