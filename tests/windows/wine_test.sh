#!/usr/bin/env bash
# The Windows build as an office gets it: the zip unpacked and its saftpt.exe
# run under Wine (headless, its own prefix in build-windows/wine), against the
# test MariaDB and the demo office, each result set beside the Linux build's
# on the same input: the export (byte for byte, the creation date aside) and
# its own check, validate, summary --csv, check, settings with a password
# holding "€" and "é", a path with "ç" and "ã", a target that cannot be
# written. Needs the test MariaDB (scripts/test-db.sh).
#
#   tests/windows/wine_test.sh LINUX_BUILD_DIR WINDOWS_ZIP
set -euo pipefail

linux=$(cd "${1:?uso: wine_test.sh LINUX_BUILD_DIR WINDOWS_ZIP}" && pwd)/src/saftpt
zip=$(realpath "${2:?uso: wine_test.sh LINUX_BUILD_DIR WINDOWS_ZIP}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for v in HOST PORT USER PASSWORD DIR; do
  var=SAFTPT_TEST_DB_$v
  [ -n "${!var:-}" ] || { echo "FALHOU: $var não definida (scripts/test-db.sh start)" >&2; exit 1; }
done

WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=${WINEPREFIX:-$source_dir/build-windows/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d "${TMPDIR:-/tmp}/saftpt-wine.XXXXXX")
database="saftpt_wine_$$"
wine_user="saftpt_wine_$$"
root_sql() { mariadb --no-defaults -uroot --socket="$SAFTPT_TEST_DB_DIR/mysqld.sock" "$@"; }
cleanup() {
  root_sql -e "DROP DATABASE IF EXISTS $database; DROP USER IF EXISTS '$wine_user'@'%'" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FALHOU: $*" >&2; exit 1; }
ok() { echo "ok: $*" >&2; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
win() { "$WINE" "$work/zip/$name/saftpt.exe" "$@"; }

start=$SECONDS
mkdir -p "$WINEPREFIX"
[ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot --init >/dev/null 2>&1
"$(dirname "$WINE")/wineserver" -p60 2>/dev/null || true # kept up between runs of the stage

mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$zip")
name=$(basename "$zip" .zip)
for f in saftpt.exe SAFTPT1.04_01.xsd LEIA-ME.txt saftpt.txt LICENSE NOTICE; do
  [ -f "$work/zip/$name/$f" ] || fail "o zip não tem $f"
done
for f in "$source_dir"/data/*; do
  [ -f "$work/zip/$name/$(basename "$f")" ] || fail "o zip não tem $(basename "$f") de data/"
done
ok "zip: $(find "$work/zip/$name" -type f -printf '%f ' | tr ' ' '\n' | sort | tr '\n' ' ')"

"$source_dir/scripts/test-db.sh" demo "$database"
password='senha €é'
root_sql -e "CREATE USER '$wine_user'@'%' IDENTIFIED BY '$password';
             GRANT ALL ON \`$database\`.* TO '$wine_user'@'%'"

# --- settings: the same file from both builds, read back by each export ---------
settings() {  # program ini
  printf '%s\n' "$password" | "$1" settings --settings "$2" --server "$SAFTPT_TEST_DB_HOST" \
    --port "$SAFTPT_TEST_DB_PORT" --database "$database" --user "$wine_user" --tls preferir
}
settings "$linux" "$work/linux.ini" >/dev/null
settings win "$(winpath "$work/win.ini")" >"$work/settings.out" ||
  fail "settings saiu com $?: $(cat "$work/settings.out")"
cmp -s "$work/linux.ini" "$work/win.ini" || fail "settings: o ficheiro difere do de Linux"
ok "settings: palavra-passe com € e é gravada como em Linux"

# --- export: a folder and name with ç and ã ---------------------------------------
mkdir "$work/Exportação"
export_args=(--year 2025 --receipts --no-input)
"$linux" export --settings "$work/linux.ini" "${export_args[@]}" -o "$work/linux.xml" >/dev/null
status=0
win export --settings "$(winpath "$work/win.ini")" "${export_args[@]}" \
  -o "$(winpath "$work/Exportação/SAF-T março.xml")" >"$work/export.out" 2>"$work/export.err" ||
  status=$?
[ "$status" = 0 ] || { cat "$work/export.out" "$work/export.err" >&2; fail "export saiu com $status"; }
grep -q "O ficheiro cumpre as regras da AT." <"$work/export.out" ||
  { cat "$work/export.out" >&2; fail "export: sem \"O ficheiro cumpre as regras da AT.\""; }
ok "export: saída 0, \"O ficheiro cumpre as regras da AT.\""
winxml="$work/Exportação/SAF-T março.xml"
[ -f "$winxml" ] || fail "export: não há $winxml"
ok "export: gravado em Exportação/SAF-T março.xml"
undated() { LC_ALL=C sed 's|<DateCreated>[^<]*</DateCreated>|<DateCreated/>|' "$1"; }
cmp <(undated "$work/linux.xml") <(undated "$winxml") >/dev/null ||
  fail "export: o ficheiro difere do de Linux"
ok "export: igual byte a byte ao de Linux ($(stat -c %s "$winxml") bytes), data de criação à parte"

# --- validate, summary --csv, check: the same output and status as Linux ----------
same() {  # label, then the arguments for both (@FILE@ the exported file, @INI@ the settings)
  local label=$1 l=0 w=0 args
  shift
  args=("${@//@FILE@/$work/linux.xml}")
  "$linux" "${args[@]//@INI@/$work/linux.ini}" >"$work/l.out" 2>&1 || l=$?
  args=("${@//@FILE@/$(winpath "$work/linux.xml")}")
  win "${args[@]//@INI@/$(winpath "$work/win.ini")}" >"$work/w.out" 2>&1 || w=$?
  # Paths are named each system's way.
  sed -i "s|$(winpath "$work")|$work|g; s|\\\\|/|g" "$work/w.out"
  [ "$l" = "$w" ] || fail "$label: saída $w em Windows, $l em Linux"
  diff "$work/l.out" "$work/w.out" >&2 || fail "$label: o texto difere do de Linux"
  ok "$label: saída $w e texto iguais aos de Linux"
}
same validate validate @FILE@
same "summary --csv" summary @FILE@ --csv
same check check --settings @INI@ --from 2025-01-01 --to 2025-12-31

# --- a target that cannot be written: the message, no file -------------------------
mkdir -p "$work/alvo/pasta"
status=0
win export --settings "$(winpath "$work/win.ini")" "${export_args[@]}" --force \
  -o "$(winpath "$work/alvo/pasta")" >"$work/bad.out" 2>"$work/bad.err" || status=$?
lstatus=0
"$linux" export --settings "$work/linux.ini" "${export_args[@]}" --force -o "$work/alvo/pasta" \
  >/dev/null 2>&1 || lstatus=$?
if [ "$status" != "$lstatus" ] || [ "$status" = 0 ]; then
  fail "alvo impossível: saída $status (Linux $lstatus)"
fi
grep -q "Não foi possível gravar o ficheiro" <"$work/bad.err" ||
  { cat "$work/bad.out" "$work/bad.err" >&2; fail "alvo impossível: sem a mensagem"; }
[ "$(cd "$work/alvo" && find . | sort | tr '\n' ' ')" = ". ./pasta " ] ||
  fail "alvo impossível: ficaram ficheiros: $(cd "$work/alvo" && find .)"
ok "alvo impossível: saída $status, \"$(grep -o 'Não foi possível gravar o ficheiro.*' "$work/bad.err" | head -1)\", nenhum ficheiro"

echo "Wine: todas as verificações passaram em $((SECONDS - start)) s" >&2
