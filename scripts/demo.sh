#!/usr/bin/env bash
# The demo, from a fresh Debian 12 machine: installs what is missing, builds,
# starts a private MariaDB with the demo law office's billing database
# (db/schema.sql + db/demo.sql), exports one fiscal year as a SAF-T (PT) file
# and stops the server again. Exits non-zero when any step fails.
#
#   scripts/demo.sh                    # 2025, schema 1.04_01 -> out/saft-demo-2025.xml
#   DEMO_YEAR=2026 scripts/demo.sh     # another year (the demo holds 2025 and 2026)
#   DEMO_SCHEMA=1.03_01 scripts/demo.sh
#   DEMO_VALIDATE=0 scripts/demo.sh    # skip the check of the file
#   BUILD_DIR=build-x DEMO_TARGET=saftpt scripts/demo.sh   # build folder, target
#
# The export checks its file against the tax authority's rules, with the
# schema beside the program (data/SAFTPT1.04_01.xsd) or SAFTPT_XSD when set.
set -euo pipefail
cd "$(dirname "$0")/.."

YEAR=${DEMO_YEAR:-2025}
SCHEMA=${DEMO_SCHEMA:-1.04_01}
VALIDATE=${DEMO_VALIDATE:-auto}
XSD=${SAFTPT_XSD:-}
BUILD=${BUILD_DIR:-build}
OUT=out/saft-demo-$YEAR.xml
[ "$SCHEMA" = 1.04_01 ] || OUT=out/saft-demo-$YEAR-$SCHEMA.xml

scripts/install-deps.sh

GEN=()
command -v ninja >/dev/null && [ ! -f "$BUILD/CMakeCache.txt" ] && GEN=(-G Ninja)
cmake -S . -B "$BUILD" "${GEN[@]}" >/dev/null
# DEMO_TARGET=saftpt builds only the command line (the demo needs no more).
cmake --build "$BUILD" ${DEMO_TARGET:+--target "$DEMO_TARGET"}

SAFTPT=$BUILD/src/saftpt
[ -x "$SAFTPT" ] || SAFTPT=$BUILD/saftpt

work=$(mktemp -d "${TMPDIR:-/tmp}/saftpt-demo.XXXXXX")
SAFTPT_TEST_DB_DIR=""
cleanup() {
  if [ -n "$SAFTPT_TEST_DB_DIR" ]; then scripts/test-db.sh stop "$SAFTPT_TEST_DB_DIR"; fi
  rm -rf "$work"
}
trap cleanup EXIT
db_env=$(scripts/test-db.sh start)
eval "$db_env"

echo "A criar a base de dados de demonstração saftpt_demo..."
scripts/test-db.sh demo saftpt_demo

printf '%s\n' "$SAFTPT_TEST_DB_PASSWORD" |
  "$SAFTPT" settings --settings "$work/lexora.ini" --server "$SAFTPT_TEST_DB_HOST" \
    --port "$SAFTPT_TEST_DB_PORT" --database saftpt_demo --user "$SAFTPT_TEST_DB_USER" \
    --tls preferir

check=()
if [ "$VALIDATE" = 0 ]; then
  check=(--no-validate)
elif [ -n "$XSD" ]; then
  check=(--xsd "$XSD")
fi

mkdir -p out
status=0
"$SAFTPT" export --settings "$work/lexora.ini" --year "$YEAR" --schema "$SCHEMA" \
  --receipts --output "$OUT" --force --no-input "${check[@]}" || status=$?
if [ "$status" = 3 ]; then
  echo "Ficheiro gravado em $(pwd)/$OUT, mas com os problemas acima." >&2
  exit 3
elif [ "$status" != 0 ]; then
  echo "A exportação de demonstração falhou." >&2
  exit 1
fi
echo
echo "Ficheiro SAF-T (PT) de demonstração: $(pwd)/$OUT"
