#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and any named
# on the command line, where missing.
set -euo pipefail
packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev coinor-libcbc-dev nlohmann-json3-dev
  librsvg2-bin zlib1g-dev "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
