#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need. Quick when all is present.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev libsqlite3-dev libshp-dev pxlib-dev
      libjpeg-dev libsimpleini-dev libgtest-dev clang clang-format libclang-rt-14-dev
      libssl-dev python3-pyftpdlib python3-openssl vsftpd openssl lftp php-cli xvfb xauth chromium
      default-jre-headless linkchecker gdal-bin csvkit)
# Node.js may come from elsewhere than Debian (with its own npm); take Debian's only when it is missing.
command -v node >/dev/null 2>&1 || pkgs+=(nodejs)
command -v npm >/dev/null 2>&1 || pkgs+=(npm)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
