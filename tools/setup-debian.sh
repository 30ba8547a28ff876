#!/bin/bash
# Installs the Debian 12 packages the build and the tests need, if any are
# missing. Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  cmake g++ clang ninja-build
  qt6-base-dev libgl-dev qt6-image-formats-plugins qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libhwy-dev libpng-dev zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libtiff-dev liblcms2-dev libcups2-dev libgtest-dev libgmock-dev libbenchmark-dev
  qpdf poppler-utils libtiff-tools
  xvfb xauth fonts-noto-cjk xdg-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "setup-debian: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

echo "setup-debian: installing ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
