#!/usr/bin/env bash
# Installs the Debian packages Velomarq needs to build, test and run, and what
# CI (.ci/run) and `make package` call besides: clang-format for the format
# check, git for the list of files it checks, dpkg-dev and file for the
# package's library dependencies, and gpsbabel, which the program itself does
# not need: the tests write FIT files with it and the FIT benchmark races it.
# Idempotent: does nothing when everything is present, and runs apt-get update
# only when something has to be installed.
set -euo pipefail

packages=(
  g++ cmake ninja-build make git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
  libsqlite3-dev sqlite3
  libarchive-dev libexpat1-dev
  libgtest-dev
  imagemagick
  gpsbabel
  xvfb xauth xdotool
  desktop-file-utils appstream
  fonts-dejavu-core fonts-wqy-microhei
  clang-format
  dpkg-dev file
  # the HTML report check prints a report as a browser shows it
  chromium poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=sudo
  else
    echo "install-deps: missing packages (${missing[*]}) and not running as root." >&2
    exit 1
  fi
else
  SUDO=
fi

echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
