#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed mclp on
# an example with only the system folders on PATH: it must find the solver
# program installed beside it, and the prefix must hold the two programs and
# nothing else.
#
#   install_check.sh CMAKE BUILD_DIR EXAMPLES_DIR
set -euo pipefail
cmake=$1 build=$2 examples=$3
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
installed=$(cd "$prefix" && find . ! -type d | sort | tr '\n' ' ')
if [ "$installed" != "./bin/Corvadel.exe ./bin/mclp " ]; then
  echo "installed files: $installed (expected bin/Corvadel.exe and bin/mclp only)"
  exit 1
fi

cp "$examples"/kroA100.txt "$examples"/demanda.txt "$work/"
cd "$work"
status=0
PATH=/usr/bin:/bin "$prefix/bin/mclp" -a kroA100.txt >report.txt 2>&1 || status=$?
if [ $status -ne 0 ] || ! grep -q '^Populacao Atend\.  :  1536$' report.txt; then
  echo "installed mclp with PATH=/usr/bin:/bin exited $status:"
  cat report.txt
  exit 1
fi
