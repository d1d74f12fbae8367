# The sample game and the launcher configuration that points at its update
# server, for the demo and the window test. Source this file, then:
#   make_sample_game DIR FILES_PER_FOLDER BIG_MIB
#       writes a game into DIR: FILES_PER_FOLDER small random files in each of
#       five nested data folders, one BIG_MIB MiB file, and the "system" client
#       folder whose jux.exe records how it was started (in started.txt).
#   write_sample_config OUT UPDATE_URL NEWS_URL [INSTANCE]
#       writes the default configuration (assets/config.txt) with UPDATE_URL
#       as its only update server, no ping, NEWS_URL as every language's news
#       page and, when given, INSTANCE as the instance title.
# sample_game_assets must name the project's assets folder first.

make_sample_game() {
    local dir=$1 per_folder=$2 big_mib=$3 set i
    mkdir -p "$dir/system"
    for set in maps sounds textures/world textures/ui models/characters; do
        mkdir -p "$dir/data/$set"
        for i in $(seq 1 "$per_folder"); do
            head -c $(((i * 997) % 20000 + 100)) /dev/urandom >"$dir/data/$set/item$i.dat"
        done
    done
    head -c $((big_mib * 1024 * 1024)) /dev/urandom >"$dir/data/world.pak"
    cat >"$dir/system/jux.exe" <<'CLIENT'
#!/bin/sh
# The sample game client: records how it was started.
printf 'jux.exe started in %s with %s argument(s): %s\n' "$PWD" "$#" "$*" >started.txt
CLIENT
    printf '[client]\r\nserver=127.0.0.1\r\n' >"$dir/system/jux.ini"
}

write_sample_config() {
    local out=$1 update_url=$2 news_url=$3 instance=${4:-}
    local edits=(-e "/^url=/d" -e "s|^\[updateservers\]|[updateservers]\nurl=$update_url|"
        -e "s|^useping=.*|useping=false|" -e "s|^0=.*|0=$news_url|")
    if [ -n "$instance" ]; then
        edits+=(-e "s|^instance=.*|instance=$instance|")
    fi
    sed "${edits[@]}" "$sample_game_assets/config.txt" >"$out"
}
