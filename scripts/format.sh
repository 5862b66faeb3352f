#!/usr/bin/env bash
# Formats every C++ source of the project in place; with --check, only lists
# the files that differ from the house format and fails if there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cc' '*.h')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror $files
else
  clang-format -i $files
fi
