#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metadata, and checks that they, the icons and the
# project agree with each other.
# Usage: check_desktop_files.sh <data folder> <application id> <project version>
set -uo pipefail
data=$1 id=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

desktop=$data/$id.desktop
metainfo=$data/$id.metainfo.xml
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/packages.txt)"; exit 1; }
done
[[ -f $desktop ]] || { echo "FAIL: no desktop entry $desktop"; exit 1; }
[[ -f $metainfo ]] || { echo "FAIL: no metainfo $metainfo"; exit 1; }

# Errors and warnings fail; hints pass.
out=$(desktop-file-validate "$desktop" 2>&1); rc=$?
[[ -n $out ]] && echo "$out"
((rc == 0)) || fail "desktop-file-validate exited with $rc"
grep -Eq '(error|warning):' <<<"$out" && fail "desktop-file-validate reports errors or warnings"

appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate rejects $metainfo"

# The desktop entry's keys, read from its [Desktop Entry] group.
key() { sed -n '/^\[Desktop Entry\]/,/^\[/{/^'"$1"'=/{s/^[^=]*=//;p;q}}' "$desktop"; }
expect_key() { local got; got=$(key "$1"); [[ $got == "$2" ]] || fail "$1 is '$got', expected '$2'"; }
expect_key 'Name' 'ぽるてお'
expect_key 'Name\[ja\]' 'ぽるてお'
expect_key 'Exec' 'porteo'
expect_key 'Icon' "$id"
expect_key 'Terminal' 'false'
expect_key 'Categories' 'Graphics;Viewer;'
[[ -n $(key 'Comment') ]] || fail "no English Comment"
key 'Comment\[ja\]' | LC_ALL=C grep -q $'\xe3' || fail "Comment[ja] holds no Japanese text"

# The metainfo names this id, this desktop entry and this version.
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
grep -q '<summary xml:lang="ja">' "$metainfo" || fail "metainfo has no Japanese summary"

# Every icon size is a PNG of exactly that size; the scalable icon is an SVG drawing.
for size in 16 24 32 48 64 128 256; do
  png=$data/icons/${size}x${size}/$id.png
  if [[ ! -f $png ]]; then fail "missing $png"; continue; fi
  signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
  [[ $signature == 89504e470d0a1a0a ]] || { fail "$png is not a PNG"; continue; }
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  width=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3)) height=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [[ $width == "$size" && $height == "$size" ]] || fail "$png is ${width}x$height, expected ${size}x$size"
done
grep -q '<svg ' "$data/icons/$id.svg" 2>/dev/null || fail "missing or empty scalable icon $data/icons/$id.svg"

((failures == 0)) && echo "desktop files: all checks passed"
((failures == 0))
