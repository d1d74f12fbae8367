# Serving a folder with nginx on loopback, for the demo and the benchmarks.
# Source this file, then:
#   start_nginx ROOT PREFIX [DIRECTIVES]
#                             serves ROOT; PREFIX is a folder for nginx's own
#                             files. DIRECTIVES go into the server block as
#                             they are (a rate limit, a location for another
#                             folder). Sets nginx_port and nginx_pid.
#   stop_nginx                ends it (safe to call when none runs).
# nginx's workers run as nobody: ROOT and every folder above it must be
# readable by others.

nginx_pid=""
nginx_port=""

start_nginx() {
    local root=$1 prefix=$2 directives=${3:-}
    mkdir -p "$prefix"
    nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    cat >"$prefix/nginx.conf" <<CONF
daemon off;
worker_processes 2;
pid $prefix/nginx.pid;
error_log $prefix/error.log;
events { worker_connections 256; }
http {
    access_log off;
    sendfile on;
    default_type application/octet-stream;
    types {
        text/html html htm;
        text/css css;
        image/png png;
        image/svg+xml svg;
    }
    client_body_temp_path $prefix/client_body;
    proxy_temp_path $prefix/proxy;
    fastcgi_temp_path $prefix/fastcgi;
    uwsgi_temp_path $prefix/uwsgi;
    scgi_temp_path $prefix/scgi;
    server {
        listen 127.0.0.1:$nginx_port;
        root $root;
        $directives
    }
}
CONF
    nginx -c "$prefix/nginx.conf" -p "$prefix" &
    nginx_pid=$!
    for _ in $(seq 1 100); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $nginx_port), 0.1)" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "nginx did not come up:" >&2
    cat "$prefix/error.log" >&2
    return 1
}

stop_nginx() {
    if [ -n "$nginx_pid" ]; then
        kill "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
        nginx_pid=""
    fi
}
