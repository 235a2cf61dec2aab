#!/bin/sh
# Starts the installed game from its own folder, where it finds its Data folder.
here=$(dirname "$(readlink -f "$0")")
exec "$here/@HIMAWARI_GAME_FROM_BIN@/himawari" "$@"
