#!/usr/bin/env bash
# Installs every Debian package the game, its tests and its benchmarks need.
# Idempotent: when everything is present, nothing is downloaded.
set -euo pipefail

PACKAGES=(
  # build and tests
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  # window, menus, dialogs (app/)
  qt6-base-dev libqt6opengl6-dev libgl-dev
  # hardware rendering
  libepoxy-dev
  # glyphs and font matching, with a Japanese Gothic font
  libfreetype-dev libfontconfig-dev fonts-vlgothic
  # background JPEG
  libjpeg-dev
  # audio output and game controllers
  libsdl2-dev
  # MP3 decoding, MIDI synthesis with a General MIDI soundfont
  libmpg123-dev libfluidsynth-dev timgm6mb-soundfont
  # settings file
  libsimpleini-dev
  # real-window tests
  xvfb xauth xdotool x11-apps
  # screenshots of the real window in the end-to-end tests (import), reading them (libpng),
  # and the window's close request sent the way a window manager does (Xlib)
  imagemagick libpng-dev libx11-dev
  # the time and peak memory of the soak (scripts/soak.sh)
  time
)

source "$(dirname "$0")/apt-ensure.sh"
ensure_packages setup "${PACKAGES[@]}"
