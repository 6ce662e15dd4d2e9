# A throwaway SMS gateway for tests: Debian's Kannel (bearerbox and smsbox) with its fake SMSC
# (kannel-extras), on free ports of 127.0.0.1, in a folder of its own. Source it; do not run it,
# except as `kannel.sh start DIR`, `kannel.sh stop-smsbox DIR`, `kannel.sh start-smsbox DIR` and
# `kannel.sh stop DIR` (the service's tests call it so).
#
#   start_kannel DIR   writes DIR/kannel.conf, starts the three and exports
#                      KANNEL_SENDSMS_URL  the sendsms URL with user name and password
#                      KANNEL_TEXTS_FILE   the fake SMSC's log; each text it received is a line
#                                          "... Got message N: <FROM TO text WORDS>"
#                      KANNEL_DIR          DIR; DIR/kannel.env holds the same lines
#   stop_smsbox DIR / start_smsbox DIR    the gateway's HTTP side goes away and comes back
#   stop_kannel DIR    stops each process by its own pid
# Several runs at once each find their own ports: a port another run took first makes
# bearerbox or smsbox fail to start, and the start is tried again with others.

KANNEL_BIN=${KANNEL_BIN:-/usr/sbin}
KANNEL_FAKESMSC=${KANNEL_FAKESMSC:-/usr/lib/kannel/test/fakesmsc}

kannel_free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    ss -Htan "sport = :$port" 2>/dev/null | grep -q . || { echo "$port"; return 0; }
  done
  return 1
}

# Whether this process (not another run's) listens on the port.
kannel_listening() { # pid port
  ss -Hltnp "sport = :$2" 2>/dev/null | grep -q "pid=$1,"
}

kannel_wait_port() { # pid port: 0 once it listens there, 1 when it ended or gave up first
  for _ in $(seq 1 100); do
    kill -0 "$1" 2>/dev/null || return 1
    kannel_listening "$1" "$2" && return 0
    sleep 0.1
  done
  return 1
}

kannel_write_conf() { # dir admin smsbox smsc sendsms
  cat > "$1/kannel.conf" <<EOF
group = core
admin-port = $2
admin-password = admin-$RANDOM$RANDOM
smsbox-port = $3
box-allow-ip = "127.0.0.1"
log-file = "$1/bearerbox.log"
log-level = 1
dlr-storage = internal

group = smsc
smsc = fake
smsc-id = FAKE
port = $4
connect-allow-ip = 127.0.0.1

group = smsbox
bearerbox-host = 127.0.0.1
bearerbox-port = $3
sendsms-port = $5
log-file = "$1/smsbox.log"
log-level = 1

group = sendsms-user
username = olvex
password = $(cat "$1/password")
concatenation = true
max-messages = 3

group = sms-service
keyword = default
text = "No service"
EOF
}

# Started from a subshell, so that it is no job of the caller's shell (which would report its
# end), and in a session of its own; DIR/NAME.pid holds its pid. Its output goes to
# DIR/NAME.out, its standard error there too unless KANNEL_STDERR names another file.
kannel_spawn() { # dir name program [args...]
  local dir=$1 name=$2
  shift 2
  (
    setsid "$@" > "$dir/$name.out" 2> "${KANNEL_STDERR:-$dir/$name.out}" < /dev/null &
    echo $! > "$dir/$name.pid"
  )
}

kannel_pid() { # dir name
  cat "$1/$2.pid" 2>/dev/null || true
}

# A throwaway gateway keeps nothing worth a clean shutdown, which takes each box about two
# seconds: it is killed at once, by its own pid.
kannel_stop_one() { # dir name
  local pid
  pid=$(kannel_pid "$1" "$2")
  [ -n "$pid" ] || return 0
  kill -9 "$pid" 2>/dev/null || true
  # Gone, or a zombie that whoever adopted it has yet to reap.
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && break
    sleep 0.05
  done
  rm -f "$1/$2.pid"
}

start_smsbox() { # dir
  local dir=$1 port
  port=$(cat "$dir/sendsms.port")
  kannel_spawn "$dir" smsbox "$KANNEL_BIN/smsbox" "$dir/kannel.conf"
  kannel_wait_port "$(kannel_pid "$dir" smsbox)" "$port"
}

stop_smsbox() { kannel_stop_one "$1" smsbox; }

stop_kannel() { # dir
  local dir=${1:-${KANNEL_DIR:-}}
  [ -n "$dir" ] || return 0
  kannel_stop_one "$dir" smsbox
  kannel_stop_one "$dir" fakesmsc
  kannel_stop_one "$dir" bearerbox
}

start_kannel() { # dir
  local dir=$1 admin smsbox smsc sendsms
  [ -x "$KANNEL_BIN/bearerbox" ] && [ -x "$KANNEL_FAKESMSC" ] || {
    echo "start_kannel: needs Debian's kannel and kannel-extras" >&2
    return 1
  }
  mkdir -p "$dir"
  [ -s "$dir/password" ] || printf 'pw%s%s' "$RANDOM" "$RANDOM" > "$dir/password"
  for _ in $(seq 1 8); do
    stop_kannel "$dir"
    admin=$(kannel_free_port) && smsbox=$(kannel_free_port) && smsc=$(kannel_free_port) &&
      sendsms=$(kannel_free_port) || continue
    echo "$sendsms" > "$dir/sendsms.port"
    kannel_write_conf "$dir" "$admin" "$smsbox" "$smsc" "$sendsms"
    kannel_spawn "$dir" bearerbox "$KANNEL_BIN/bearerbox" "$dir/kannel.conf"
    kannel_wait_port "$(kannel_pid "$dir" bearerbox)" "$smsbox" || continue
    kannel_wait_port "$(kannel_pid "$dir" bearerbox)" "$smsc" || continue
    : > "$dir/texts.out"
    # The fake SMSC sends nothing of its own (-m 0) and logs each text it receives to its
    # standard error, unbuffered.
    KANNEL_STDERR="$dir/texts.out" kannel_spawn "$dir" fakesmsc "$KANNEL_FAKESMSC" -H 127.0.0.1 \
      -r "$smsc" -i 0.1 -m 0 "447700900000 447700900001 text x"
    start_smsbox "$dir" || continue
    export KANNEL_DIR=$dir
    export KANNEL_SENDSMS_URL="http://127.0.0.1:$sendsms/cgi-bin/sendsms?username=olvex&password=$(cat "$dir/password")"
    export KANNEL_TEXTS_FILE=$dir/texts.out
    printf 'KANNEL_SENDSMS_URL=%s\nKANNEL_TEXTS_FILE=%s\n' "$KANNEL_SENDSMS_URL" \
      "$KANNEL_TEXTS_FILE" > "$dir/kannel.env"
    return 0
  done
  echo "start_kannel: Kannel did not start (see $dir/*.log)" >&2
  stop_kannel "$dir"
  return 1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -u
  case "${1:-}" in
  start) start_kannel "$2" >/dev/null ;;
  stop) stop_kannel "$2" ;;
  stop-smsbox) stop_smsbox "$2" ;;
  start-smsbox) start_smsbox "$2" ;;
  *) echo "usage: kannel.sh start|stop|stop-smsbox|start-smsbox DIR" >&2; exit 2 ;;
  esac
fi
