#!/usr/bin/env bash
# Builds the Windows installer from a cross-build:
#   packaging/windows/make_installer.sh [BUILD [OUTFILE]]
# BUILD is the Windows build folder (build-win); OUTFILE the installer
# (BUILD/orderdesk-setup.exe). The programs are stripped of their debugging
# information first (the build's own copies keep it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-win}" && pwd)
out=${2:-$build/orderdesk-setup.exe}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
strip=x86_64-w64-mingw32-strip
"$strip" -o "$stage/orderdesk.exe" "$build/app/orderdesk.exe"
"$strip" -o "$stage/ldgtool.exe" "$build/tools/ldgtool/ldgtool.exe"
version=$(sed -n 's/^project(orderdesk VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
makensis -V2 -INPUTCHARSET UTF8 -DBIN="$stage" -DVERSION="${version:-1.0}" -DOUTFILE="$out" \
  "$here/orderdesk.nsi"
echo "wrote $out"
