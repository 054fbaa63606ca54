#!/usr/bin/env bash
# Installs the Debian packages Kalvoren needs to build, test and run.
# As root it runs apt-get itself; otherwise it prints the one command to run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  libzip-dev libpugixml-dev libfreexl-dev libxlsxwriter-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Kalvoren needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
