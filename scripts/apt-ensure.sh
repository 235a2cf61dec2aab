#!/usr/bin/env bash
# ensure_packages NAME PKG... : installs the Debian packages that are not installed
# yet, through apt-get; does nothing (and downloads nothing) when all are present.
ensure_packages() {
  local who=$1
  shift
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "$who: installing ${missing[*]}" >&2
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
