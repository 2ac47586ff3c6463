#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from the build folder
# given, checked with lintian, unpacked with dpkg -x into a temporary root and
# run from there: --version, `saftpt settings` into a temporary
# XDG_CONFIG_HOME, an export of the demo office checked with the installed
# schema, the window's --version offscreen; then the desktop entry, the manual
# pages and the bash completion. Needs the test MariaDB (scripts/test-db.sh).
#
#   tests/package/package_test.sh BUILD_DIR
set -euo pipefail
# (grep -q reads here-strings, not pipes: under pipefail a grep -q that stops
# reading early would fail the writer.)

build=$(cd "${1:?uso: package_test.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for v in HOST PORT USER PASSWORD; do
  var=SAFTPT_TEST_DB_$v
  [ -n "${!var:-}" ] || { echo "FALHOU: $var não definida (scripts/test-db.sh start)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/saftpt-package.XXXXXX")
database="saftpt_pkg_$$"
sql() { mariadb --defaults-file="$work/client.cnf" "$@"; }
cleanup() {
  sql -e "DROP DATABASE IF EXISTS $database" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FALHOU: $*" >&2; exit 1; }

# --- the package --------------------------------------------------------
# Its maintainer is whoever builds it: nobody named, no package.
if env -u DEBFULLNAME -u DEBEMAIL cpack --config "$build/CPackConfig.cmake" -B "$work/anon" \
  >"$work/cpack.log" 2>&1; then
  fail "cpack fez um pacote sem responsável"
fi
grep -q "defina DEBFULLNAME e DEBEMAIL" "$work/cpack.log" || { cat "$work/cpack.log" >&2; fail "cpack sem responsável"; }
export DEBFULLNAME="Teste do Pacote" DEBEMAIL="pacote@example.org"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=("$work"/out/saftpt_*_amd64.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "nenhum saftpt_<versão>_amd64.deb em $work/out"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "saftpt_${version}_amd64.deb" ] || fail "nome do pacote $(basename "$deb")"

echo "== lintian ==" >&2
lintian --fail-on error,warning "$deb" >&2 || fail "lintian encontrou erros ou avisos"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Teste do Pacote <pacote@example.org>" ] ||
  fail "Maintainer: $(dpkg-deb -f "$deb" Maintainer)"

depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *-dev*) fail "depende de pacotes -dev: $depends" ;; esac
for lib in libmariadb3 libxml2 libssl3 libqt6widgets6; do
  case "$depends" in *"$lib"*) ;; *) fail "falta $lib nas dependências: $depends" ;; esac
done
case "$(dpkg-deb -f "$deb" Recommends)" in
  *qt6-translations-l10n*) ;; *) fail "não recomenda qt6-translations-l10n (a janela em português)" ;;
esac

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/saftpt /usr/bin/saftpt-gui \
  /usr/share/applications/saftpt.desktop \
  /usr/share/icons/hicolor/scalable/apps/saftpt.svg \
  /usr/share/icons/hicolor/256x256/apps/saftpt.png \
  /usr/share/saftpt/SAFTPT1.04_01.xsd /usr/share/saftpt/motivos-isencao.csv \
  /usr/share/man/man1/saftpt.1.gz /usr/share/man/man1/saftpt-gui.1.gz \
  /usr/share/bash-completion/completions/saftpt \
  /usr/share/doc/saftpt/README.md /usr/share/doc/saftpt/copyright; do
  grep -qx "$path" "$work/contents" || fail "o pacote não tem $path"
done
if grep -q '^/usr/bin/.*\.\(xsd\|csv\)$' "$work/contents"; then fail "dados em /usr/bin"; fi

root="$work/root"
dpkg -x "$deb" "$root"
bin="$root/usr/bin"
for exe in saftpt saftpt-gui; do
  grep -q ", stripped" <<<"$(file "$bin/$exe")" || fail "$exe não está stripped"
done
grep -q -- "-- Teste do Pacote <pacote@example.org>  " <<<"$(zcat "$root/usr/share/doc/saftpt/changelog.gz")" ||
  fail "o changelog não é assinado por quem fez o pacote"
grep -qx "License: Apache-2.0" "$root/usr/share/doc/saftpt/copyright" || fail "copyright sem Apache-2.0"
grep -q "PNG image data, 256 x 256" <<<"$(file "$root/usr/share/icons/hicolor/256x256/apps/saftpt.png")" ||
  fail "o ícone PNG não tem 256 px"

# --- the programs, run from the unpacked root ---------------------------
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$HOME"

"$bin/saftpt" --version >"$work/version"
[ "$(head -1 "$work/version")" = "saftpt $version" ] || fail "saftpt --version: $(cat "$work/version")"
grep -q "ProductCompanyTaxID" "$work/version" || fail "--version sem ProductCompanyTaxID"
QT_QPA_PLATFORM=offscreen "$bin/saftpt-gui" --version >"$work/version-gui"
[ "$(head -1 "$work/version-gui")" = "saftpt-gui $version" ] ||
  fail "saftpt-gui --version: $(cat "$work/version-gui")"

cat >"$work/client.cnf" <<CNF
[client]
host=$SAFTPT_TEST_DB_HOST
port=$SAFTPT_TEST_DB_PORT
user=$SAFTPT_TEST_DB_USER
password=$SAFTPT_TEST_DB_PASSWORD
CNF
chmod 600 "$work/client.cnf"
"$source_dir/scripts/test-db.sh" demo "$database"

# Without a file named and none beside the program, the user's folder.
ini="$XDG_CONFIG_HOME/saftpt/lexora.ini"
printf '%s\n' "$SAFTPT_TEST_DB_PASSWORD" |
  "$bin/saftpt" settings --server "$SAFTPT_TEST_DB_HOST" --port "$SAFTPT_TEST_DB_PORT" \
    --database "$database" --user "$SAFTPT_TEST_DB_USER" --tls preferir >"$work/settings.out"
grep -qF "$ini" "$work/settings.out" || fail "saftpt settings: $(cat "$work/settings.out")"
[ "$(stat -c %a "$ini")" = 600 ] || fail "$ini com modo $(stat -c %a "$ini")"
[ ! -e "$bin/lexora.ini" ] || fail "lexora.ini escrito junto ao programa"

# The table of exemption reasons is found in usr/share/saftpt, as the schema.
"$bin/saftpt" reasons --date 2025-09-01 >"$work/reasons.out" || fail "saftpt reasons: $(cat "$work/reasons.out")"
[ "$(head -1 "$work/reasons.out")" = "Tabela: $root/usr/share/saftpt/motivos-isencao.csv" ] ||
  fail "saftpt reasons: $(head -1 "$work/reasons.out")"
grep -q "^M44 " "$work/reasons.out" || fail "saftpt reasons sem M44"

# The export's default check finds the schema in usr/share/saftpt.
status=0
"$bin/saftpt" export --year 2025 --receipts --no-input -o "$work/saft.xml" \
  >"$work/export.out" 2>"$work/export.err" || status=$?
[ "$status" = 0 ] || { cat "$work/export.out" "$work/export.err" >&2; fail "export saiu com $status"; }
grep -q "O ficheiro cumpre as regras da AT." "$work/export.out" ||
  { cat "$work/export.out" >&2; fail "o export não verificou o ficheiro"; }

# --- desktop entry, manual pages, completion ----------------------------
desktop-file-validate "$root/usr/share/applications/saftpt.desktop" || fail "desktop-file-validate"
grep -qx "Icon=saftpt" "$root/usr/share/applications/saftpt.desktop" || fail "Icon= não é saftpt"

for page in saftpt saftpt-gui; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" \
    >"$work/$page.txt" 2>"$work/$page.warn" || fail "man $page"
  [ ! -s "$work/$page.warn" ] || { cat "$work/$page.warn" >&2; fail "avisos do groff em $page.1"; }
done
zcat "$root/usr/share/man/man1/saftpt.1.gz" | sed 's/\\-/-/g' >"$work/saftpt.1"

# Every subcommand and option of the program is in the manual page and the
# completion.
completion="$root/usr/share/bash-completion/completions/saftpt"
commands=$("$bin/saftpt" --help | awk '/^Comandos:/{on=1; next} on && /^  [a-z]/{print $1}')
[ -n "$commands" ] || fail "saftpt --help sem comandos"
for cmd in $commands; do
  grep -q "saftpt $cmd" "$work/saftpt.1" || fail "saftpt.1 não fala de $cmd"
  grep -qw -- "$cmd" "$completion" || fail "a completação não tem $cmd"
  for opt in $("$bin/saftpt" "$cmd" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
    grep -q -- "$opt\b" "$work/saftpt.1" || fail "saftpt.1 não tem $opt de $cmd"
  done
done

# The completion offers each command's options.
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _saftpt saftpt "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}"
}
first=$(complete_words saftpt "")
for cmd in $commands; do
  grep -qx "$cmd" <<<"$first" || fail "a completação não propõe $cmd (propõe: $first)"
  offered=$(complete_words saftpt "$cmd" --)
  for opt in $("$bin/saftpt" "$cmd" --help | grep -oE -- '(^|[ ,])--[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
    grep -qx -- "$opt" <<<"$offered" || fail "a completação de $cmd não propõe $opt"
  done
done
[ "$(complete_words saftpt export --schema "")" = "$(printf '1.04_01\n1.03_01')" ] ||
  fail "a completação de --schema"

echo "pacote $(basename "$deb") verificado" >&2
