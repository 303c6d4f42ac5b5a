#!/usr/bin/env bash
# Installs the Debian packages the program needs ("run") or the build and tests need ("test").
set -euo pipefail
RUN_PKGS="qt6-base-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libmp3lame-dev libvorbis-dev libcdio-dev libcdio-paranoia-dev libcdio-utils libburn-dev libisofs-dev libespeak-ng-dev espeak-ng genisoimage libsdl2-dev cmake ninja-build g++ pkg-config qt6-qpa-plugins"
TEST_PKGS="libgtest-dev libtag1-dev fonts-dejavu-core ffmpeg xorriso udftools 7zip id3v2 cd-paranoia lame flac vorbis-tools locales"
pkgs="$RUN_PKGS"
[ "${1:-run}" = test ] && pkgs="$pkgs $TEST_PKGS"
missing=""
for p in $pkgs; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
