#!/usr/bin/env bash
# A proxy that demands a login (tinyproxy with BasicAuth user/pass) in front
# of the simulator whose info file is given, for the WinINet tests.
#   proxy_fixture.sh start DIR SIM_INFO_DIR
#   proxy_fixture.sh stop DIR
# DIR/proxy.info: PORT of the proxy.
set -euo pipefail
action="$1" dir="$2"
if [[ "$action" == stop ]]; then
  [[ -f "$dir/pid" ]] && { kill "$(cat "$dir/pid")" 2> /dev/null || true; rm -f "$dir/pid"; }
  exit 0
fi
sim_port="$(sed -n 's/^PORT //p' "$3/sim.info")"
rm -rf "$dir"
mkdir -p "$dir"
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
cat > "$dir/tinyproxy.conf" <<CONF
Port $port
Listen 127.0.0.1
Timeout 30
MaxClients 10
Allow 127.0.0.1
BasicAuth user pass
ConnectPort $sim_port
LogLevel Critical
CONF
tinyproxy -d -c "$dir/tinyproxy.conf" > /dev/null 2>&1 &
echo $! > "$dir/pid"
for ((i = 0; i < 100; i++)); do
  (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null && break
  sleep 0.05
done
echo "PORT $port" > "$dir/proxy.info"
