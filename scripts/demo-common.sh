# Sourced by scripts/demo and scripts/screenshots.

# lay_in: a fresh Wine prefix at $WINEPREFIX (at the DPI $QVX_DPI, if set)
# holding a simulated Word 2003 (or what the options name) whose global
# template is damaged, and qvxfix.exe
# from the build $build in C:\Quorvex (its backups land there and beside it).
# Sets word_folder, normal_dot, startup and templates.
# Usage: lay_in NOTES-FILE [wordsim-install options...]
lay_in() {
    local notes=$1
    shift
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
    scripts/wine-prefix "$WINEPREFIX"
    if [ -n "${QVX_DPI:-}" ]; then
        scripts/wine-run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QVX_DPI" /f >/dev/null
    fi
    scripts/wine-run "$build/tools/wordsim/wordsim-install.exe" --version 2003 --fault normal "$@" \
        | tr -d '\r' >"$notes"
    # Wine's server outlives its last program for a while and keeps the display
    # it started with: let it go before Quorvex runs on another display.
    timeout 60 wineserver -w || true
    word_folder=$(sed -n 's/^program_folder=//p' "$notes" | head -1)
    normal_dot=$(sed -n 's/^normal_dot=//p' "$notes" | head -1)
    startup=$(sed -n 's/^startup_folder=//p' "$notes" | head -1)
    templates=${normal_dot%\\*}
    mkdir -p "$WINEPREFIX/drive_c/Quorvex"
    cp "$build/src/qvxfix.exe" "$WINEPREFIX/drive_c/Quorvex/qvxfix.exe"
}

# The driver's BMP pictures in a folder as PNG, which browsers show, where
# the tool to make them is at hand.
to_png() {
    command -v convert >/dev/null || return 0
    local bmp
    for bmp in "$1"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
}
