#!/usr/bin/env bash
# Builds the Debian package from the build tree (the program must be built) and checks its control
# fields, its dependencies and its contents.
# Usage: check_package.sh <cpack> <build folder> <application id> <project version>
set -uo pipefail
cpack=$1 build=$2 id=$3 version=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

command -v dpkg-deb >/dev/null || { echo "FAIL: dpkg-deb is missing"; exit 1; }
[[ -x $build/porteo ]] || { echo "FAIL: $build/porteo is not built"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack -G DEB failed"; exit 1; }
debs=("$work"/porteo_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || { cat "$work/cpack.log"; echo "FAIL: no single porteo_*.deb"; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb")"
dpkg-deb -I "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == porteo ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', expected $version"
[[ $(field Section) == graphics ]] || fail "Section is '$(field Section)'"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ -n $(field Description) ]] || fail "no Description"

# Each run-time dependency is named as a package of its own in Depends.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for pkg in libqt6widgets6 libjpeg62-turbo libexiv2-27 fonts-ipafont-gothic shared-mime-info; do
  grep -qx "$pkg" <<<"$depends" || fail "Depends does not name $pkg: $(field Depends)"
done

contents=$(dpkg-deb -c "$deb")
echo "$contents"
has() { awk -v p="$1" '$6 == p { found = 1 } END { exit !found }' <<<"$contents" || fail "package lacks $1"; }
has ./usr/bin/porteo
has ./usr/share/applications/$id.desktop
has ./usr/share/metainfo/$id.metainfo.xml
has ./usr/share/icons/hicolor/scalable/apps/$id.svg
for size in 16 24 32 48 64 128 256; do has ./usr/share/icons/hicolor/${size}x${size}/apps/$id.png; done
has ./usr/share/doc/porteo/copyright
awk '$6 == "./usr/bin/porteo" && $1 !~ /^-rwxr-xr-x/ { exit 1 }' <<<"$contents" ||
  fail "usr/bin/porteo is not mode 755"

# The packaged menu entry starts the installed program.
dpkg-deb -x "$deb" "$work/root"
exec_line=$(grep '^Exec=' "$work/root/usr/share/applications/$id.desktop")
[[ $exec_line == Exec=porteo ]] || fail "packaged desktop entry has '$exec_line'"

((failures == 0)) && echo "package: all checks passed"
((failures == 0))
