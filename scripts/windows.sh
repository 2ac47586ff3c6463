#!/usr/bin/env bash
# Builds the command line for 64-bit Windows and packs it as
# out/saftpt-<version>-windows-x64.zip: saftpt.exe, the DLLs it needs, the
# files of data/, LEIA-ME.txt, the manual page as text, LICENSE and NOTICE.
#
# Toolchain: Debian's MinGW-w64. libxml2, MariaDB Connector/C (TLS through
# Windows' Schannel), OpenSSL's libcrypto and libcsv are cross-built from Debian's own
# source packages, each once into build-windows/deps/<name>-<version>/, and
# reused while that version stays the same. Nothing here touches build/.
#
#   scripts/windows.sh          the zip (prints its path on the last line)
#   scripts/windows.sh --gui    also cross-builds qtbase (Core, Gui, Widgets, the
#                               Windows platform plugin) into the cache, timed
#   SAFTPT_NICE=19 scripts/windows.sh   builds at the given nice level
set -euo pipefail
GUI=0
for arg in "$@"; do
  case "$arg" in
    --gui) GUI=1 ;;
    *) echo "uso: scripts/windows.sh [--gui]" >&2; exit 2 ;;
  esac
done
cd "$(dirname "$0")/.."
ROOT=$PWD
TOP=$ROOT/build-windows
DEPS=$TOP/deps
SOURCES=$TOP/sources
HOST=x86_64-w64-mingw32
JOBS=${JOBS:-2}
NICE=(nice -n "${SAFTPT_NICE:-0}")
export CCACHE_DISABLE=1 # the cache folder is the dependencies' cache

log() { echo "windows.sh: $*" >&2; }
# Runs a command with its output in build-windows/logs/NAME.log, shown (its
# end) only when it fails.
quiet() {  # name command...
  local name=$1
  shift
  mkdir -p "$TOP/logs"
  "$@" >>"$TOP/logs/$name.log" 2>&1 || {
    tail -40 "$TOP/logs/$name.log" >&2
    log "falhou: $* (registo em build-windows/logs/$name.log)"
    exit 1
  }
}
SECONDS_START=$SECONDS
elapsed() { echo "$((SECONDS - $1))s"; }

# -- Debian packages (the toolchain and Wine are in install-deps.sh) and the
# -- source entry ----------------------------------------------------------------

scripts/install-deps.sh
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
SRC_LIST=/etc/apt/sources.list.d/saftpt-deb-src
# The same archives as the machine's own Debian packages, for their sources:
# each enabled entry signed by Debian's archive key, as deb-src.
debian_source_entries() {  # .sources | .list
  local f
  if [ "$1" = .sources ]; then
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && [ "$f" != "$SRC_LIST.sources" ] || continue
      awk 'BEGIN { RS = ""; ORS = "" }
        { n = split($0, line, "\n"); types = ""; debian = 0
          for (i = 1; i <= n; i++) {
            if (line[i] ~ /^Types:/) types = line[i]
            if (line[i] ~ /debian-archive-keyring/) debian = 1
          }
          if (debian && (types " ") ~ /[: ]deb /) {
            for (i = 1; i <= n; i++) print (line[i] ~ /^Types:/ ? "Types: deb-src" : line[i]) "\n"
            print "\n"
          } }' "$f"
    done
  else
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] && [ "$f" != "$SRC_LIST.list" ] || continue
      sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' "$f"
    done
  fi
}
if [ ! -f "$SRC_LIST.sources" ] && [ ! -f "$SRC_LIST.list" ]; then
  sources=$(debian_source_entries .sources)
  list=$(debian_source_entries .list)
  [ -n "$sources$list" ] || { log "nenhuma fonte de pacotes Debian em /etc/apt"; exit 1; }
  [ -z "$sources" ] || $SUDO tee "$SRC_LIST.sources" >/dev/null <<<"$sources"
  [ -z "$list" ] || $SUDO tee "$SRC_LIST.list" >/dev/null <<<"$list"
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
fi

# The source versions to try, best first: the Linux build's library's own,
# then others of the same upstream version, then the rest, newest first (a
# mirror may list a version before it holds its files).
source_versions() {  # source-package linux-binary-package
  local installed versions
  installed=$(dpkg-query -W -f='${Version}' "$2" 2>/dev/null || true)
  versions=$(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V -r -u)
  [ -n "$versions" ] || { log "sem fonte Debian de $1"; exit 1; }
  {
    grep -xF "$installed" <<<"$versions" || true
    grep -F "${installed%-*}-" <<<"$versions" | grep -vxF "$installed" || true
    grep -vF "${installed%-*}-" <<<"$versions" || true
  } | awk 'NF && !seen[$0]++'
}

# Downloads a source package (once) into $SOURCES; prints the version got.
fetch_source() {  # source-package linux-binary-package
  local v
  mkdir -p "$SOURCES"
  for v in $(source_versions "$1" "$2"); do
    if ls "$SOURCES/$1_${v#*:}.dsc" >/dev/null 2>&1 ||
      (cd "$SOURCES" && apt-get source --download-only -qq "$1=$v" >/dev/null 2>&1); then
      echo "$v"
      return
    fi
  done
  log "não foi possível obter a fonte de $1"
  exit 1
}

# -- Dependencies ---------------------------------------------------------------

TOOLCHAIN=$ROOT/scripts/windows/toolchain.cmake
CROSS_CMAKE=(cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release)

# Runs "build_<name> SRC PREFIX" unless PREFIX is already complete.
dependency() {  # name version
  local name=$1 version=$2 prefix=$DEPS/$1-${2#*:} start=$SECONDS
  if [ -f "$prefix/.complete" ]; then
    log "$name ${version}: em cache"
  else
    log "$name ${version}: a compilar"
    rm -rf "$prefix" "$TOP/work/$name" "$TOP/logs/$name.log"
    mkdir -p "$TOP/work/$name"
    "build_$name" "$version" "$TOP/work/$name" "$prefix"
    touch "$prefix/.complete"
    rm -rf "$TOP/work/$name"
    log "$name ${version}: $(elapsed $start)"
  fi
  PREFIXES+=("$prefix")
}

unpack_debian() {  # package version work
  (cd "$3" && dpkg-source --no-check -x "$SOURCES/$1_${2#*:}.dsc" src >/dev/null)
}

build_libxml2() {  # version work prefix
  unpack_debian libxml2 "$1" "$2"
  # No iconv: the program registers its own Windows-1252 converter.
  quiet libxml2 "${NICE[@]}" "${CROSS_CMAKE[@]}" -S "$2/src" -B "$2/build" -DCMAKE_INSTALL_PREFIX="$3" \
    -DBUILD_SHARED_LIBS=ON -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF \
    -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF \
    -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_HTTP=OFF \
    -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_THREADS=ON
  quiet libxml2 "${NICE[@]}" cmake --build "$2/build" -j"$JOBS"
  quiet libxml2 cmake --install "$2/build"
}

build_mariadb() {  # version work prefix
  # Only the connector's folder of the server's source is needed.
  local upstream=${1#*:}
  upstream=${upstream%-*}
  tar -xzf "$SOURCES/mariadb_$upstream.orig.tar.gz" -C "$2" --strip-components=1 \
    --wildcards "*/libmariadb/*"
  quiet mariadb "${NICE[@]}" "${CROSS_CMAKE[@]}" -S "$2/libmariadb" -B "$2/build" -DCMAKE_INSTALL_PREFIX="$3" \
    -DWITH_SSL=SCHANNEL -DWITH_UNIT_TESTS=OFF -DWITH_CURL=OFF -DWITH_MYSQLCOMPAT=OFF \
    -DCLIENT_PLUGIN_DIALOG=STATIC -DCLIENT_PLUGIN_SHA256_PASSWORD=STATIC \
    -DCLIENT_PLUGIN_CACHING_SHA2_PASSWORD=STATIC -DCLIENT_PLUGIN_CLIENT_ED25519=STATIC \
    -DCLIENT_PLUGIN_AUTH_GSSAPI_CLIENT=OFF
  quiet mariadb "${NICE[@]}" cmake --build "$2/build" -j"$JOBS"
  quiet mariadb cmake --install "$2/build"
  mariadb_pc "$3"
}

# The connector installs no pkg-config file on Windows; the build finds it
# by one, as on Linux.
mariadb_pc() {  # prefix
  local version
  version=$(sed -n 's/^#define MARIADB_PACKAGE_VERSION "\(.*\)"/\1/p' "$1/include/mariadb/mariadb_version.h")
  mkdir -p "$1/lib/pkgconfig"
  cat >"$1/lib/pkgconfig/libmariadb.pc" <<EOF
Name: libmariadb
Description: MariaDB Connector/C for Windows
Version: $version
Libs: -L$1/lib/mariadb -llibmariadb
Cflags: -I$1/include/mariadb
EOF
}

build_openssl() {  # version work prefix
  unpack_debian openssl "$1" "$2"
  # libcrypto alone, static: the program only checks RSA-SHA1 signatures.
  cd "$2/src"
  quiet openssl "${NICE[@]}" ./Configure mingw64 --cross-compile-prefix=$HOST- \
    --prefix="$3" --libdir=lib no-shared no-asm no-tests no-engine no-dso \
    no-module no-legacy no-ui-console no-srp no-psk no-ct no-ocsp no-cms no-ts no-comp \
    no-idea no-camellia no-seed no-bf no-cast no-rc2 no-rc4 no-rc5 no-md4 no-mdc2 \
    no-whirlpool no-sm2 no-sm3 no-sm4 no-siphash no-aria no-blake2 no-chacha no-poly1305 \
    no-scrypt no-ocb no-gost no-ssl no-tls no-dtls no-sock
  quiet openssl "${NICE[@]}" make -j"$JOBS" build_generated
  quiet openssl "${NICE[@]}" make -j"$JOBS" libcrypto.a
  cd "$ROOT"
  mkdir -p "$3/lib" "$3/include"
  cp "$2/src/libcrypto.a" "$3/lib/"
  cp -r "$2/src/include/openssl" "$3/include/"
  find "$3/include/openssl" -name '*.in' -delete
}

build_libcsv() {  # version work prefix
  unpack_debian libcsv "$1" "$2"
  # One C file: compiled straight into a static library, as the program links it.
  mkdir -p "$3/lib" "$3/include"
  quiet libcsv "${NICE[@]}" $HOST-gcc-posix -O2 -c "$2/src/libcsv.c" -o "$2/libcsv.o"
  quiet libcsv $HOST-ar rcs "$3/lib/libcsv.a" "$2/libcsv.o"
  cp "$2/src/csv.h" "$3/include/"
}

build_qtbase() {  # version work prefix
  unpack_debian qt6-base "$1" "$2"
  # Against Debian's own host tools (moc, rcc, uic) of the same version.
  # Debian's source leaves out the tablet header (wintab.h): no tablet events.
  # The Windows platform plugin of this version needs OpenGL (opengl32).
  quiet qtbase "${NICE[@]}" "${CROSS_CMAKE[@]}" -S "$2/src" -B "$2/build" -DCMAKE_INSTALL_PREFIX="$3" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DINPUT_opengl=desktop \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF \
    -DFEATURE_openssl=OFF -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_tabletevent=OFF
  quiet qtbase "${NICE[@]}" cmake --build "$2/build" -j"$JOBS"
  quiet qtbase cmake --install "$2/build"
}

build_cli11() {  # version work prefix
  # Header-only: its headers and a target of the same name as Debian's.
  mkdir -p "$3/include" "$3/lib/cmake/CLI11"
  cp -r /usr/include/CLI "$3/include/"
  cat >"$3/lib/cmake/CLI11/CLI11Config.cmake" <<'EOF'
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../../../include")
EOF
}

PREFIXES=()
for dep in libxml2:libxml2-dev mariadb:libmariadb-dev openssl:libssl-dev libcsv:libcsv-dev; do
  version=$(fetch_source "${dep%%:*}" "${dep#*:}")
  dependency "${dep%%:*}" "$version"
  [ "${dep%%:*}" = openssl ] && OPENSSL_VERSION=${version#*:}
done
dependency cli11 "$(dpkg-query -W -f='${Version}' libcli11-dev)"
if [ $GUI = 1 ]; then
  version=$(fetch_source qt6-base qt6-base-dev)
  dependency qtbase "$version"
  QT_VERSION=${version#*:}
  log "qtbase: $(du -sh "$DEPS/qtbase-${version#*:}" | cut -f1) em build-windows/deps"
fi
[ "${SAFTPT_WINDOWS_DEPS_ONLY:-0}" = 1 ] && exit 0

# -- The program -----------------------------------------------------------------

start=$SECONDS
PROGRAM=$TOP/saftpt
rm -f "$TOP/logs/saftpt.log"
pc_path=""
for p in "${PREFIXES[@]}"; do pc_path+="${pc_path:+:}$p/lib/pkgconfig"; done
prefix_list=$(IFS=';'; echo "${PREFIXES[*]}")
export PKG_CONFIG_LIBDIR=$pc_path
quiet saftpt "${CROSS_CMAKE[@]}" -S "$ROOT" -B "$PROGRAM" -DSAFTPT_WINDOWS_PREFIXES="$prefix_list" \
  -DCMAKE_PREFIX_PATH="$prefix_list" -DOPENSSL_ROOT_DIR="$DEPS/openssl-$OPENSSL_VERSION" \
  -DOPENSSL_USE_STATIC_LIBS=ON -DSAFTPT_BUILD_GUI=OFF -DSAFTPT_BUILD_TESTS=OFF \
  -DSAFTPT_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$TOP/install"
quiet saftpt "${NICE[@]}" cmake --build "$PROGRAM" -j"$JOBS"
log "saftpt.exe: $(elapsed $start)"

# -- The zip ----------------------------------------------------------------------

VERSION=$(sed -n 's/^project(saftpt VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
NAME=saftpt-$VERSION-windows-x64
STAGE=$TOP/stage/$NAME
rm -rf "$TOP/stage" "$TOP/install"
mkdir -p "$STAGE"
# Whatever the install puts in the program's data folder goes beside the .exe,
# where the program looks first.
quiet saftpt cmake --install "$PROGRAM" --component Unspecified
cp "$TOP/install/bin/saftpt.exe" "$STAGE/"
cp "$TOP/install/share/saftpt/"* "$STAGE/"
$HOST-strip "$STAGE/saftpt.exe"

# The DLLs saftpt.exe needs, and theirs, from the dependencies' and the
# toolchain's folders; the others are Windows' own.
mapfile -t DLL_DIRS < <(find "${PREFIXES[@]}" -name '*.dll' -printf '%h\n' | sort -u)
DLL_DIRS+=("$(dirname "$($HOST-g++-posix -print-file-name=libstdc++-6.dll)")"
  "$(dirname "$($HOST-g++-posix -print-file-name=libgcc_s_seh-1.dll)")"
  "/usr/$HOST/lib")
add_dlls() {  # pe-file stage
  local dll d
  for dll in $($HOST-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
    [ -f "$2/$dll" ] && continue
    for d in "${DLL_DIRS[@]}"; do
      if [ -f "$d/$dll" ]; then
        cp "$d/$dll" "$2/"
        add_dlls "$2/$dll" "$2"
        break
      fi
    done
  done
}
add_dlls "$STAGE/saftpt.exe" "$STAGE"
$HOST-strip --strip-unneeded "$STAGE"/*.dll

cp "$ROOT/LICENSE" "$ROOT/NOTICE" "$STAGE/"
sed "s/@VERSION@/$VERSION/" "$ROOT/scripts/windows/LEIA-ME.txt" | sed 's/$/\r/' >"$STAGE/LEIA-ME.txt"
MANWIDTH=80 LC_ALL=C.UTF-8 man --nh -l -E UTF-8 "$ROOT/packaging/saftpt.1" 2>/dev/null | col -bx |
  sed 's/$/\r/' >"$STAGE/saftpt.txt"
[ -s "$STAGE/saftpt.txt" ] || { log "a página de manual ficou vazia"; exit 1; }

mkdir -p "$ROOT/out"
ZIP=$ROOT/out/$NAME.zip
rm -f "$ZIP"
(cd "$TOP/stage" && TZ=UTC zip -qrX "$ZIP" "$NAME")
log "$(basename "$ZIP"): $(stat -c %s "$ZIP") bytes; total $(elapsed $SECONDS_START)"

# -- The window, with --gui --------------------------------------------------------

# saftpt-gui.exe over the cross-built qtbase, with the Qt DLLs and the
# Windows platform plugin, in a zip of its own.
gui_zip() {
  local build=$TOP/saftpt-gui start=$SECONDS name=saftpt-gui-$VERSION-windows-x64 qt stage zip
  qt=$DEPS/qtbase-$QT_VERSION
  stage=$TOP/stage/$name
  rm -f "$TOP/logs/saftpt-gui.log"
  quiet saftpt-gui "${CROSS_CMAKE[@]}" -S "$ROOT" -B "$build" \
    -DSAFTPT_WINDOWS_PREFIXES="$prefix_list" -DCMAKE_PREFIX_PATH="$prefix_list" \
    -DOPENSSL_ROOT_DIR="$DEPS/openssl-$OPENSSL_VERSION" -DOPENSSL_USE_STATIC_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DSAFTPT_BUILD_GUI=ON -DSAFTPT_BUILD_TESTS=OFF -DSAFTPT_BUILD_BENCH=OFF
  quiet saftpt-gui "${NICE[@]}" cmake --build "$build" -j"$JOBS" --target saftpt-gui
  log "saftpt-gui.exe: $(elapsed $start)"
  mkdir -p "$stage/platforms"
  cp "$build/src/gui/saftpt-gui.exe" "$TOP/install/share/saftpt/"* "$ROOT/LICENSE" "$ROOT/NOTICE" "$stage/"
  cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
  add_dlls "$stage/saftpt-gui.exe" "$stage"
  add_dlls "$stage/platforms/qwindows.dll" "$stage"
  $HOST-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/platforms/*.dll
  zip=$ROOT/out/$name.zip
  rm -f "$zip"
  (cd "$TOP/stage" && TZ=UTC zip -qrX "$zip" "$name")
  log "$(basename "$zip"): $(stat -c %s "$zip") bytes"
}
[ $GUI = 1 ] && gui_zip
echo "$ZIP"
