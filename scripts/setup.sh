#!/usr/bin/env bash
# Installs every Debian package the game, its tests and its benchmarks need.
# Idempotent: when everything is present, nothing is downloaded.
set -euo pipefail

PACKAGES=(
  # build and tests
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  # window, menus, dialogs (app/), with Qt's own Japanese texts for its dialogs
  qt6-base-dev libqt6opengl6-dev libgl-dev qt6-translations-l10n
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
  # the check of the built music and effects (tools/assets/audio_check.py): Debian's python3
  # with NumPy; it decodes the MP3s through libmpg123 like the game
  python3 python3-numpy
  # real-window tests, each on its own X server with its own session bus
  xvfb xauth xdotool x11-apps dbus-daemon dbus-session-bus-common
  # screenshots of the real window in the end-to-end tests (import), reading them (libpng),
  # and the window's close request sent the way a window manager does (Xlib)
  imagemagick libpng-dev libx11-dev
  # a window manager for the fullscreen tests (fullscreen is the window manager's to give),
  # and xprop to see it is up
  openbox x11-utils
  # checks of the desktop entry and the AppStream metainfo
  desktop-file-utils appstream
  # the time and peak memory of the soak (scripts/soak.sh)
  time
  # the game's texts in other languages: xgettext, msgmerge and msgfmt at build time, and
  # the locales the end-to-end tests run the game under
  gettext locales
)

source "$(dirname "$0")/apt-ensure.sh"
ensure_packages setup "${PACKAGES[@]}"

# An English and a Japanese desktop for the end-to-end tests; generated once, kept after.
as_root=""
if [ "$(id -u)" -ne 0 ]; then as_root="sudo"; fi
for loc in en_US ja_JP; do
  if ! locale -a 2>/dev/null | grep -qix "${loc}.utf-\?8"; then
    echo "setup: generating the ${loc}.UTF-8 locale" >&2
    $as_root localedef -i "$loc" -c -f UTF-8 -A /usr/share/locale/locale.alias "${loc}.UTF-8"
  fi
done
