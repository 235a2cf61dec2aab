#!/usr/bin/env bash
# Installs the tools that make the game's assets and test fixtures (never needed to
# build or test: their outputs are committed). Idempotent.
set -euo pipefail

PACKAGES=(
  # MP3 encoding of music and fixtures
  lame
  # checking rendered audio (sox FILE -n stat)
  sox
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup-assets: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
