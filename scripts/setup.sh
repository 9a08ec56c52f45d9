#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test and run.
# Packages already present are skipped; apt-get runs through sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-webengine-dev qt6-multimedia-dev
  libqt6opengl6-dev libgl-dev libxcb1-dev qt6-qpa-plugins qt6-translations-l10n
  libcurl4-openssl-dev libsqlite3-dev libsodium-dev libcpp-httplib-dev libboost-dev libpq-dev postgresql
  qtkeychain-qt6-dev gnome-keyring libssl-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-noto-cjk fonts-wqy-zenhei
  fonts-arphic-ukai fonts-arphic-uming fonts-arphic-gbsn00lp fonts-arphic-gkai00mp
  xvfb xauth x11-utils imagemagick tmux dbus at-spi2-core python3-pyatspi
  wrk nginx-light
  libespeak-ng-dev espeak-ng-data sox
  chromium chromium-driver python3-selenium python3-prometheus-client
  dpkg-dev desktop-file-utils appstream lintian man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
