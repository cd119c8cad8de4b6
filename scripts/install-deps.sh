#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   that, plus what the tests need
#   install-deps.sh package  what building and checking the Debian package needs
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libpulse-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
  gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-pulseaudio
  fonts-wqy-microhei fonts-noto-cjk librsvg2-bin libarchive-dev libical-dev qt6-translations-l10n
)
test_packages=(
  libgtest-dev libgmock-dev
  pulseaudio pulseaudio-utils ffmpeg sox lame gstreamer1.0-tools poppler-utils
  dbus dbus-x11 python3-dbusmock rsync xvfb xauth x11-apps x11-utils trayer xdotool
  snapserver snapclient
  desktop-file-utils appstream systemd man-db util-linux dex libglib2.0-bin
  clang clang-format libclang-rt-14-dev llvm
)
package_packages=(dpkg-dev lintian)

packages=("${run_packages[@]}")
case "${1:-run}" in
  test) packages+=("${test_packages[@]}") ;;
  package) packages+=("${package_packages[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "These packages are missing and sudo is not available; install them as root." >&2
    exit 1
  fi
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
