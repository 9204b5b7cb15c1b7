#!/usr/bin/env bash
# Runs one Windows program of the Windows build under Wine for CTest: the
# build's CMAKE_CROSSCOMPILING_EMULATOR, so `ctest` in that build runs every
# test through it. tools/windows/test-under-wine.sh prepares the Wine prefix
# (WINEPREFIX, WINEPATH, a running Wine server) before it calls ctest.
#   wine-test.sh PROGRAM.exe [ARGS...]
# - Wine hands a Windows program the QT_* variables only under the names
#   WINEQT_*: each QT_* variable is passed on that way.
# - QtTest's console output does not reach CTest under Wine: a QtTest program
#   (tst_*, test_*) writes its log to a file with -o, printed afterwards.
# - A Windows process under Wine now and then stays after its work is done:
#   once the log says the tests finished, it gets 20 s to exit, is then
#   stopped, and its log decides the result (the stop is reported).
# - CTest stops a test that overruns its limit without a word from it: the
#   wrapper prints the log's last lines when it is told to stop.
set -u
exe="$1"; shift
export WINEDEBUG="${WINEDEBUG:--all}"
# A test function that hangs is stopped by QtTest's own watchdog after 90 s,
# before CTest's limit, so the log names it.
export QTEST_FUNCTION_TIMEOUT="${QTEST_FUNCTION_TIMEOUT:-90000}"
export WINEQTEST_FUNCTION_TIMEOUT="$QTEST_FUNCTION_TIMEOUT"
while IFS='=' read -r name _; do
  case "$name" in QT_*) export "WINE$name=${!name}" ;; esac
done < <(env)

base="$(basename "$exe" .exe)"
case "$base" in
  tst_*|test_*) ;;
  *) exec wine "$exe" "$@" ;;
esac

log="$(mktemp "${TMPDIR:-/tmp}/wine-$base-XXXXXX.txt")"
trap 'rm -f "$log"' EXIT
trap 'echo "wine-test: $base stopped from outside; the end of its log:"; tail -n 15 "$log"; kill "$pid" 2>/dev/null; exit 1' TERM INT
# The program sees Unix paths through drive Z:.
winlog="Z:${log//\//\\}"
wine "$exe" "$@" -o "$winlog,txt" < /dev/null &
pid=$!
hung=0
while kill -0 "$pid" 2>/dev/null; do
  if grep -q '^\*\*\*\*\*\*\*\*\* Finished testing' "$log" 2>/dev/null; then
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      hung=1
      kill "$pid" 2>/dev/null
    fi
    break
  fi
  sleep 0.2
done
wait "$pid"
rc=$?
cat "$log"
if [ "$hung" = 1 ]; then
  echo "wine-test: $base finished its tests but did not exit within 20 s under Wine: stopped"
  grep -qE '^Totals: [0-9]+ passed, 0 failed' "$log" && rc=0 || rc=1
fi
# A log without its end means the program died or was stopped by CTest.
grep -q '^\*\*\*\*\*\*\*\*\* Finished testing' "$log" || { [ "$rc" = 0 ] && rc=1; }
exit "$rc"
