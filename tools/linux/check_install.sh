#!/bin/sh
# Installs the "tavro" component of a build into a fresh folder and checks
# that exactly the expected files arrive, the program is executable and the
# udev rule and desktop entry say what they must.
#   check_install.sh <build-dir> <expected-file-list>
set -eu
build="$1"
expected="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" --component tavro >/dev/null

fail=0
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$prefix.list"
sort "$expected" | sed '/^$/d' > "$prefix.want"
if ! diff -u "$prefix.want" "$prefix.list"; then
    echo "installed files differ from the expected list (- expected, + installed)"
    fail=1
fi
rm -f "$prefix.list" "$prefix.want"

if grep -qx 'bin/tavro' "$expected" && [ ! -x "$prefix/bin/tavro" ]; then
    echo "bin/tavro is not executable"; fail=1
fi
rule="$prefix/lib/udev/rules.d/70-tavro.rules"
for want in 'ATTRS{idVendor}=="05c0"' 'ATTRS{idProduct}=="007a"' 'TAG+="uaccess"' \
            'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
    grep -v '^#' "$rule" | grep -qF "$want" || { echo "udev rule lacks $want"; fail=1; }
done
desktop="$(find "$prefix" -name tavro.desktop)"
for want in 'Name=TAVRO' 'Exec=tavro' 'Icon=tavro' 'Type=Application'; do
    grep -qx "$want" "$desktop" || { echo "desktop entry lacks $want"; fail=1; }
done
icon="$(find "$prefix" -name tavro.png)"
if [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" != "89504e470d0a1a0a" ]; then
    echo "icon is not a PNG file"; fail=1
fi
[ "$fail" -eq 0 ] && echo "install into a fresh prefix: all expected files present"
exit "$fail"
