#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian 12 system and starts the
# program there: proof that the package's dependencies are complete and that
# an installed copy runs for an ordinary user.
#
#   tools/linux/check_deb_fresh.sh <package.deb> [root-dir]
#
# The fresh system is made with debootstrap (minbase, bookworm) in root-dir
# (default: a new temporary folder; an existing debootstrapped folder is
# reused as it is). Needs root and the Debian mirror; takes a few minutes.
# Checks: apt installs the package with its dependencies; the udev rule and
# the desktop entry are where udev and desktops look; "tavro" started as an
# ordinary user (offscreen) runs for 4 s without dying and writes nothing
# beside the executable.
set -euo pipefail
deb="$(realpath "$1")"
root="${2:-}"
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || apt-get install -y debootstrap >/dev/null
if [ -z "$root" ]; then
  root="$(mktemp -d /var/tmp/tavro-fresh.XXXXXX)"
fi
if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "== debootstrap bookworm into $root"
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
mounted=0
if ! mountpoint -q "$root/proc"; then
  mount -t proc proc "$root/proc"
  mounted=1
fi
cleanup() { [ "$mounted" -eq 1 ] && umount "$root/proc" || true; }
trap cleanup EXIT

cp "$deb" "$root/tmp/tavro.deb"
echo "== apt-get install ./tavro.deb"
chroot "$root" /bin/sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/tavro.deb' >/dev/null
chroot "$root" dpkg -s tavro | grep -E '^(Package|Version|Status):'

fail=0
for f in /usr/bin/tavro /usr/lib/udev/rules.d/70-tavro.rules /usr/share/applications/tavro.desktop; do
  [ -e "$root$f" ] || { echo "missing after install: $f"; fail=1; }
done

echo "== tavro as an ordinary user, offscreen, 4 s"
chroot "$root" /bin/sh -c 'id hobbyist >/dev/null 2>&1 || useradd -m hobbyist'
set +e
chroot "$root" su hobbyist -c 'cd ~ && QT_QPA_PLATFORM=offscreen timeout 4 tavro' >"$root/tmp/tavro.out" 2>&1
rc=$?
set -e
if [ "$rc" -ne 124 ]; then
  echo "tavro ended early (exit $rc):"; cat "$root/tmp/tavro.out"; fail=1
else
  echo "tavro ran until stopped"
fi
# The program writes its settings only when the language is switched; a
# settings file beside the installed executable must never appear.
[ -e "$root/usr/bin/settings.ini" ] && { echo "settings.ini written into /usr/bin"; fail=1; }
if grep -qiE "error|cannot|fail" "$root/tmp/tavro.out"; then
  echo "tavro printed:"; cat "$root/tmp/tavro.out"
fi
[ "$fail" -eq 0 ] && echo "fresh Debian 12: package installs and the program starts"
exit "$fail"
