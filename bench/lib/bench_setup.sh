# Sourced by the nginx benchmarks:  . "$here/lib/bench_setup.sh" NAME [BUILD_DIR]
# Sets root, build, cli and publisher; makes the work folder $work (with
# nginx/ and www/), removed at exit after nginx is stopped and after the
# script's own `bench_on_exit` command, when it set one.
bench_name=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${2:-$root/build}" && pwd)
cli="$build/src/cli/launcher-cli"
publisher="$build/src/publish/launcher-publish"

# Ends the benchmark with status 2 unless every named tool is at hand.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$bench_name: $tool not found" >&2; exit 2; }
    done
}

work=$(mktemp -d)
. "$root/scripts/lib/nginx.sh"
bench_on_exit=""
bench_cleanup() {
    if [ -n "$bench_on_exit" ]; then eval "$bench_on_exit" || true; fi
    stop_nginx
    rm -rf "$work"
}
trap bench_cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/nginx" "$work/www"
