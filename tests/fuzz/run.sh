#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, address and undefined-behaviour
# sanitizers, in build-fuzz) and runs one of them, or each in turn, for
# SECONDS seconds, seeded from its committed corpus.
#
#   tests/fuzz/run.sh TARGET|all SECONDS [libFuzzer options...]
#   tests/fuzz/run.sh data_file_fuzz 600 -jobs=2 -workers=2
#
# New inputs go to build-fuzz/fuzz-corpus/TARGET (the committed corpus is only
# read); a crash, sanitizer report, hang (-timeout, 10 s) or huge allocation
# (-rss_limit_mb, 2 GB) leaves its input in build-fuzz/fuzz-artifacts/TARGET/
# and ends the run with a failure. Copy such an input into
# tests/fuzz/corpus/TARGET/ once it is fixed: it then replays as a test in
# every build (ctest -R fuzz_replay).
set -euo pipefail
cd "$(dirname "$0")/../.."

if (($# < 2)); then
  echo "usage: $0 TARGET|all SECONDS [libFuzzer options...]" >&2
  exit 2
fi
which_target=$1
seconds=$2
shift 2

build=${ORDERDESK_FUZZ_BUILD:-build-fuzz}
targets=(data_file_fuzz template_segment_fuzz table_bytes_fuzz settings_file_fuzz order_import_fuzz)
if [[ $which_target != all ]]; then
  if [[ ! " ${targets[*]} " == *" $which_target "* ]]; then
    echo "$0: no fuzz target $which_target (there are: ${targets[*]})" >&2
    exit 2
  fi
  targets=("$which_target")
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DORDERDESK_FUZZ=ON -DORDERDESK_WITH_QT=OFF \
    -DORDERDESK_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDERDESK_WERROR=ON "${launcher[@]}"
fi
cmake --build "$build" -j2 --target "${targets[@]}"

for target in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$target
  artifacts=$build/fuzz-artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  echo "== $target: $seconds s"
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" "tests/fuzz/corpus/$target"
done
