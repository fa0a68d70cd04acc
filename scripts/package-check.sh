#!/usr/bin/env bash
# Smoke check of the Debian package that `make package` wrote into BUILD/package/: prints its
# control fields and contents, checks that the program, the menu entry, the 32x32 icon and the
# manual page are in it and sound, unpacks it into a temporary folder and runs the unpacked
# `tarvik --version` without a display, then `tarvik` for a few seconds on the offscreen platform. Needs dpkg-deb, file and desktop-file-validate.
# Usage: scripts/package-check.sh BUILD
set -eu

build=${1:?usage: scripts/package-check.sh BUILD}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
shopt -s nullglob
debs=("$build"/package/tarvik_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "package-check: expected one tarvik_*.deb in $build/package, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}

failed=0
fail() {
  echo "package-check: FAIL: $*" >&2
  failed=1
}
ok() { echo "package-check: ok: $*"; }

echo "== $deb"
dpkg-deb -I "$deb"
echo "== contents"
dpkg-deb -c "$deb"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] && ok "version $version" ||
  fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] && ok "depends on $depends" ||
  fail "Depends does not name the Qt libraries: '$depends'"
# Nothing but the program, its window program and its desktop files: no test, bench or fuzz target.
strays=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' |
  grep -Ev '^\./usr/(bin/tarvik|libexec/tarvik/tarvik|share/applications/tarvik\.desktop|share/icons/hicolor/[0-9]+x[0-9]+/apps/tarvik\.png|share/man/man1/tarvik\.1\.gz)$' || true)
[ -z "$strays" ] && ok "nothing else in the package" || fail "unexpected files: $strays"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

program=$root/usr/bin/tarvik
[ -x "$program" ] && file "$program" | grep -q 'ELF .*executable' && ok "usr/bin/tarvik" ||
  fail "usr/bin/tarvik is missing or not a program"
window=$root/usr/libexec/tarvik/tarvik
[ -x "$window" ] && file "$window" | grep -q 'ELF .*executable' && ok "usr/libexec/tarvik/tarvik" ||
  fail "usr/libexec/tarvik/tarvik, the window program, is missing or not a program"

entry=$root/usr/share/applications/tarvik.desktop
if [ -f "$entry" ]; then
  desktop-file-validate "$entry" && ok "tarvik.desktop is valid" || fail "tarvik.desktop is not valid"
  grep -qx 'Exec=tarvik %f' "$entry" || fail "tarvik.desktop does not start 'tarvik %f'"
else
  fail "usr/share/applications/tarvik.desktop is missing"
fi

icon=$root/usr/share/icons/hicolor/32x32/apps/tarvik.png
file "$icon" 2>/dev/null | grep -q 'PNG image data, 32 x 32' && ok "32x32 icon" ||
  fail "usr/share/icons/hicolor/32x32/apps/tarvik.png is missing or not a 32x32 PNG"

page=$root/usr/share/man/man1/tarvik.1.gz
if [ -f "$page" ]; then
  zcat "$page" | grep -q "^\.TH TARVIK 1 .*\"Tarvik $version\"" && ok "manual page, version $version" ||
    fail "the manual page's title line does not name Tarvik $version"
else
  fail "usr/share/man/man1/tarvik.1.gz is missing"
fi

# The program's libraries come from the system; --version needs no display at all. The time limit
# only keeps a program that opened a window anyway from hanging the check.
if out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$program" --version 2>&1 </dev/null); then
  grep -qF "$version" <<<"$out" && ok "tarvik --version: $out" ||
    fail "tarvik --version printed no line with $version: $out"
else
  fail "tarvik --version failed (exit $?): $out"
fi

# The window comes from the window program beside it: started offscreen, it runs until stopped.
status=0
out=$(QT_QPA_PLATFORM=offscreen timeout 3 "$program" 2>&1 </dev/null) || status=$?
[ $status -eq 124 ] && ok "tarvik starts usr/libexec/tarvik/tarvik for its window" ||
  fail "tarvik did not start its window (exit $status): $out"

[ $failed -eq 0 ] && echo "package-check: all checks passed" || exit 1
