#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Netsonde package (scripts/package.sh makes it): lintian
# must report nothing, down to its informational and pedantic hints; the
# AppStream metadata, the desktop entry and the manual page must pass without
# an error or a warning; the package must unpack into an empty root and its
# program run from there.
set -euo pipefail
deb=$(realpath "$1")
dbgsym=$(dirname "$deb")/$(basename "$deb" | sed 's/^netsonde_/netsonde-dbgsym_/; s/\.deb$/.ddeb/')
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
app_id=org.example.Netsonde

fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "lintian $(basename "$deb"):"
lintian --fail-on error,warning,info,pedantic --display-info --pedantic "$deb" || fail "lintian reports hints"

tree=$scratch/tree
dpkg-deb -x "$deb" "$tree"
for size in 16 32 48 128 256; do
  [ -f "$tree/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" ] || fail "no ${size}px icon"
done
[ -f "$tree/usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"

metainfo=$tree/usr/share/metainfo/$app_id.metainfo.xml
echo "appstreamcli validate $app_id.metainfo.xml:"
appstreamcli validate --no-net --no-color "$metainfo" | tee "$scratch/appstream.log" \
  || fail "the AppStream metadata is not valid"
! grep -Eq '^[EW]:' "$scratch/appstream.log" || fail "the AppStream metadata has errors or warnings"

echo "desktop-file-validate $app_id.desktop:"
desktop-file-validate "$tree/usr/share/applications/$app_id.desktop" >"$scratch/desktop.log" 2>&1 || true
[ ! -s "$scratch/desktop.log" ] || { cat "$scratch/desktop.log"; fail "the desktop entry is not valid"; }

echo "man --warnings netsonde.1.gz:"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$tree/usr/share/man/man1/netsonde.1.gz" \
  >/dev/null 2>"$scratch/man.log"
[ ! -s "$scratch/man.log" ] || { cat "$scratch/man.log"; fail "the manual page has warnings"; }

dpkg-deb -c "$dbgsym" >"$scratch/dbgsym.list"
grep -q '/usr/lib/debug/.build-id/.*\.debug$' "$scratch/dbgsym.list" || fail "no debug symbols in $dbgsym"

# An empty root with its own package database; the package is unpacked
# only, as its postinst (setcap) would run chrooted into a root with no shell.
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --unpack "$deb" >/dev/null
echo "installed: $("$root/usr/bin/netsonde" --version)"
# The window library is found from the executable's folder: the window
# starts and is still open when it is closed from here.
status=0
env HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM=offscreen \
  timeout 5 "$root/usr/bin/netsonde" >"$scratch/window.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$scratch/window.log"; fail "the installed window did not start (status $status)"; }
echo "package checks passed"
