#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages the build needs and the machine lacks.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
