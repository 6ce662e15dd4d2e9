# Shared by scripts/test, scripts/run and scripts/soak. Source it; do not run it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${CALLWARDEN_BUILD:-$ROOT/build}
JOBS=${JOBS:-2}

PACKAGES=(
  cmake g++ clang clang-tidy clang-format cppcheck googletest libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb imagemagick xdotool
  openssl libssl-dev libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev sqlite3 publicsuffix
  iproute2 util-linux procps python3 libcurl4-openssl-dev
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
