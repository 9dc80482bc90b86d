# Sourced by the scripts: Wine with a prefix of its own per build folder.

palvex_wineserver() {
    local candidate
    for candidate in "$(command -v wineserver || true)" /usr/lib/wine/wineserver \
        /usr/lib/wine/wineserver64 /usr/lib/wine64/wineserver; do
        if [[ -n $candidate && -x $candidate ]]; then
            "$candidate" "$@"
            return
        fi
    done
    echo "wineserver not found" >&2
    return 1
}

# palvex_wine_env BUILD_DIR: exports the quiet, fast environment for that prefix.
palvex_wine_env() {
    local build_dir
    build_dir=$(mkdir -p "$1" && cd "$1" && pwd)
    export WINEPREFIX=${PALVEX_WINEPREFIX:-$build_dir/wineprefix}
    export WINEDEBUG=${PALVEX_WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# palvex_wine_prefix BUILD_DIR: creates the prefix on first use. The lock keeps
# two tests started together by ctest -j from booting it twice.
palvex_wine_prefix() {
    palvex_wine_env "$1"
    mkdir -p "$1"
    (
        flock 9
        if [[ ! -f $WINEPREFIX/.palvex-ready ]]; then
            rm -rf "$WINEPREFIX"
            # Explicit checks: callers may run this where errexit is off.
            wine wineboot -i >/dev/null 2>&1 </dev/null || exit 1
            touch "$WINEPREFIX/.palvex-ready" || exit 1
        fi
    ) 9>"$1/.wineprefix.lock" || { echo "wine prefix $WINEPREFIX could not be made" >&2; return 1; }
    # Whoever starts the server hands it their stdout and stderr, and it dumps
    # its object table there on exit and keeps the pipe open until then. Start
    # it here, detached, unless one is already running (that start fails).
    palvex_wineserver -p5 </dev/null >/dev/null 2>&1 || true
}
