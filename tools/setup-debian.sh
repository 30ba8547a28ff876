#!/bin/bash
# Installs the Debian 12 packages the build and the tests need, if any are
# missing, and generates the comma-decimal locale the tests run in once more.
# Runs apt-get and localedef directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  cmake g++ clang ninja-build
  qt6-base-dev libgl-dev qt6-image-formats-plugins qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libhwy-dev libpng-dev zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libtiff-dev liblcms2-dev libcups2-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-noto-cjk xdg-utils locales qpdf poppler-utils libtiff-tools libgs-common
)
# The window, print and command suites run once more in this locale.
test_locale=de_DE

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
locale_missing=false
locale -a 2>/dev/null | grep -qix "$test_locale.utf-\?8" || locale_missing=true
[ ${#missing[@]} -eq 0 ] && ! $locale_missing && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "setup-debian: neither root nor sudo is available to install ${missing[*]:-} and the locale $test_locale.UTF-8" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-debian: installing ${missing[*]}"
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix "$test_locale.utf-\?8"; then
  echo "setup-debian: generating the locale $test_locale.UTF-8"
  "${as_root[@]}" localedef -i "$test_locale" -f UTF-8 "$test_locale.UTF-8"
fi
