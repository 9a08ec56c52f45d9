#!/usr/bin/env bash
# Builds the two Debian packages, tarvolo and tarvolo-service, from one build
# into build-deb/packages/ (or $TARVOLO_PACKAGE_DIR/packages/), and checks
# them: the installed files with tests/packaging/validate.sh (desktop entry,
# AppStream, icons, manual pages), both .debs with lintian.
# The build is a build of its own with Debian's hardening flags
# (dpkg-buildflags), so a package never ships what a test build left behind.
# Needs the packages of scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${TARVOLO_PACKAGE_DIR:-build-deb}

eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVOLO_TESTS=OFF -DTARVOLO_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" \
  --target tarvolo tarvolo-update tarvolo-cli tarvolo-service tv_packaging_files

out=$build_dir/packages
rm -rf "$out"
(cd "$build_dir" && cpack -G DEB -B "$PWD/packages" >/dev/null)
rm -rf "$out/_CPack_Packages"
debs=("$out"/*.deb)
for deb in "${debs[@]}"; do
  echo "== $(basename "$deb")"
  dpkg-deb --field "$deb" Package Version Depends Recommends
done

bash tests/packaging/validate.sh "$build_dir"

echo "== lintian"
# Errors fail; warnings and informational tags are listed with their reasons.
lintian --info --display-info --no-tag-display-limit "${debs[@]}"
echo "package: ${debs[*]}"
