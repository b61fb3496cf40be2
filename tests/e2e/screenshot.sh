#!/usr/bin/env bash
# Screenshots of the main window under Xvfb with a stand-in install: CLAP installed (and
# so selected at start), VST3 selected by a click, AAX neither. Writes main-600.png and
# main-900.png (the window resized to 900 x 900) into the output folder; the README shows
# them from docs/.
#   tests/e2e/screenshot.sh build/vx_installer docs
set -euo pipefail
exe=$(realpath "${1:?usage: screenshot.sh <vx_installer> <output folder>}")
out=$(realpath "${2:?usage: screenshot.sh <vx_installer> <output folder>}")
here=$(dirname "$(realpath "$0")")
source "$here/xvfb_session.sh"
# shellcheck source=controls.sh
source "$here/controls.sh"

# The stand-in CLAP module: a versioned DLL when the fixture writer is there, otherwise a
# plain file (which reads "INSTALLED" without a version).
mkdir -p "$common_files/CLAP"
pe_writer="$here/../../tools/pe_image.py"
if [ -f "$pe_writer" ]; then
    python3 - "$(dirname "$pe_writer")" "$common_files/CLAP/Ostrand.clap" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pe_image import build_pe_dll
open(sys.argv[2], "wb").write(build_pe_dll((1, 2, 0, 0)))
PY
else
    printf 'stand-in module' >"$common_files/CLAP/Ostrand.clap"
fi

start_installer
# Select VST3 as well (a click on its tile), then park the pointer outside the window so
# that no control shows its hover state.
# shellcheck disable=SC2046 # two numbers
xdotool mousemove --window "$window" $(control_point VST3 600) click 1
xdotool mousemove 1279 1023
sleep 0.5
shoot_window "$out/main-600.png"
resize_window 900
shoot_window "$out/main-900.png"
echo "wrote $out/main-600.png and $out/main-900.png"
