#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  cmake ninja-build g++ clang pkg-config qt6-base-dev libx11-dev libxcb1-dev libxcb-shape0-dev libglib2.0-dev \
  libglib2.0-bin gsettings-desktop-schemas libturbojpeg0-dev libjpeg62-turbo-dev libgif-dev \
  nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev \
  xvfb xserver-xorg-core xserver-xorg-video-dummy xauth openbox xdotool wmctrl x11-utils x11-xserver-utils trayer imagemagick fonts-dejavu-core \
  qt6-image-formats-plugins libcanberra-dev libcanberra-pulse pulseaudio \
  libical-dev python3-icalendar tzdata radicale libxxhash-dev gnome-keyring dbus libsecret-1-dev \
  libsecret-tools curl lld \
  dpkg-dev file desktop-file-utils appstream groff-base \
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n locales xclip >/dev/null

# The languages the end-to-end tests run the program in; generated once.
missing=0
for locale in en_US en_GB de_DE fr_FR; do
  locale -a | grep -qix "$locale.utf-\?8" && continue
  $SUDO sed -i "s/^# *\($locale.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  missing=1
done
[ "$missing" = 0 ] || $SUDO locale-gen >/dev/null
