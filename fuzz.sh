#!/bin/sh
# Build the libFuzzer targets of fuzz/ with clang (AddressSanitizer, UBSan) and run each
# for the given number of seconds (default 60), one after the other; name targets after
# the seconds to run only those (./fuzz.sh 300 dmx_cli). Exits non-zero if
# any target finds something: the input that did it is kept in build-fuzz/findings/<target>/
# and, once fixed, belongs in fuzz/reproducers/<target>/, where the unit tests replay it.
# Corpora grow in build-fuzz/corpus/<target>/ from run to run; seeds are rebuilt each time.
set -e
seconds=${1:-60}
[ $# -gt 0 ] && shift
only="$*"
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/install-packages.sh tools/packages-build.txt tools/packages-fuzz.txt

build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIBOX_WERROR=ON \
  -DLUMIBOX_FUZZ=ON -DLUMIBOX_SANITIZE=fuzzer-no-link,address,undefined \
  -DLUMIBOX_WITH_UI=OFF -DLUMIBOX_WITH_BENCHMARKS=OFF >/dev/null
cmake --build $build --target lumibox_fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for fuzzer in $build/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer" _fuzzer)
  case " ${only:-$name} " in *" $name "*) ;; *) continue ;; esac
  rm -rf "$build/seeds/$name"
  mkdir -p "$build/seeds/$name" "$build/corpus/$name" "$build/findings/$name" "$build/logs"
  LUMIBOX_FUZZ_SEEDS="$build/seeds/$name" "$fuzzer"
  log="$build/logs/$name.log"
  started=$(date +%s)
  if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/findings/$name/" "$build/corpus/$name" "$build/seeds/$name" >"$log" 2>&1; then
    status=clean
  else
    status="FINDING (see $log and $build/findings/$name/)"
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$name: ${runs:-?} executions in $(($(date +%s) - started)) s, $(ls "$build/corpus/$name" | wc -l) corpus inputs: $status"
done
exit $failed
