#!/bin/sh
# Line coverage of each fuzz target over the inputs ./fuzz.sh collected: a separate clang
# build with source-based coverage (build-fuzz-coverage/) runs every target once over its
# corpus and seeds, then prints, per target, the project files it exercises with their
# covered lines. Run ./fuzz.sh first; name targets to report only those.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-packages.sh tools/packages-build.txt tools/packages-fuzz.txt

build=build-fuzz-coverage
CC=clang-14 CXX=clang++-14 cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DLUMIBOX_FUZZ=ON -DLUMIBOX_SANITIZE=fuzzer-no-link -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
  -DLUMIBOX_WITH_UI=OFF -DLUMIBOX_WITH_BENCHMARKS=OFF >/dev/null
cmake --build $build --target lumibox_fuzz_targets >/dev/null

mkdir -p $build/profiles
for fuzzer in $build/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer" _fuzzer)
  case " ${*:-$name} " in *" $name "*) ;; *) continue ;; esac
  inputs=""
  for folder in build-fuzz/corpus/$name build-fuzz/seeds/$name; do
    [ -d "$folder" ] && inputs="$inputs $folder"
  done
  [ -n "$inputs" ] || { echo "$name: no corpus; run ./fuzz.sh first"; continue; }
  rm -f $build/profiles/$name.profraw
  LLVM_PROFILE_FILE=$build/profiles/$name.profraw "$fuzzer" -runs=0 $inputs >/dev/null 2>&1
  llvm-profdata-14 merge -sparse $build/profiles/$name.profraw -o $build/profiles/$name.profdata
  echo "== $name ($(ls $inputs | grep -vc ':$') inputs)"
  # Columns without the region summary: file, functions, missed, executed, lines, missed, cover, ...
  llvm-cov-14 report "$fuzzer" -instr-profile=$build/profiles/$name.profdata \
    -show-region-summary=false -show-instantiation-summary=false \
    -ignore-filename-regex="^(/usr/|$root/fuzz/|$root/[a-z]+/tests/)" |
    sed "s|$root/||" |
    awk 'NR == 1 { printf "  %-28s %8s %8s %8s\n", "file", "lines", "missed", "cover"; next }
         $1 !~ /^-+$/ { printf "  %-28s %8s %8s %8s\n", $1, $5, $6, $7 }'

done
