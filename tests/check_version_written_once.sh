#!/usr/bin/env bash
# The installer's version is written once, in CMakeLists.txt's project(); the tests read it
# from the generated header (catalogue/Version.h). So that bumping it leaves the suite
# green, no test, benchmark or test script spells the version itself.
#
#   tests/check_version_written_once.sh <source folder>
set -euo pipefail
root="${1:?usage: $0 <source folder>}"
version="$(sed -n 's/^project(vx_installer VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[[ -n "$version" ]] || { echo "no project(vx_installer VERSION …) in $root/CMakeLists.txt"; exit 1; }
if found="$(grep -rnF --include='*.cpp' --include='*.h' --include='*.sh' --include='*.py' "$version" \
    "$root/tests" "$root/bench")"; then
    echo "the installer's version $version is spelled out where it should be read from catalogue/Version.h:"
    echo "$found"
    exit 1
fi
echo "version $version: written once"
