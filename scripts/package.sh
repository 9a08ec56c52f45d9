#!/usr/bin/env bash
# Builds the two Debian packages, tarvolo and tarvolo-service, from one build
# into build-deb/packages/ (or $TARVOLO_PACKAGE_DIR/packages/), and checks
# them: the installed files with tests/packaging/validate.sh (desktop entry,
# AppStream, icons, manual pages), both .debs with lintian
# (tests/packaging/debs.sh). The tests run both scripts on the test build.
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
bash tests/packaging/validate.sh "$build_dir"
bash tests/packaging/debs.sh "$build_dir" "$out"
echo "package: $(echo "$out"/*.deb)"
