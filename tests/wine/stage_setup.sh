# Sourced first by the Wine stage's scripts that take <vx_installer.exe> <artefacts-folder>:
# their arguments made absolute, a clean artefacts folder, and the tools they need.

# stage_arguments EXE ARTEFACTS: sets EXE and ARTEFACTS to absolute paths, makes the
# artefacts folder and removes the last run's logs, texts and screenshots from it; exits 2
# when the executable is missing.
stage_arguments() {
    local name
    name="$(basename "$0" .sh)"
    EXE="$1"
    ARTEFACTS="$2"
    [[ -f "$EXE" ]] || { echo "$name: no such file: $EXE" >&2; exit 2; }
    EXE="$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")"
    mkdir -p "$ARTEFACTS" || exit 2
    ARTEFACTS="$(cd "$ARTEFACTS" && pwd)"
    rm -f "$ARTEFACTS"/*.log "$ARTEFACTS"/*.txt "$ARTEFACTS"/*.json "$ARTEFACTS"/*.png
}

# require_tools TOOL...: exits 2, naming the first tool that is not installed.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || {
            echo "$(basename "$0" .sh): '$tool' not found (tools/install-deps.sh windows)" >&2
            exit 2
        }
    done
}
