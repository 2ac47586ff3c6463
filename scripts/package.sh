#!/usr/bin/env bash
# Builds a Release (with Debian's hardening flags) in build-release/ and the
# Debian package saftpt_<version>_amd64.deb into out/, then runs lintian on it.
# The package's maintainer is whoever builds it: DEBFULLNAME and DEBEMAIL, else
# the cache variable SAFTPT_PACKAGE_MAINTAINER ("Name <address>").
#
#   DEBFULLNAME="Name" DEBEMAIL=address scripts/package.sh
#   sudo apt install ./out/saftpt_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD_DIR:-build-release}
if [ -z "${DEBFULLNAME:-}" ] || [ -z "${DEBEMAIL:-}" ]; then
  cached=$(sed -n 's/^SAFTPT_PACKAGE_MAINTAINER:STRING=//p' "$BUILD/CMakeCache.txt" 2>/dev/null || true)
  if [ -z "$cached" ]; then
    echo "package.sh: diga quem faz o pacote: defina DEBFULLNAME e DEBEMAIL" \
      "(export DEBFULLNAME=\"Nome\" DEBEMAIL=endereco@exemplo.pt) ou configure $BUILD" \
      "com -DSAFTPT_PACKAGE_MAINTAINER=\"Nome <endereco@exemplo.pt>\"." >&2
    exit 1
  fi
fi

scripts/install-deps.sh

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
lintian --fail-on error,warning "$deb"
echo "Pacote: $(pwd)/$deb"
