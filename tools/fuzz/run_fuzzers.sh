#!/usr/bin/env bash
# Builds the libFuzzer targets of tools/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each for a while on its seed corpus.
#
#   tools/fuzz/run_fuzzers.sh [duration-per-target] [target ...]
#
# The duration is seconds ("60") or minutes ("5m": a longer hunt, every
# target for five minutes). Defaults: 60 seconds, every target the build
# defines (param_file, param_check, link_receive, settings when the window is
# built, snapshot when the snapshot store exists). CI runs 60 s each. Build folder:
# $FUZZ_BUILD_DIR (default build-fuzz). The committed seeds in
# tools/fuzz/corpus/<target>/ are only read; what the fuzzer learns goes to
# $FUZZ_BUILD_DIR/corpus/<target>/, and a crash, hang (over 10 s for one
# input), leak or sanitizer report is saved under
# $FUZZ_BUILD_DIR/artifacts/<target>/ and fails the run. Replay one with
#   $FUZZ_BUILD_DIR/tools/fuzz/fuzz_<target> <file>
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
DURATION="${1:-60}"
[ $# -gt 0 ] && shift
case "$DURATION" in
  *m) SECS=$(( ${DURATION%m} * 60 )) ;;
  *s) SECS="${DURATION%s}" ;;
  *) SECS="$DURATION" ;;
esac
if ! [[ "$SECS" =~ ^[0-9]+$ ]] || [ "$SECS" -le 0 ]; then
  echo "run_fuzzers.sh: the duration is seconds (60) or minutes (5m), not '$DURATION'" >&2
  exit 2
fi
FUZZ_BUILD_DIR="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

# shellcheck source=../setup.sh
source "$ROOT/tools/setup.sh"
TAVRO_PACKAGES+=(clang libclang-rt-14-dev)
tavro_install_packages

gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$FUZZ_BUILD_DIR/CMakeCache.txt" ]; then
  # Coverage feedback for the project's own libraries (not for inline code
  # from system headers); the fuzz executables add libFuzzer's driver
  # themselves.
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_BUILD_DIR" "${gen[@]}" \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -fsanitize-coverage-ignorelist=$ROOT/tools/fuzz/coverage_ignore.txt" \
    -DTAVRO_SANITIZE=address,undefined \
    -DTAVRO_FUZZ=ON >/dev/null
else
  cmake "$FUZZ_BUILD_DIR" >/dev/null
fi

all_targets=()
while read -r t; do
  [ -n "$t" ] && all_targets+=("$t")
done < "$FUZZ_BUILD_DIR/tools/fuzz/fuzz_targets.txt"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build "$FUZZ_BUILD_DIR" -j"$(nproc)" --target "${build_targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Only allocations the system libraries keep for the process's life are
# suppressed; each entry says why.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tools/ci/lsan.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen

failed=()
for t in "${targets[@]}"; do
  exe="$FUZZ_BUILD_DIR/tools/fuzz/fuzz_$t"
  work="$FUZZ_BUILD_DIR/corpus/$t"
  artifacts="$FUZZ_BUILD_DIR/artifacts/$t"
  seeds="$ROOT/tools/fuzz/corpus/$t"
  mkdir -p "$work" "$artifacts"
  extra=()
  [ -f "$ROOT/tools/fuzz/$t.dict" ] && extra+=("-dict=$ROOT/tools/fuzz/$t.dict")
  echo "== fuzz_$t: ${SECS} s"
  log="$FUZZ_BUILD_DIR/fuzz_$t.log"
  if "$exe" -max_total_time="$SECS" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[@]}" \
       "$work" "$seeds" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  else
    echo "fuzz_$t FAILED (log: $log):"
    tail -n 60 "$log"
    ls -1 "$artifacts"
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found problems in: ${failed[*]}"
  exit 1
fi
echo "Fuzzing clean: ${targets[*]} (${SECS} s each)"
