#!/bin/sh
# Builds the table-reader fuzz target with clang's libFuzzer, AddressSanitizer
# and UBSan, and runs it for the given seconds (default 60) starting from the
# table fixtures. Inputs that crash land in ./crash-*; keep each one as a
# regression case in tests/engine/data/fuzz/ once fixed.
set -e
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
out="${TMPDIR:-/tmp}/hv-dbf-fuzz"
mkdir -p "$out/corpus"
cp "$root"/tests/engine/data/*.dbf "$out/corpus/" 2>/dev/null || true
if [ -d "$root/tests/engine/data/fuzz" ]; then cp "$root"/tests/engine/data/fuzz/* "$out/corpus/"; fi
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -I"$root" \
  "$here/DbfTableFuzz.cpp" "$root"/engine/storage/*.cpp "$root/engine/Value.cpp" -o "$out/dbf-fuzz"
"$out/dbf-fuzz" -max_total_time="${1:-60}" -max_len=4096 "$out/corpus"
