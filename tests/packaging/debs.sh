#!/usr/bin/env bash
# Makes the two Debian packages from a build with cpack and checks them:
# each package's fields, then lintian (an error fails; warnings and
# informational tags are listed with their reasons).
# debs.sh BUILD_DIR OUT_DIR   (the .debs are left in OUT_DIR)
set -euo pipefail
build=$(cd "${1:?usage: debs.sh BUILD_DIR OUT_DIR}" && pwd)
out=${2:?usage: debs.sh BUILD_DIR OUT_DIR}
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
debs=("$out"/*.deb)
if [ "${#debs[@]}" -ne 2 ]; then
  echo "FAIL: expected two packages, got: ${debs[*]}" >&2
  exit 1
fi
for deb in "${debs[@]}"; do
  echo "== $(basename "$deb")"
  dpkg-deb --field "$deb" Package Version Depends Recommends
done
echo "== lintian"
lintian --fail-on error --info --display-info --no-tag-display-limit "${debs[@]}"
