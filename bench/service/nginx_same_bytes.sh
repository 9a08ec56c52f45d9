# Sourced by the service benchmarks: an unprivileged nginx serving the files
# of $1/html (the same bytes as the service's answers) on a free loopback port.
#   start_nginx DIR   sets nginx_port, nginx_pid and nginx_base; waits for poll.txt
start_nginx() {
  local dir=$1
  mkdir -p "$dir/html" "$dir/logs" "$dir/tmp"
  nginx_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
  cat >"$dir/nginx.conf" <<CONF
worker_processes 2;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
worker_rlimit_nofile 16384;
events { worker_connections 8192; }
http {
  access_log off;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  keepalive_requests 10000;
  server {
    listen 127.0.0.1:$nginx_port;
    root $dir/html;
    default_type text/plain;
  }
}
CONF
  nginx -p "$dir" -c "$dir/nginx.conf" -g 'daemon off;' 2>"$dir/logs/stderr" &
  nginx_pid=$!
  for _ in $(seq 1 100); do
    curl -sf "http://127.0.0.1:$nginx_port/poll.txt" >/dev/null && break
    sleep 0.05
  done
  nginx_base="http://127.0.0.1:$nginx_port"
}
