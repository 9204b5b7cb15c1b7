#!/usr/bin/env bash
# Builds TAVRO for 64-bit Windows on Debian 12 (as root) and packs it.
#   tools/windows/build.sh [--qtserialport-src TARBALL] [--out DIR] [--qt-only]
#                          [--cache DIR] [--jobs N] [--prepare]
# Steps:
#  1. installs what it needs with apt-get (MinGW-w64, ninja, Wine, NSIS, Xvfb,
#     fonts, Debian's host Qt tools);
#  2. cross-builds qtbase (Debian's source, apt-get source qt6-base) and Qt
#     Serial Port (TARBALL) once into a cache folder named after the Qt version
#     and a hash of the configure options (default /var/cache/tavro/); a
#     complete cache folder is reused, so a second run takes minutes;
#  3. builds TAVRO for x86_64-w64-mingw32 in Release and writes into DIR
#     (default build-windows/) tavro-<version>-windows-x64.zip and
#     tavro-<version>-setup.exe.
# --prepare does step 1 and downloads the qtbase source, nothing more (CI
# runs it first, so the Qt build can then run beside other jobs without
# touching apt). --qt-only stops after step 2. The Qt build runs niced;
# --jobs (default: the number of cores) sets its parallelism.
# The whole script is read before it runs (the braces), so editing it while
# a build runs does not change that run.
{
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SERIALPORT_SRC="$ROOT/../shared/third-party/qtserialport-everywhere-src-6.4.2.tar.xz"
OUT="$ROOT/build-windows"
CACHE="${TAVRO_WINDOWS_CACHE:-/var/cache/tavro}"
QT_ONLY=0
PREPARE=0
JOBS="$(nproc)"
while [ $# -gt 0 ]; do
  case "$1" in
    --qtserialport-src) SERIALPORT_SRC="$2"; shift 2 ;;
    --out) OUT="$2"; shift 2 ;;
    --cache) CACHE="$2"; shift 2 ;;
    --jobs) JOBS="$2"; shift 2 ;;
    --qt-only) QT_ONLY=1; shift ;;
    --prepare) PREPARE=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
case "$OUT" in /*) ;; *) OUT="$PWD/$OUT" ;; esac
case "$SERIALPORT_SRC" in /*) ;; *) SERIALPORT_SRC="$PWD/$SERIALPORT_SRC" ;; esac
[ -f "$SERIALPORT_SRC" ] || { echo "Qt Serial Port source not found: $SERIALPORT_SRC (--qtserialport-src)" >&2; exit 2; }
now() { date +%s; }
T_START=$(date +%s)
log() { echo "== $(date +%T) $*"; }

# ---- 1. tools ---------------------------------------------------------------
PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build cmake dpkg-dev xz-utils zip
          qt6-base-dev-tools qt6-l10n-tools wine wine64 nsis xvfb xauth fonts-wqy-microhei fonts-dejavu-core
          qt6-translations-l10n imagemagick x11-utils)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The posix-thread compilers must be the ones named in the toolchain file.
command -v x86_64-w64-mingw32-g++-posix >/dev/null

# ---- 2. Qt for Windows, cached -----------------------------------------------
# Debian's qtbase source needs tabletevent off (wintab.h is removed from it) and
# androiddeployqt off (a Debian patch turns it on when cross-compiling); with
# OpenGL off, dynamicgl must be off too.
QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_libb2=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_androiddeployqt=OFF
)
HOST_QT_VERSION="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"   # e.g. 6.4.2+dfsg-10
QT_VERSION="${HOST_QT_VERSION%%+*}"; QT_VERSION="${QT_VERSION%%-*}"
MINGW_VERSION="$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)"
opt_hash="$( { printf '%s\n' "${QT_OPTIONS[@]}" "$HOST_QT_VERSION" "$MINGW_VERSION";
               cat "$ROOT/tools/windows/mingw-w64-x86_64.cmake"; } | sha256sum | cut -c1-10)"
sp_hash="$(sha256sum "$SERIALPORT_SRC" | cut -c1-10)"
QTBASE_PREFIX="$CACHE/qtbase-$QT_VERSION-mingw-$opt_hash"
QT_PREFIX="$CACHE/qt-$QT_VERSION-mingw-$opt_hash-serialport-$sp_hash"
WORK="$CACHE/work-$opt_hash"
mkdir -p "$CACHE"

# Debian's qtbase source into $WORK/src (adds the source entries if missing).
fetch_qtbase_source() {
  mkdir -p "$WORK/src"
  if ! ls "$WORK"/src/qt6-base_*.dsc >/dev/null 2>&1; then
    if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      log "adding Debian's source entries"
      printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        > /etc/apt/sources.list.d/tavro-deb-src.sources
      apt-get update -qq
    fi
    log "downloading Debian's qtbase source"
    (cd "$WORK/src" && apt-get source --download-only -qq "qt6-base=$HOST_QT_VERSION" || apt-get source --download-only -qq qt6-base)
  fi
}

build_qtbase() {
  if [ -f "$QTBASE_PREFIX/.complete" ]; then log "qtbase cached in $QTBASE_PREFIX"; return; fi
  local t0; t0=$(now)
  # A build that was interrupted (same options: same folder) goes on where it
  # stopped; anything else starts afresh.
  if [ -f "$WORK/qtbase-build/build.ninja" ] && [ -f "$WORK/qtbase-configured" ]; then
    log "resuming the interrupted qtbase build in $WORK"
  else
    # (the downloaded source stays: --prepare may have fetched it)
    rm -rf "$QTBASE_PREFIX" "$WORK/qtbase-build" "$WORK/qtbase-configured"
  fi
  mkdir -p "$QTBASE_PREFIX" "$WORK/src"
  # The toolchain file lives in the cache, so Qt's own toolchain file keeps
  # pointing at it wherever the project is cloned.
  cp "$ROOT/tools/windows/mingw-w64-x86_64.cmake" "$QTBASE_PREFIX/mingw-w64-x86_64.cmake"
  fetch_qtbase_source
  if [ ! -f "$WORK/qtbase-configured" ]; then
    rm -rf "$WORK/src/qtbase"
    dpkg-source --no-check -x "$(ls "$WORK"/src/qt6-base_*.dsc | head -n 1)" "$WORK/src/qtbase" \
      > "$WORK/unpack.log" 2>&1 || { tail -n 20 "$WORK/unpack.log" >&2; exit 1; }
    log "configuring qtbase $QT_VERSION for Windows"
    cmake -S "$WORK/src/qtbase" -B "$WORK/qtbase-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$QTBASE_PREFIX/mingw-w64-x86_64.cmake" \
      -DCMAKE_INSTALL_PREFIX="$QTBASE_PREFIX" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      "${QT_OPTIONS[@]}" > "$WORK/qtbase-configure.log" 2>&1 \
      || { tail -n 40 "$WORK/qtbase-configure.log" >&2; exit 1; }
    touch "$WORK/qtbase-configured"
  fi
  log "building qtbase with -j$JOBS (about 17-21 minutes on 2 cores)"
  nice -n 10 cmake --build "$WORK/qtbase-build" -j"$JOBS" > "$WORK/qtbase-build.log" 2>&1 \
    || { tail -n 40 "$WORK/qtbase-build.log" >&2; exit 1; }
  cmake --install "$WORK/qtbase-build" > /dev/null
  echo "qtbase build: $(( $(now) - t0 )) s, -j$JOBS, $(date -u +%FT%TZ)" > "$QTBASE_PREFIX/build-time.txt"
  touch "$QTBASE_PREFIX/.complete"
  rm -rf "$WORK"
  log "qtbase done in $(( $(now) - t0 )) s"
}

build_serialport() {
  if [ -f "$QT_PREFIX/.complete" ]; then log "Qt with Serial Port cached in $QT_PREFIX"; return; fi
  local t0; t0=$(now)
  rm -rf "$QT_PREFIX" "$CACHE/serialport" "$CACHE/serialport-build"
  cp -a "$QTBASE_PREFIX" "$QT_PREFIX"
  rm -f "$QT_PREFIX/.complete"
  # The copy's files still name the qtbase folder in a few places; that folder
  # stays in the cache beside it.
  mkdir -p "$CACHE/serialport"
  tar -xf "$SERIALPORT_SRC" -C "$CACHE/serialport" --strip-components=1
  log "building Qt Serial Port"
  "$QT_PREFIX/bin/qt-cmake" -S "$CACHE/serialport" -B "$CACHE/serialport-build" -G Ninja \
    -DCMAKE_INSTALL_PREFIX="$QT_PREFIX" > "$CACHE/serialport.log" 2>&1 \
    && nice -n 10 cmake --build "$CACHE/serialport-build" -j"$JOBS" >> "$CACHE/serialport.log" 2>&1 \
    && cmake --install "$CACHE/serialport-build" >> "$CACHE/serialport.log" 2>&1 \
    || { tail -n 40 "$CACHE/serialport.log" >&2; exit 1; }
  echo "serialport build: $(( $(now) - t0 )) s" >> "$QT_PREFIX/build-time.txt"
  touch "$QT_PREFIX/.complete"
  rm -rf "$CACHE/serialport" "$CACHE/serialport-build" "$CACHE/serialport.log"
  log "Qt Serial Port done in $(( $(now) - t0 )) s"
}

if [ "$PREPARE" = 1 ]; then
  [ -f "$QTBASE_PREFIX/.complete" ] || fetch_qtbase_source
  log "prepared: packages installed, qtbase source in place"
  exit 0
fi
build_qtbase
build_serialport
mkdir -p "$OUT" && echo "$QT_PREFIX" > "$OUT/qt-prefix.txt"
[ "$QT_ONLY" = 1 ] && { echo "Qt for Windows: $QT_PREFIX"; exit 0; }

# ---- 3. TAVRO for Windows ----------------------------------------------------
VERSION="$(sed -n 's/^project(TAVRO VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
BUILD="$OUT/build"
mkdir -p "$OUT"
t0=$(now)
log "building TAVRO $VERSION for Windows in $BUILD"
# The Windows programs and their tests; the benchmarks stay on Linux.
# tests/ run under Wine through tools/windows/wine-test.sh (the emulator).
cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$QT_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/tools/windows/wine-test.sh" \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
  > "$OUT/configure.log" 2>&1 || { tail -n 40 "$OUT/configure.log" >&2; exit 1; }
cmake --build "$BUILD" -j"$JOBS" > "$OUT/build.log" 2>&1 || { grep -E 'error|FAILED' "$OUT/build.log" | head -n 40 >&2; exit 1; }
if grep -q 'warning:' "$OUT/build.log"; then
  echo "compiler warnings in the Windows build:" >&2
  grep 'warning:' "$OUT/build.log" | sort -u | head -n 20 >&2
  exit 1
fi
log "TAVRO built in $(( $(now) - t0 )) s"

# ---- 4. the folder a user unpacks ----------------------------------------------
STAGE="$OUT/tavro-$VERSION"
rm -rf "$STAGE"
mkdir -p "$STAGE/platforms" "$STAGE/imageformats" "$STAGE/styles" "$STAGE/translations"
cp "$BUILD/app/tavro.exe" "$BUILD/app/tavro-demo.exe" "$BUILD/cli/tavro-cli.exe" "$STAGE/"
for m in Core Gui Widgets SerialPort; do cp "$QT_PREFIX/bin/Qt6$m.dll" "$STAGE/"; done
GCC_DIR="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
cp "$GCC_DIR/libstdc++-6.dll" "$GCC_DIR/libgcc_s_seh-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$STAGE/"
cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
cp "$QT_PREFIX"/plugins/imageformats/*.dll "$STAGE/imageformats/"
cp "$QT_PREFIX/plugins/styles/qwindowsvistastyle.dll" "$STAGE/styles/"
# Qt's own Chinese texts (standard buttons of message boxes); TAVRO's
# catalogues are compiled into the programs.
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$STAGE/translations/"
# Qt's paths relative to the programs: plugins beside them, translations/.
printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' > "$STAGE/qt.conf"
cp "$ROOT/README.md" "$STAGE/README.md"
find "$STAGE" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
ZIP="$OUT/tavro-$VERSION-windows-x64.zip"
rm -f "$ZIP"
(cd "$OUT" && zip -qr9 "$ZIP" "tavro-$VERSION")

# ---- 5. the installer ----------------------------------------------------------------
SETUP="$OUT/tavro-$VERSION-setup.exe"
# The installed files, listed for the uninstaller (it removes only those).
(cd "$STAGE" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort) > "$OUT/files.txt"
{ while read -r f; do echo "  Delete \"\$INSTDIR\\$f\""; done < "$OUT/files.txt"
  (cd "$STAGE" && find . -mindepth 1 -type d | sed 's|^\./||; s|/|\\|g' | sort -r) \
    | while read -r d; do echo "  RMDir \"\$INSTDIR\\$d\""; done
} > "$OUT/uninstall-files.nsh"
convert "$ROOT/resources/icons/tavro.png" -define icon:auto-resize=256,48,32,16 "$OUT/tavro.ico"
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DOUTFILE="$SETUP" \
  -DUNINSTALL_LIST="$OUT/uninstall-files.nsh" -DICON="$OUT/tavro.ico" \
  "$ROOT/tools/windows/installer.nsi" > "$OUT/installer.log" 2>&1 || { tail -n 30 "$OUT/installer.log" >&2; exit 1; }

size() { du -h "$1" | cut -f1; }
log "zip:       $ZIP ($(size "$ZIP"), unpacked $(du -sh "$STAGE" | cut -f1))"
log "installer: $SETUP ($(size "$SETUP"))"
log "done in $(( $(now) - T_START )) s"
exit
}
