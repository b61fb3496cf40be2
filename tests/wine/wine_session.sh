# Sourced by the Wine stage's scripts once they have made WORK (a scratch folder) and
# ARTEFACTS: a scratch 64-bit Wine prefix unpacked from a cached template, an X server of
# its own, and the shut-down of both. The caller defines wait_for.

PREFIX_TIMEOUT=180
export WINEPREFIX="$WORK/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
DRIVE_C="$WINEPREFIX/drive_c"
PREFIX_CACHE="${VX_WINE_PREFIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vx_installer/wine-prefix}"
XVFB_PID=""

# Ends Wine in the prefix and the X server; for the caller's exit trap.
stop_wine_session() {
    if [[ -d "$WINEPREFIX" ]]; then
        timeout 20 wineserver -k >/dev/null 2>&1
        timeout 20 wineserver -w >/dev/null 2>&1
    fi
    if [[ -n "$XVFB_PID" ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}

# The prefix from the template cached for this Wine version, made with wineboot (and
# cached) when there is none.
make_prefix() {
    local key template
    key="$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9._+-' '_')$WINEARCH"
    template="$PREFIX_CACHE/$key.tar"
    mkdir -p "$WINEPREFIX"
    if [[ -f "$template" ]] && tar -xf "$template" -C "$WINEPREFIX"; then
        return 0
    fi
    rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
    timeout "$PREFIX_TIMEOUT" wineboot --init >"$ARTEFACTS/wineboot.log" 2>&1 || return 1
    timeout "$PREFIX_TIMEOUT" wineserver -w || return 1
    # Templates of other Wine versions are of no use any more. Written under a temporary
    # name first, so that a parallel run never unpacks half a template.
    if mkdir -p "$PREFIX_CACHE" 2>/dev/null; then
        find "$PREFIX_CACHE" -maxdepth 1 -name '*.tar' ! -name "$key.tar" -delete
        tar -cf "$template.$$" -C "$WINEPREFIX" . && mv "$template.$$" "$template" ||
            { rm -f "$template.$$"; echo "$(basename "$0"): cannot cache the prefix in $PREFIX_CACHE" >&2; }
    fi
}

# An X server on a free display, chosen by the server itself; sets DISPLAY.
start_xvfb() {
    exec 3>"$WORK/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$ARTEFACTS/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    wait_for 10 test -s "$WORK/display" || return 1
    export DISPLAY=":$(head -n 1 "$WORK/display")"
}
