#!/usr/bin/env bash
# Regenerates docs/screenshot.png: builds the program, starts it on a virtual screen (Xvfb), opens a
# folder of sample photos through its folder picker (F1, the path typed into the dialog, Enter) and
# captures the window.
#   tools/screenshot.sh [output.png]
# PORTEO_BIN names another executable to start instead of build/porteo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [[ ${1:-} != --on-virtual-screen ]]; then
  out=$(realpath -m "${1:-docs/screenshot.png}")

  # Both lists in one apt-get run; setup.sh then finds its own packages there.
  tools/install-packages.sh tools/screenshot-packages.txt tools/packages.txt
  [[ -n ${PORTEO_BIN:-} ]] || tools/setup.sh

  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT

  # Sample photos: colourful scenes drawn by ImageMagick, with a camera model and a date taken.
  photos=$work/photos
  mkdir -p "$photos"
  scene() { # file, sky gradient, sun colour, sun centre, land colour
    convert -size 640x480 "gradient:$2" \
      -fill "$3" -draw "circle $4 $(awk -v c="$4" 'BEGIN { split(c, p, ","); print p[1] + 48 "," p[2] }')" \
      -fill "$5" -draw "polygon 0,480 0,330 150,250 280,340 420,230 640,380 640,480" \
      -quality 90 "$photos/$1"
  }
  scene IMG_0001.jpg '#ffb347-#ff5e62' '#fff3b0' 470,140 '#3b2755'
  scene IMG_0002.jpg '#8fd3f4-#2f86d6' '#ffd447' 160,110 '#3ea657'
  scene IMG_0003.jpg '#0f2027-#2c5364' '#f5f3ce' 500,90 '#1b3a2f'
  scene IMG_0004.jpg '#fbc2eb-#a6c1ee' '#ffffff' 320,160 '#6c5b7b'
  scene IMG_0005.jpg '#f6d365-#fda085' '#ff7e5f' 120,180 '#8c5e3c'
  scene 海辺の朝.jpg '#a1ffce-#4facfe' '#fffbd5' 420,120 '#2b6777'
  day=1
  for photo in "$photos"/*.jpg; do
    exiv2 -M"set Exif.Image.Model Ascii PORTEO DC-1" \
          -M"set Exif.Photo.DateTimeOriginal Ascii 2026:05:0$day 09:05:00" "$photo"
    day=$((day + 1))
  done

  mkdir -p "$(dirname "$out")"
  xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    "$0" --on-virtual-screen "$photos" "$out" "$work"
  echo "wrote $out"
  exit 0
fi

# On the virtual screen.
photos=$2 out=$3 work=$4
program=${PORTEO_BIN:-$root/build/porteo}
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM XDG_CURRENT_DESKTOP DESKTOP_SESSION
export QT_QPA_PLATFORMTHEME=generic   # Qt's own folder dialog, never a desktop's native one

visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | sort || true; }
wait_for() { # tries, command...: runs the command every 0.2 s until it succeeds
  local tries=$1; shift
  until "$@"; do
    ((--tries > 0)) || return 1
    sleep 0.2
  done
}

"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

has_window() {
  kill -0 "$pid" 2>/dev/null || { echo "$program ended before it showed a window" >&2; exit 1; }
  [[ -n $(visible_windows "$pid") ]]
}
wait_for 100 has_window || { echo "the program showed no window" >&2; exit 1; }
sleep 1
main_windows=$(visible_windows "$pid")
window=$(head -n1 <<<"$main_windows")
xdotool windowfocus --sync "$window"

# F1 opens the folder picker: a new window of the program.
xdotool key F1
new_window() { comm -13 <(echo "$main_windows") <(visible_windows "$pid") | head -n1; }
has_dialog() { [[ -n $(new_window) ]]; }
wait_for 50 has_dialog || { echo "F1 opened no folder dialog" >&2; exit 1; }
dialog=$(new_window)
sleep 0.5
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 "$photos"
sleep 0.5
# The first Enter may only close the path completer; press again while the dialog stays open.
dialog_gone() { ! visible_windows "$pid" | grep -qx "$dialog"; }
for presses in 1 2 3; do
  xdotool key Return
  wait_for 10 dialog_gone && break
done
dialog_gone || { echo "the folder dialog did not accept $photos" >&2; exit 1; }
echo "the folder dialog took $photos after $presses Enter"

# Let the photos decode and the window settle.
sleep "${PORTEO_SCREENSHOT_SETTLE:-4}"
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/screen.png"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
