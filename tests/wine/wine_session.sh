# Sourced by the Wine stage's scripts once they have made WORK (a scratch folder) and
# ARTEFACTS: a scratch 64-bit Wine prefix unpacked from a cached template, an X server of
# its own, and the shut-down of both.

PREFIX_TIMEOUT=180
# Timeouts in seconds of the stage's waits; a script may set its own before sourcing this.
: "${WINDOW_TIMEOUT:=60}" "${EXIT_TIMEOUT:=30}" "${FILE_TIMEOUT:=30}" "${RUN_TIMEOUT:=120}"
export WINEPREFIX="$WORK/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
DRIVE_C="$WINEPREFIX/drive_c"
PREFIX_CACHE="${VX_WINE_PREFIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vx_installer/wine-prefix}"
# shellcheck source=../support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"

# Ends Wine in the prefix and the X server; for the caller's exit trap.
stop_wine_session() {
    if [[ -d "$WINEPREFIX" ]]; then
        timeout 20 wineserver -k >/dev/null 2>&1
        timeout 20 wineserver -w >/dev/null 2>&1
    fi
    stop_xvfb
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

# An X server of its own for the stage (tests/support/xvfb.sh), its output in the
# artefacts; sets DISPLAY.
start_wine_xvfb() { start_xvfb "$ARTEFACTS/xvfb.log"; }
