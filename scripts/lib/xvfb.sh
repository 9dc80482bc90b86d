# Sourced by the scripts: a private Xvfb for runs that have no display.
# palvex_xvfb_start exports DISPLAY; palvex_xvfb_stop ends that server only.

PALVEX_XVFB_PID=

palvex_xvfb_start() {
    local fdfile display_no i
    fdfile=$(mktemp)
    # -displayfd lets the server pick a free display itself, so concurrent runs
    # cannot race for the same number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    PALVEX_XVFB_PID=$!
    for ((i = 0; i < 100; i++)); do
        display_no=$(tr -dc '0-9' <"$fdfile")
        if [[ -n $display_no ]]; then
            rm -f "$fdfile"
            export DISPLAY=":$display_no"
            return 0
        fi
        if ! kill -0 "$PALVEX_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    rm -f "$fdfile"
    palvex_xvfb_stop
    echo "Xvfb did not start" >&2
    return 1
}

palvex_xvfb_stop() {
    if [[ -n $PALVEX_XVFB_PID ]]; then
        kill "$PALVEX_XVFB_PID" 2>/dev/null || true
        wait "$PALVEX_XVFB_PID" 2>/dev/null || true
        PALVEX_XVFB_PID=
    fi
}
