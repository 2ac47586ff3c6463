#!/usr/bin/env bash
# Builds a Release (with Debian's hardening flags) in build-release/ and the
# Debian package saftpt_<version>_amd64.deb into out/, then runs lintian on it.
#
#   scripts/package.sh
#   sudo apt install ./out/saftpt_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

BUILD=${BUILD_DIR:-build-release}
GEN=()
command -v ninja >/dev/null && [ ! -f "$BUILD/CMakeCache.txt" ] && GEN=(-G Ninja)
# Debian's hardening flags, all of them (bindnow included), given on every
# configure so a change here reaches the cache.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DSAFTPT_BUILD_TESTS=OFF -DSAFTPT_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

mkdir -p out
cpack --config "$BUILD/CPackConfig.cmake" -B out
rm -rf out/_CPack_Packages
deb=$(ls -t out/saftpt_*_amd64.deb | head -1)
lintian --fail-on error "$deb"
echo "Pacote: $(pwd)/$deb"
