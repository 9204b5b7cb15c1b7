#!/usr/bin/env bash
# Checks the Windows build of tools/windows/build.sh under Wine (Debian 12, root):
#  1. the test programs with CTest (each through tools/windows/wine-test.sh);
#  2. tavro-cli.exe --help exits 0;
#  3. tavro-demo.exe --screenshots under Xvfb writes every page in both
#     languages, and no picture is blank;
#  4. the installer installs silently (/S) into a fresh Wine prefix, and the
#     installed tavro.exe starts, shows its window, and quits when asked;
#     its window is saved in both languages (installed-zh.png, installed-en.png).
#   tools/windows/test-under-wine.sh [--out DIR] [--ctest-args "ARGS"]
# DIR is build.sh's (default build-windows/); results go to DIR/wine/.
# What the pseudo-terminal tests cover on Linux runs here over the simulator's
# in-process line: Wine cannot deliver a pseudo-terminal's reads to Qt's
# Windows serial backend (its wait for received characters needs counters a
# pseudo-terminal lacks), so the serial port itself is not part of this run.
# The whole script is read before it runs (the braces), so editing it while
# a build runs does not change that run.
{
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
OUT="$ROOT/build-windows"
CTEST_ARGS=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) OUT="$2"; shift 2 ;;
    --ctest-args) CTEST_ARGS="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
case "$OUT" in /*) ;; *) OUT="$PWD/$OUT" ;; esac
BUILD="$OUT/build"
VERSION="$(sed -n 's/^project(TAVRO VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
STAGE="$OUT/tavro-$VERSION"
QT_PREFIX="$(cat "$OUT/qt-prefix.txt")"
RESULTS="$OUT/wine"
now() { date +%s; }
log() { echo "== $(date +%T) $*"; }
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }

export WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko downloads (no network here, and nothing uses them).
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$RESULTS"
mkdir -p "$RESULTS"

# A Wine prefix with its server running (so Wine's background services are
# started now and hold none of our pipes); DISPLAY as set by the caller.
start_prefix() {
  export WINEPREFIX="$RESULTS/prefix-$1"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"   # the server starts only in an existing folder
  wineserver -p < /dev/null > /dev/null 2>&1
  wine wineboot -i < /dev/null > /dev/null 2>&1
}
stop_prefix() {
  wineserver -k > /dev/null 2>&1 || true
  wineserver -w > /dev/null 2>&1 || true
}
XVFB_PID=""
start_display() {
  local n
  for n in $(seq 91 120); do [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2; return 1
}
stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=""; unset DISPLAY
}
cleanup() { stop_prefix; stop_display; }
trap cleanup EXIT
# A picture is blank when it is one colour (all black, all white).
not_blank() {
  local sd
  sd="$(convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
  awk -v sd="$sd" 'BEGIN { exit !(sd > 0.02) }' || { echo "blank picture: $1 (deviation $sd)" >&2; return 1; }
}
# Waits up to $2 s for an X window whose name contains $1.
wait_window() {
  for _ in $(seq $(( $2 * 5 ))); do
    xwininfo -root -tree 2>/dev/null | grep -q "$1" && return 0
    sleep 0.2
  done
  return 1
}

# ---- 1. tests -----------------------------------------------------------------------
GCC_DIR="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
export WINEPATH="$(winpath "$QT_PREFIX/bin");$(winpath "$GCC_DIR");$(winpath /usr/x86_64-w64-mingw32/lib)"
# Qt for Windows finds no fonts of its own with the offscreen platform: a flat
# folder of the host's fonts (Chinese ones included).
FONTS="$RESULTS/fonts"
mkdir -p "$FONTS"
find /usr/share/fonts -type f \( -name '*.ttf' -o -name '*.ttc' -o -name '*.otf' \) -exec ln -sf {} "$FONTS/" \;
export QT_QPA_FONTDIR="$(winpath "$FONTS")"
export QT_PLUGIN_PATH="$(winpath "$QT_PREFIX/plugins")"
t0=$(now)
start_prefix tests
log "tests under Wine"
set +e
# shellcheck disable=SC2086
# Timing under the emulation is looser than on Linux (where every test must
# pass at once): a test that fails here runs once more, and both runs stay in
# the log (the summary below names the tests that needed it).
ctest --test-dir "$BUILD" -j2 --output-on-failure --repeat until-pass:2 $CTEST_ARGS 2>&1 | tee "$RESULTS/ctest.log"
ctest_rc=${PIPESTATUS[0]}
set -e
log "tests took $(( $(now) - t0 )) s"
grep -h 'did not exit within' "$RESULTS/ctest.log" | sort -u || true
grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(Failed|Timeout)' "$RESULTS/ctest.log" \
  | sed 's/^/first run failed (run again): /' || true
grep -hE '^SKIP|QSKIP' "$RESULTS/ctest.log" | sort -u > "$RESULTS/skipped.txt" || true

# ---- 2. tavro-cli --help ------------------------------------------------------------------
log "tavro-cli.exe --help"
(cd "$STAGE" && wine ./tavro-cli.exe --help < /dev/null > "$RESULTS/cli-help.txt" 2>&1)
head -n 5 "$RESULTS/cli-help.txt"
stop_prefix

# ---- 3. the demo's pictures ---------------------------------------------------------------
log "tavro-demo.exe --screenshots under Xvfb"
unset QT_QPA_FONTDIR QT_PLUGIN_PATH
start_display
start_prefix shots
SHOTS="$RESULTS/screenshots"
mkdir -p "$SHOTS"
(cd "$STAGE" && timeout 300 wine ./tavro-demo.exe --screenshots "$(winpath "$SHOTS")" < /dev/null > "$RESULTS/demo.log" 2>&1)
count=0
for lang in zh en; do
  n=$(find "$SHOTS" -name "$lang-*.png" | wc -l)
  [ "$n" -ge 4 ] || { echo "only $n pictures in $lang" >&2; exit 1; }
  count=$((count + n))
done
for f in "$SHOTS"/*.png; do not_blank "$f"; done
echo "$count pictures, none blank"
stop_prefix

# ---- 4. the installer ---------------------------------------------------------------------
log "installer /S into a fresh prefix"
start_prefix install
wine "$OUT/tavro-$VERSION-setup.exe" /S < /dev/null > /dev/null 2>&1
installed="$(find "$WINEPREFIX/drive_c" -path '*TAVRO/tavro.exe' | head -n 1)"
[ -n "$installed" ] || { echo "the installer did not install tavro.exe" >&2; exit 1; }
echo "installed: ${installed#"$WINEPREFIX/drive_c/"}"
dir="$(dirname "$installed")"
[ -f "$dir/uninstall.exe" ] || { echo "no uninstaller" >&2; exit 1; }
find "$WINEPREFIX/drive_c" -path '*Start Menu*TAVRO*' -name '*.lnk' | sed 's|.*/Start Menu/|  Start menu: |'
for lang in zh en; do
  if [ "$lang" = en ]; then printf '[tavro-set]\nLanguage=English\n' > "$dir/settings.ini"; fi
  (cd "$dir" && wine ./tavro.exe < /dev/null > "$RESULTS/installed-$lang.log" 2>&1) &
  pid=$!
  wait_window TAVRO 60 || { echo "tavro.exe showed no window" >&2; exit 1; }
  sleep 2   # let the first paint finish before the picture
  import -window root "$RESULTS/installed-$lang.png"
  not_blank "$RESULTS/installed-$lang.png"
  # Asked to close like a user closing the window (no /F).
  wine taskkill /IM tavro.exe < /dev/null > /dev/null 2>&1 || true
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$pid" 2>/dev/null; then echo "tavro.exe did not quit" >&2; kill "$pid"; exit 1; fi
  wait "$pid" || { echo "tavro.exe quit with an error" >&2; exit 1; }
  echo "installed tavro.exe ($lang) started and quit"
done
# For the current user only: no administrator rights asked, the user's folder.
wine "$OUT/tavro-$VERSION-setup.exe" /CurrentUser /S < /dev/null > /dev/null 2>&1
user_dir="$(find "$WINEPREFIX/drive_c/users" -path '*AppData/Local/Programs/TAVRO' -type d | head -n 1)"
[ -n "$user_dir" ] && [ -f "$user_dir/tavro.exe" ] || { echo "no per-user installation" >&2; exit 1; }
echo "installed for the current user: ${user_dir#"$WINEPREFIX/drive_c/"}"
# Both uninstallers remove what they installed.
wine "$dir/uninstall.exe" /AllUsers /S < /dev/null > /dev/null 2>&1
wine "$user_dir/uninstall.exe" /CurrentUser /S < /dev/null > /dev/null 2>&1
for _ in $(seq 150); do [ -e "$dir/tavro.exe" ] || [ -e "$user_dir/tavro.exe" ] || break; sleep 0.2; done
if [ -e "$dir/tavro.exe" ] || [ -e "$user_dir/tavro.exe" ]; then echo "the uninstaller left tavro.exe" >&2; exit 1; fi
echo "uninstalled"
stop_prefix
stop_display

log "Wine checks done: ctest exit $ctest_rc; pictures in $SHOTS and $RESULTS/installed-*.png"
exit "$ctest_rc"
exit
}
