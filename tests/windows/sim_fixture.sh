#!/usr/bin/env bash
# Starts or stops a provider simulator (the Linux build's) for the Windows
# tests, which reach it from Wine as https://localhost:PORT.
#   sim_fixture.sh start DIR SIM_BINARY GEN_BINARY [SCRIPT_FILE]
#   sim_fixture.sh stop DIR
# SIM_CUSTOMERS: the number of generated customers (5).
# DIR/sim.info then holds "PORT <n>" and "CA <file>" (Windows path of the
# CA, Z: is the root of the Linux file system in every Wine prefix).
set -euo pipefail
action="$1" dir="$2"
case "$action" in
  start)
    sim="$3" gen="$4" script="${5:-}"
    # A start over an earlier one (a fixture run again) stops that one first.
    [[ -f "$dir/pid" ]] && { kill "$(cat "$dir/pid")" 2> /dev/null || true; }
    rm -rf "$dir"
    mkdir -p "$dir/data"
    "$gen" --customers "${SIM_CUSTOMERS:-5}" --seed 7 --out "$dir/data" > /dev/null
    # SIM_CERT_DIR: certificates made beforehand, else the simulator's own.
    args=(--port 0 --data "$dir/data" --cert-dir "${SIM_CERT_DIR:-$dir/certs}" --log "$dir/requests.log")
    [[ -n "$script" ]] && args+=(--script "$script")
    "$sim" "${args[@]}" > "$dir/stdout" 2> "$dir/stderr" &
    echo $! > "$dir/pid"
    for ((i = 0; i < 100; i++)); do
      grep -q '^CA ' "$dir/stdout" 2> /dev/null && break
      kill -0 "$(cat "$dir/pid")" 2> /dev/null || { cat "$dir/stderr" >&2; exit 1; }
      sleep 0.1
    done
    port="$(sed -n 's/^PORT //p' "$dir/stdout")"
    ca="$(sed -n 's/^CA //p' "$dir/stdout")"
    [[ -n "$port" && -n "$ca" ]] || { echo "simulator did not start" >&2; exit 1; }
    printf 'PORT %s\nCA Z:%s\n' "$port" "${ca//\//\\}" > "$dir/sim.info"
    ;;
  stop)
    # A simulator that ended before its stop failed every test after it with
    # errors of their own; the stop says so, with what the simulator said.
    if [[ -f "$dir/pid" ]]; then
      pid="$(cat "$dir/pid")"
      rm -f "$dir/pid"
      if ! kill "$pid" 2> /dev/null; then
        echo "the simulator in $dir had ended before its stop:" >&2
        cat "$dir/stderr" >&2 2> /dev/null || true
        tail -n 5 "$dir/requests.log" >&2 2> /dev/null || true
        exit 1
      fi
    fi
    ;;
  *) echo "usage: $0 start|stop DIR ..." >&2; exit 2 ;;
esac
