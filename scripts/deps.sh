#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (as root, or through sudo).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation
  clang libclang-rt-14-dev
  desktop-file-utils appstream
  dpkg-dev file lintian groff-base man-db
  poppler-utils
  texlive-latex-base texlive-pictures lmodern
  libgiac-dev libgmp-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
