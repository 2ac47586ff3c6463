#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need.
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang clang-format clang-tidy libclang-rt-14-dev
  libmariadb-dev mariadb-server mariadb-client
  libxml2-dev libxml2-utils libssl-dev openssl
  googletest libgtest-dev libgmock-dev
  libcli11-dev libsimpleini-dev libcsv-dev
  qt6-base-dev qt6-translations-l10n xdg-utils
  dpkg-dev file lintian desktop-file-utils librsvg2-bin man-db bash-completion
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 zip unzip
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "A instalar: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# The packaged MariaDB service is never used (tests start their own server);
# keep the package's scripts from trying to start it.
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
