#!/bin/sh
# Builds the link fuzzer with clang++-14 and runs it.
#   fuzz/build.sh [seconds]      (default 60)
# Exits non-zero when the build fails or the fuzzer finds a crash, hang, leak or undefined
# behaviour. Work files go to a temporary folder; set FUZZ_OUT to keep them elsewhere.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=${FUZZ_OUT:-$(mktemp -d)}
command -v clang++-14 >/dev/null || { echo "fuzz/build.sh: clang++-14 is not installed" >&2; exit 2; }
mkdir -p "$out/corpus"
echo "fuzz/build.sh: working in $out (a finding is written there as crash-*, timeout-*, leak-*)"
clang++-14 -std=c++20 -g -O1 -Wall -Wextra -Wpedantic -Wshadow -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" -I"$root/tests/support" \
    "$root/fuzz/fuzz_link.cpp" "$root/tests/support/memory_line.cpp" \
    "$root/link/frame_codec.cpp" "$root/link/transactions.cpp" "$root/link/deadline.cpp" \
    "$root/image/settings_image.cpp" \
    -o "$out/fuzz_link"
cd "$out"
./fuzz_link -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    corpus "$root/fuzz/seeds"
