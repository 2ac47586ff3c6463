#!/usr/bin/env bash
# A private, throwaway MariaDB server for the tests and the demo.
#
#   eval "$(scripts/test-db.sh start)"   # prints the SAFTPT_TEST_DB_* variables
#   scripts/test-db.sh start --tls [OPTION...]
#                                        # the same, but a server that takes only TLS
#                                        # connections, with a throwaway CA of its own
#                                        # (SAFTPT_TEST_DB_CA names its certificate);
#                                        # OPTIONs go to the server after the TLS ones
#   scripts/test-db.sh demo DATABASE     # creates DATABASE on it with the demo office
#   scripts/test-db.sh stop              # stops the server named by SAFTPT_TEST_DB_DIR
#
# The server lives in a temporary folder, listens on 127.0.0.1 at a free port
# with its own socket, and has a user with a password. It never touches the
# machine's own MariaDB service.
set -euo pipefail

cmd=${1:-}
case "$cmd" in
start)
  tls=0
  extra_opt=()
  case "${2:-}" in
  "") ;;
  --tls) tls=1; extra_opt=("${@:3}") ;;
  *) echo "usage: $0 start [--tls [OPTION...]]" >&2; exit 2 ;;
  esac
  MARIADBD=$(command -v mariadbd || command -v mysqld || ls /usr/sbin/mariadbd 2>/dev/null || true)
  INSTALL_DB=$(command -v mariadb-install-db || command -v mysql_install_db || true)
  # The root client goes through the socket, where TLS adds nothing
  # (--skip-ssl): a server may offer a TLS the client refuses.
  CLIENT=$(command -v mariadb || command -v mysql || true)
  if [ -z "$MARIADBD" ] || [ -z "$INSTALL_DB" ] || [ -z "$CLIENT" ]; then
    echo "test-db.sh: mariadb-server is not installed (scripts/install-deps.sh)" >&2
    exit 1
  fi
  dir=$(mktemp -d "${TMPDIR:-/tmp}/saftpt-db.XXXXXX")
  chmod 755 "$dir"
  # Temporary tables in a folder of its own: servers started side by side
  # must not share (and remove) each other's files in /tmp.
  mkdir -p "$dir/tmp"
  user_opt=()
  if [ "$(id -u)" -eq 0 ]; then user_opt=(--user=root); fi
  "$INSTALL_DB" --no-defaults --datadir="$dir/data" --tmpdir="$dir/tmp" "${user_opt[@]}" \
      --auth-root-authentication-method=socket --skip-test-db >"$dir/install.log" 2>&1 || {
    cat "$dir/install.log" >&2; exit 1; }

  # A free port: one nobody answers on, below the range the system hands out
  # to outgoing connections (the tests' own clients may hold any of those).
  ephemeral=$(cut -f1 /proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || echo 32768)
  span=$(( ephemeral > 22000 ? ephemeral - 20000 : 20000 ))
  port=""
  for _ in $(seq 1 50); do
    p=$(( 20000 + RANDOM % span ))
    if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then port=$p; break; fi
  done
  [ -n "$port" ] || { echo "test-db.sh: no free port" >&2; exit 1; }

  # A CA made for this server alone and a certificate for 127.0.0.1 signed by
  # it; the server then refuses every TCP connection without TLS.
  tls_opt=()
  if [ "$tls" = 1 ]; then
    mkdir -p "$dir/tls"
    (
      cd "$dir/tls"
      openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=saftpt test CA" \
          -keyout ca-key.pem -out ca.pem
      openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" \
          -keyout server-key.pem -out server.csr
      printf 'subjectAltName=IP:127.0.0.1\n' >server.ext
      openssl x509 -req -in server.csr -CA ca.pem -CAkey ca-key.pem -CAcreateserial \
          -days 2 -extfile server.ext -out server-cert.pem
    ) >"$dir/tls.log" 2>&1 || { cat "$dir/tls.log" >&2; exit 1; }
    tls_opt=(--ssl-ca="$dir/tls/ca.pem" --ssl-cert="$dir/tls/server-cert.pem"
             --ssl-key="$dir/tls/server-key.pem" --require-secure-transport=ON)
  fi

  "$MARIADBD" --no-defaults --datadir="$dir/data" --tmpdir="$dir/tmp" "${user_opt[@]}" \
      --socket="$dir/mysqld.sock" --port="$port" --bind-address=127.0.0.1 \
      --pid-file="$dir/mysqld.pid" --log-error="$dir/error.log" \
      --skip-log-bin --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 \
      --innodb-buffer-pool-size=256M --max-allowed-packet=256M \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci "${tls_opt[@]}" \
      "${extra_opt[@]}" \
      >/dev/null 2>&1 &
  for _ in $(seq 1 120); do
    [ -S "$dir/mysqld.sock" ] && "$CLIENT" --no-defaults --skip-ssl -uroot --socket="$dir/mysqld.sock" \
        -e "select 1" >/dev/null 2>&1 && break
    sleep 0.25
  done
  if ! "$CLIENT" --no-defaults --skip-ssl -uroot --socket="$dir/mysqld.sock" -e "select 1" >/dev/null 2>&1; then
    echo "test-db.sh: the server did not start" >&2
    cat "$dir/error.log" >&2 || true
    "$0" stop "$dir" >&2  # nor is it left running
    exit 1
  fi
  password="saftpt-$RANDOM$RANDOM"
  "$CLIENT" --no-defaults --skip-ssl -uroot --socket="$dir/mysqld.sock" <<SQL
CREATE USER 'saftpt'@'127.0.0.1' IDENTIFIED BY '$password';
CREATE USER 'saftpt'@'localhost' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO 'saftpt'@'127.0.0.1' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO 'saftpt'@'localhost' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
  cat >"$dir/env" <<ENV
export SAFTPT_TEST_DB_DIR=$dir
export SAFTPT_TEST_DB_HOST=127.0.0.1
export SAFTPT_TEST_DB_PORT=$port
export SAFTPT_TEST_DB_USER=saftpt
export SAFTPT_TEST_DB_PASSWORD=$password
export SAFTPT_TEST_DB_SOCKET=$dir/mysqld.sock
ENV
  if [ "$tls" = 1 ]; then echo "export SAFTPT_TEST_DB_CA=$dir/tls/ca.pem" >>"$dir/env"; fi
  cat "$dir/env"
  ;;
demo)
  # A new database holding the demo office, as root through the server's own
  # socket (no credentials on any command line).
  db=${2:?usage: $0 demo DATABASE}
  dir=${SAFTPT_TEST_DB_DIR:?no test server: eval \"\$($0 start)\"}
  CLIENT=$(command -v mariadb || command -v mysql)
  root=("$CLIENT" --no-defaults --skip-ssl -uroot --socket="$dir/mysqld.sock")
  src=$(cd "$(dirname "$0")/.." && pwd)
  "${root[@]}" -e "CREATE DATABASE \`$db\` CHARACTER SET latin1"
  cat "$src/db/schema.sql" "$src/db/demo.sql" | "${root[@]}" "$db"
  ;;
stop)
  dir=${2:-${SAFTPT_TEST_DB_DIR:-}}
  [ -n "$dir" ] && [ -d "$dir" ] || { echo "test-db.sh: no test server to stop" >&2; exit 0; }
  case "$dir" in */saftpt-db.*) ;; *) echo "test-db.sh: refusing to remove $dir" >&2; exit 1;; esac
  if [ -f "$dir/mysqld.pid" ]; then
    pid=$(cat "$dir/mysqld.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 120); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start [--tls [OPTION...]]|stop [dir]|demo DATABASE" >&2
  exit 2
  ;;
esac
