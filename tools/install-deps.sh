#!/usr/bin/env bash
# Installs the Debian packages the dialer and its tests need.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qtbase5-dev libqt5svg5-dev qtmultimedia5-dev
  libasound2-dev
  liblinphone-dev
  libcurl4-openssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev
  sip-tester kamailio
  xvfb xdotool
)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
