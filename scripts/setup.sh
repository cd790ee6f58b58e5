#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (when missing).
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-serialport-dev libgl-dev
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      libqcustomplot-dev libqcustomplot2.1-qt6
      fonts-noto-cjk xvfb xauth
      clang libclang-rt-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
