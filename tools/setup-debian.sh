#!/bin/sh
# Installs the Debian packages the build, the program and the tests need
# (only those missing). Runs as root, or through sudo when it is there.
set -e
packages="cmake g++ make pkg-config libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev
fonts-ipafont-gothic libvorbis-dev libx11-dev binutils-mingw-w64-x86-64 libgtest-dev libpng-dev
xvfb xdotool imagemagick x11-apps"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
$as_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
