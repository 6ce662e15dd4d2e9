# Shared by scripts/test, scripts/run and scripts/soak. Source it; do not run it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${CALLWARDEN_BUILD:-$ROOT/build}
JOBS=${JOBS:-2}

PACKAGES=(
  cmake g++ clang clang-tidy clang-format cppcheck googletest libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb imagemagick xdotool
  openssl libssl-dev libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev sqlite3 publicsuffix
  iproute2 util-linux procps python3 postgresql libpq-dev haproxy libcurl4-openssl-dev
  fortunes
  kannel kannel-extras
)
# The web layer's browser journey (scripts/test web) needs these too.
WEB_PACKAGES=(chromium python3-aiosmtpd nodejs sqlite3)

log() { printf '\n==> %s\n' "$*"; }

ensure_packages() { # [EXTRA_PACKAGE...]: also these, beyond PACKAGES
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_native() { # with sanitizers; also builds the service
  log "native build (ASan + UBSan)"
  cmake -S "$ROOT" -B "$BUILD/native" -DCALLWARDEN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$BUILD/native" -j"$JOBS"
}

build_service() { # a plain build of olvex-service, for running the program against
  cmake -S "$ROOT" -B "$BUILD/service" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD/service" -j"$JOBS" --target olvex-service
  export OLVEX_SERVICE_BIN="$BUILD/service/server/olvex-service"
}

build_windows() {
  log "Windows build (MinGW-w64)"
  cmake -S "$ROOT" -B "$BUILD/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD/win" -j"$JOBS"
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID is set.
start_xvfb() { # [WxHxD]
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "${1:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

# A private Wine prefix for this run; WINEPREFIX is exported.
make_prefix() { # dir
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
}

stop_wine() { [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true; }

# A throwaway PostgreSQL cluster for the service's tests and benchmarks: made in a fresh
# folder, listening on 127.0.0.1 only, trusted without passwords, gone after stop_postgres.
# Exports OLVEX_TEST_POSTGRES_URL (its database "postgres", user "olvex").
start_postgres() {
  local bin port
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -x "$bin/initdb" ] || { echo "PostgreSQL's initdb not found" >&2; return 1; }
  # A folder of its own under /tmp: the postgres user cannot enter a root-only one.
  PG_DIR=$(mktemp -d /tmp/olvex-postgres.XXXXXX) && chown postgres "$PG_DIR" || return 1
  # initdb refuses to run as root; the package's postgres user can.
  runuser -u postgres -- "$bin/initdb" -D "$PG_DIR/data" -A trust -U olvex > "$PG_DIR/initdb.log" 2>&1 ||
    { cat "$PG_DIR/initdb.log" >&2; return 1; }
  for port in $(seq 55432 55499); do
    ss -ltn 2>/dev/null | grep -q ":$port " || break
  done
  runuser -u postgres -- "$bin/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/log" -w start \
    -o "-k $PG_DIR -c listen_addresses=127.0.0.1 -p $port -c max_connections=300" >/dev/null ||
    { cat "$PG_DIR/log" >&2; return 1; }
  PG_BIN=$bin
  export OLVEX_TEST_POSTGRES_URL="postgresql://olvex@127.0.0.1:$port/postgres"
}

stop_postgres() {
  [ -n "${PG_DIR:-}" ] && [ -d "$PG_DIR/data" ] || return 0
  runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m fast -w stop >/dev/null 2>&1
  rm -rf "$PG_DIR"
  PG_DIR=
}
