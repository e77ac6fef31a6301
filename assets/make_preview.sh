#!/usr/bin/env bash
# Makes the preview pane's picture (152 x 112): the show's own line mode drawn
# off-screen at three times the size and scaled down, so that the lines come out
# thin and smooth. Writes assets/preview.bmp, which Vessmark.scr carries as a
# bitmap resource. Run it again only to change the picture; the .bmp is committed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
cmake --build --preset native --target vessmark_show >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/native/bin/vessmark-show --offscreen --size 456x336 --seed 21 --frames 500 --step-ms 20 \
  --draw-spheres 0 --output "$work/large.png" >/dev/null
convert "$work/large.png" -resize '152x112!' -type TrueColor BMP3:assets/preview.bmp
echo assets/preview.bmp
