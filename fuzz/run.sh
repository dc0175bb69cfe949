#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS on its seed corpus.
#   bash fuzz/run.sh SECONDS [TARGET...]      (no TARGET: every target, one after another)
# The build goes to $ORVANE_FUZZ_BUILD (default build-fuzz); new corpus entries go to
# <build>/corpus/<target> and crashing inputs to <build>/findings/, never into the tree.
# A crash, leak, UB report, hang (-timeout) or memory blow-up (-rss_limit_mb) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
all=(fuzz_decode fuzz_scan fuzz_tree fuzz_load fuzz_roundtrip fuzz_meta fuzz_words)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

bash scripts/deps.sh
build=${ORVANE_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF >/dev/null
present=()
for t in "${targets[@]}"; do
  if [ "$t" = fuzz_words ] && [ ! -f ui/word_splitter.cpp ]; then continue; fi
  present+=("$t")
done
cmake --build "$build" --target "${present[@]}"

# Longest input per target: files and stores want room; a decoder or splitter finds its bugs small.
max_len() {
  case "$1" in
    fuzz_decode|fuzz_words) echo 4096 ;;
    fuzz_scan|fuzz_tree) echo 16384 ;;
    *) echo 8192 ;;
  esac
}

failed=()
mkdir -p "$build/findings"
for t in "${present[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  echo "== $t: ${seconds}s"
  if ! "$build/bin/$t" "$corpus" "fuzz/corpus/$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
      >"$build/$t.log" 2>&1; then
    failed+=("$t")
    tail -n 60 "$build/$t.log"
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$build/$t.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in $build/findings/)"
  exit 1
fi
echo "fuzzing: ${#present[@]} targets ran ${seconds}s each, no findings"
