#!/usr/bin/env bash
# Installs what building and testing Tessary needs on Debian 12. Safe to run again.
set -euo pipefail
packages=(g++ cmake make git locales libfmt-dev libgtest-dev libbenchmark-dev clang-format clang
  qt6-base-dev qt6-charts-dev qt6-qpa-plugins libgl-dev fonts-liberation xdg-utils libzip-dev
  pkg-config desktop-file-utils appstream dpkg-dev file groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
