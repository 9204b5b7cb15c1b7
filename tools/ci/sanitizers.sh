#!/usr/bin/env bash
# Sanitizer builds of the tests.
#
#   tools/ci/sanitizers.sh [asan|tsan|all]     (default: all)
#
# asan: configures $ASAN_BUILD_DIR (default build-asan) with
#       -DTAVRO_SANITIZE=address,undefined, builds everything and runs every
#       test with ctest -j2. Any AddressSanitizer, LeakSanitizer or
#       UndefinedBehaviorSanitizer report fails its test.
# tsan: configures $TSAN_BUILD_DIR (default build-tsan) with
#       -DTAVRO_SANITIZE=thread, builds only the tests registered in
#       tests/link/, tests/app/ and tests/faults/ (the worker and window
#       integration tests; $TSAN_TEST_FOLDERS overrides) and runs them; a
#       data race or other report fails the test.
#       Missing folders are skipped; the script lists what it ran.
# Suppressions (Qt-internal false positives only, each explained) are in
# tools/ci/{lsan,ubsan,tsan}.supp; tools/ci/TsanQtBridge.cpp tells
# ThreadSanitizer how Qt orders calls between threads.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
WHAT="${1:-all}"
ASAN_BUILD_DIR="${ASAN_BUILD_DIR:-$ROOT/build-asan}"
TSAN_BUILD_DIR="${TSAN_BUILD_DIR:-$ROOT/build-tsan}"
# Source folders whose tests run under ThreadSanitizer: the link worker with
# the simulator, the window with worker and simulator, and the fault-injection
# runs of both.
TSAN_TEST_FOLDERS="${TSAN_TEST_FOLDERS:-tests/link tests/app tests/faults}"
SUPP="$ROOT/tools/ci"

# shellcheck source=../setup.sh
source "$ROOT/tools/setup.sh"
tavro_install_packages

gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

configure() { # build-dir sanitizers
  if [ ! -f "$1/CMakeCache.txt" ]; then
    # -O1 keeps the sanitized tests reasonably fast; -g1 (line tables only)
    # gives stacks with file and line at a third less compile time than -g.
    cmake -S "$ROOT" -B "$1" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DTAVRO_SANITIZE="$2" >/dev/null
  else
    cmake "$1" >/dev/null
  fi
}

# Names of the tests registered by the CMakeLists.txt of one of the given
# source folders (tests/link, tests/app), one per line. Read from CTest's
# backtraces, so it works before anything is built.
tests_in_folders() { # build-dir folder...
  local dir="$1"; shift
  (cd "$dir" && ctest --show-only=json-v1) | python3 -c '
import json, os, sys
root = os.path.realpath(sys.argv[1])
folders = [os.path.join(root, f, "CMakeLists.txt") for f in sys.argv[2:]]
data = json.load(sys.stdin)
graph = data.get("backtraceGraph", {})
files = [os.path.realpath(f if os.path.isabs(f) else os.path.join(root, f))
         for f in graph.get("files", [])]
nodes = graph.get("nodes", [])
for t in data.get("tests", []):
    seen = set()
    node = t.get("backtrace")
    while node is not None:
        seen.add(files[nodes[node]["file"]])
        node = nodes[node].get("parent")
    if any(f in seen for f in folders):
        print(t["name"])
' "$ROOT" "$@"
}

run_asan() {
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer: $ASAN_BUILD_DIR"
  configure "$ASAN_BUILD_DIR" address,undefined
  cmake --build "$ASAN_BUILD_DIR" -j"$(nproc)"
  export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$SUPP/ubsan.supp"
  (cd "$ASAN_BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure)
}

run_tsan() {
  echo "== ThreadSanitizer: $TSAN_BUILD_DIR"
  configure "$TSAN_BUILD_DIR" thread
  local names=()
  while read -r n; do [ -n "$n" ] && names+=("$n"); done \
    < <(tests_in_folders "$TSAN_BUILD_DIR" $TSAN_TEST_FOLDERS)
  if [ ${#names[@]} -eq 0 ]; then
    echo "ThreadSanitizer: no tests in $TSAN_TEST_FOLDERS yet; nothing ran."
    return 0
  fi
  echo "ThreadSanitizer runs: ${names[*]}"
  # Test names are their executables' target names (tavro_add_test).
  cmake --build "$TSAN_BUILD_DIR" -j"$(nproc)" --target "${names[@]}"
  local regex
  regex="^($(IFS='|'; echo "${names[*]}"))\$"
  # ignore_noninstrumented_modules: memory touched by Qt's own (uninstrumented)
  # code through intercepted calls (free, memcpy, ...) is not checked; the
  # project's code is. Qt's cross-thread ordering comes from TsanQtBridge.cpp,
  # which the thread build links into every target.
  export TSAN_OPTIONS="suppressions=$SUPP/tsan.supp:ignore_noninstrumented_modules=1:second_deadlock_stack=1:history_size=4"
  (cd "$TSAN_BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure -R "$regex")
}

case "$WHAT" in
  asan) run_asan ;;
  tsan) run_tsan ;;
  all) run_asan; run_tsan ;;
  *) echo "usage: $0 [asan|tsan|all]" >&2; exit 2 ;;
esac
