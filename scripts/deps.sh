#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages*.txt, and in the
# list files given as arguments, that are missing.  With --only, just those
# of the lists given (and no locale): what building the package needs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here"/packages*.txt)
only=false
if [[ ${1:-} == --only ]]; then
  only=true
  lists=()
  shift
fi
mapfile -t wanted < <(cat "${lists[@]}" "$@" | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Polish locale: the program speaks Polish, and the date tests read and
# write the short date in a second locale.
if ! $only && ! locale -a 2>/dev/null | grep -qiE '^pl_PL\.utf-?8$'; then
  echo "Generating the pl_PL.UTF-8 locale"
  "${sudo_cmd[@]}" sh -c 'grep -q "^pl_PL.UTF-8 UTF-8" /etc/locale.gen ||
    echo "pl_PL.UTF-8 UTF-8" >>/etc/locale.gen; locale-gen >/dev/null'
fi
