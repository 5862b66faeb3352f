#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and any named
# on the command line, where missing. Prints nothing when nothing is missing.
#
# The library list follows the link lines, not what a machine happens to
# have: `pkg-config --libs cbc` on Debian 12 asks for
#   -lCbcSolver -lCbc -lCgl -lOsiClp -lClpSolver -lClp -lOsi -lCoinUtils
#     (coinor-libcbc-dev and the coinor-*-dev packages it depends on)
#   -lbz2 (libbz2-dev)  -lz (zlib1g-dev, which no coinor package pulls in)
#   -llapack (liblapack-dev)  -lblas (libblas-dev)
#   -lpthread -lrt -lm (libc6-dev)
# the tests link GoogleTest and GoogleMock (libgtest-dev, libgmock-dev), and
# the sanitizer build the address and undefined-behaviour runtimes, which g++
# brings in (libgcc-12-dev depends on libasan8 and libubsan1).
# After installing, a probe links an empty program against the whole CBC
# line, so a library that a later package version adds fails here, by name,
# rather than half-way through the build.
set -euo pipefail
packages=(
  # build tools
  cmake make g++ pkg-config
  # every -l of `pkg-config --libs cbc`
  coinor-libcbc-dev libbz2-dev zlib1g-dev liblapack-dev libblas-dev libc6-dev
  # tests
  libgtest-dev libgmock-dev nlohmann-json3-dev librsvg2-bin python3 procps
  # GDAL reads the GeoJSON back in the tests, as a GIS would
  gdal-bin
  "$@")
missing=()
for package in "${packages[@]}"; do
  # Installed means dpkg's status "install ok installed", not merely known.
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  # Another apt run on the machine holds the lock for a while: wait for it.
  apt_options=(-q -o DPkg::Lock::Timeout=600)
  $sudo apt-get "${apt_options[@]}" update
  $sudo env DEBIAN_FRONTEND=noninteractive \
    apt-get "${apt_options[@]}" install -y --no-install-recommends "${missing[@]}"
fi

# Probe the CBC link line: every -l must resolve.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'int main() { return 0; }' >"$probe/probe.cc"
# shellcheck disable=SC2046
if ! g++ "$probe/probe.cc" -o "$probe/probe" $(pkg-config --libs cbc) \
     2>"$probe/log"; then
  echo "setup: the CBC link line does not resolve on this machine:" >&2
  grep -o 'cannot find -l[^ :]*' "$probe/log" >&2 || cat "$probe/log" >&2
  echo "setup: add the -dev package that provides it to scripts/setup.sh" >&2
  exit 1
fi
