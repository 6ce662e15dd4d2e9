#!/usr/bin/env bash
# check_screenshot.sh FILE: the window saved by `scripts/run --screenshot` at 96 DPI has the
# header band, the card borders and fills, and the background where the window paints them.
# Prints one line per point and a closing "N passed, N failed" line.
set -uo pipefail
shot=$1
passed=0
failed=0
pixel() { convert "$shot" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | grep -oE '#[0-9A-F]{6}'; }
expect() { # x y #RRGGBB what
  local got
  got=$(pixel "$1" "$2")
  if [ "$got" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "  ($1, $2) $4: expected $3, got ${got:-nothing}"; fi
}
size=$(identify -format '%wx%h' "$shot" 2>/dev/null)
if [ "$size" != "680x622" ]; then
  echo "  window is $size, expected the 680x622 client area at 96 DPI"; failed=$((failed + 1))
fi
expect 670 30 '#0B57D0' 'header band'
expect 10 300 '#F1F5F9' 'window background between cards'
expect 20 110 '#DADCE0' 'account card left border'
expect 659 110 '#DADCE0' 'account card right border'
expect 400 124 '#FFFFFF' 'account card fill'
expect 400 127 '#DADCE0' 'account card bottom border (not signed in)'
expect 20 200 '#10B981' 'protection card border, armed'
expect 26 181 '#ECFDF5' 'protection card fill, armed'
expect 20 400 '#DADCE0' 'checker card left border'
expect 659 400 '#DADCE0' 'checker card right border'
expect 27 380 '#FFFFFF' 'checker card fill'
expect 34 470 '#CBD5E1' 'verdict card border, idle'
expect 40 500 '#F8FAFC' 'verdict card fill, idle'
expect 300 535 '#CBD5E1' 'verdict card bottom border, idle'
expect 20 580 '#DADCE0' 'bottom card left border'
expect 340 607 '#DADCE0' 'bottom card bottom border'
expect 340 612 '#F1F5F9' 'background below the bottom card'
echo "screenshot: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
