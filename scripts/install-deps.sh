#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the
# fuzzers need. Idempotent and without questions: packages already installed are
# left alone, and the package lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config git locales
  # tests, benchmarks, fuzzing, formatting
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format libxml2-utils bc
  # the editor and the platform libraries of later steps
  qt6-base-dev libx11-dev libtiff-dev libjpeg62-turbo-dev libpng-dev libharfbuzz-dev libfontconfig-dev libzip-dev
  # seeing what a person sees: a virtual display; the PDF readers that check our
  # PDFs, with the CJK character maps and Japanese fonts they substitute
  xvfb poppler-utils poppler-data qpdf mupdf-tools fonts-ipafont-mincho fonts-ipafont-gothic
  # the consumers that check the office documents
  libreoffice-writer-nogui libreoffice-impress-nogui python3-docx
  # the editor: Qt's own Japanese texts; driving it under Xvfb and taking screenshots
  qt6-translations-l10n xdotool x11-apps imagemagick
  # the desktop integration: its MIME type and desktop entry, checked as a desktop reads them
  shared-mime-info libglib2.0-bin desktop-file-utils
  # Japanese input through a real input method (ibus with the Anthy engine, on its own session bus)
  ibus ibus-anthy python3-gi gir1.2-ibus-1.0 dbus
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# A locale with a decimal comma, for the tests that prove our number formats
# ignore the process locale.
make_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "install-deps: could not make the de_DE.UTF-8 locale"
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  make_locale
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_locale
echo "install-deps: done"
