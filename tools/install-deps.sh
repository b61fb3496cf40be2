#!/usr/bin/env bash
# Installs the Debian 12 packages a build needs.
#   install-deps.sh app    what building and running the installer needs
#   install-deps.sh test   that, plus everything the test suite needs
#   install-deps.sh windows   the Windows cross-build (tools/build-windows.sh), its
#                             signing (tools/sign-windows.sh) and its checks under Wine
#                             (tests/windows, tests/wine)
set -euo pipefail
group=${1:-test}

app_packages=(
    build-essential cmake ninja-build ccache python3 pkg-config fonts-noto-cjk fonttools python3-munkres
    juce-modules-source libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev
)
test_packages=(
    libgtest-dev python3-yaml tesseract-ocr tesseract-ocr-deu tesseract-ocr-jpn locales-all
    xvfb xauth xdotool imagemagick x11-utils
    unzip zip p7zip-full libarchive-tools icoutils osslsigncode openssl
    g++-mingw-w64-x86-64-posix clang-14 libclang-rt-14-dev clang-format
)
# dpkg-dev unpacks Debian source packages (libpng, libjpeg-turbo are built from them).
windows_packages=(
    cmake ninja-build ccache python3 dpkg-dev juce-modules-source fonts-noto-cjk fonttools python3-munkres
    g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    wine wine64 xvfb xdotool imagemagick icoutils osslsigncode openssl python3-yaml
    tesseract-ocr tesseract-ocr-deu tesseract-ocr-jpn locales-all
)

case "$group" in
    app) packages=("${app_packages[@]}") ;;
    test) packages=("${app_packages[@]}" "${test_packages[@]}") ;;
    windows) packages=("${windows_packages[@]}") ;;
    *) echo "usage: $0 app|test|windows" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
