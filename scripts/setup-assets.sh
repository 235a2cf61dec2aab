#!/usr/bin/env bash
# Installs the Debian packages that the asset tools need (tools/assets/build-assets.sh).
# The game itself needs none of them. Idempotent: when everything is present,
# nothing is downloaded.
set -euo pipefail

PACKAGES=(
  # SVG drawings to pixels; Debian's python3 with Pillow and NumPy for compositing and synthesis
  librsvg2-bin python3 python3-pil python3-numpy
  # lettering in the pictures: a rounded Japanese font, and VL Gothic for the contact sheet
  fonts-motoya-l-maruberi fonts-vlgothic
  # music: MIDI rendering with the General MIDI soundfont, MP3 encoding; sox for checking by ear and eye
  fluidsynth timgm6mb-soundfont lame sox
)

source "$(dirname "$0")/apt-ensure.sh"
ensure_packages setup-assets "${PACKAGES[@]}"
