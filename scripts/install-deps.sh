#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages the build needs and the machine
# lacks, and those named as arguments (scripts/install-deps.sh PACKAGE...).
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev "$@")
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
