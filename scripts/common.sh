# Shared by scripts/test and scripts/run: packages, build, the private Wine
# prefix, a private X display and the Wine server. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# AMBERTILLE_BUILD lets a second checkout or a parallel session build and
# test in its own folder; by default everything is in build/ as the presets say.
BUILD=${AMBERTILLE_BUILD:-$ROOT/build}
export WINEPREFIX=$BUILD/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko download prompts in a prefix that is never online.
export WINEDLLOVERRIDES="mscoree,mshtml="

PACKAGES=(mingw-w64 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth googletest gcc libc6-dev
          cmake ninja-build fp-utils python3 imagemagick xdotool)

STARTED_PIDS=()

log() { echo "[ambertille] $*" >&2; }

ensure_packages() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" >&2
}

# Configures once and builds everything, or the targets named as in
# "build --target NAME...".
build() {
    local args=(--preset mingw)
    [ -n "${AMBERTILLE_BUILD:-}" ] && args+=(-B "$BUILD")
    if [ ! -f "$BUILD/build.ninja" ]; then
        cmake "${args[@]}" -S "$ROOT" >&2
    fi
    cmake --build "$BUILD" "$@" >&2
}

# The prefix is made once; its marker says it is complete, so a second run
# neither re-creates nor re-configures it.
ensure_wineprefix() {
    local marker=$WINEPREFIX/.ambertille-prefix
    if [ -f "$marker" ]; then
        install_wine_fonts
        return 0
    fi
    log "creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # A crashing program must not wait for someone to close a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # One shared virtual desktop with a task bar and a notification area.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x800 /f >/dev/null 2>&1
    wineserver -w
    install_wine_fonts
    touch "$marker"
}

# This Wine does not look into the folder where fonts-wine puts Tahoma,
# MS Sans Serif and Marlett, which the dialogs, menus and caption buttons
# are drawn with; the prefix's own font folder is searched. Copies only what
# is missing.
install_wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts font
    mkdir -p "$fonts"
    for font in tahoma.ttf tahomabd.ttf marlett.ttf ms_sans_serif.ttf sserife.fon; do
        if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
            cp "/usr/share/wine/fonts/$font" "$fonts/"
        fi
    done
}

start_xvfb() {
    local n
    for n in $(seq 90 199); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    STARTED_PIDS+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    log "Xvfb did not start on :$n"
    return 1
}

# Starts the server, the prefix's services and the shared virtual desktop
# with their output detached: a service or desktop that a test program
# started would inherit the test's output pipe and keep CTest waiting.
start_wineserver() {
    wineserver -p -f >/dev/null 2>&1 &
    STARTED_PIDS+=($!)
    wine wineboot >/dev/null 2>&1 </dev/null
    wine "$BUILD/desktop_keeper.exe" >/dev/null 2>&1 </dev/null &
    STARTED_PIDS+=($!)
    for _ in $(seq 1 100); do
        xdotool search --name "Wine desktop" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    log "the Wine virtual desktop did not appear"
    return 1
}

# A drive H: whose reads never come back, as a network share whose server
# went away (tests/fixtures/linux/hung_share.c). Only where /dev/fuse can be
# mounted; the tests that need it say so and are skipped otherwise.
HUNG_MOUNT=""
start_hung_share() {
    [ -c /dev/fuse ] || { log "no /dev/fuse: the tests of a share that stops answering are skipped"; return 0; }
    local server=$BUILD/hung_share
    cc -O1 -o "$server" "$ROOT/tests/fixtures/linux/hung_share.c" || return 0
    HUNG_MOUNT=$(mktemp -d /tmp/ambertille-hung.XXXXXX)
    local ready=$HUNG_MOUNT.ready
    "$server" "$HUNG_MOUNT" >"$ready" 2>&1 &
    STARTED_PIDS+=($!)
    for _ in $(seq 1 50); do
        grep -q ready "$ready" 2>/dev/null && break
        sleep 0.1
    done
    if ! grep -q ready "$ready" 2>/dev/null; then
        log "the hung share could not be mounted: $(cat "$ready")"
        rm -f "$ready"
        return 0
    fi
    rm -f "$ready"
    ln -sfn "$HUNG_MOUNT" "$WINEPREFIX/dosdevices/h:"
    export AMBERTILLE_HUNG_SHARE='H:'
}

stop_hung_share() {
    [ -n "$HUNG_MOUNT" ] || return 0
    rm -f "$WINEPREFIX/dosdevices/h:"
    umount -l "$HUNG_MOUNT" >/dev/null 2>&1 || true
    rmdir "$HUNG_MOUNT" >/dev/null 2>&1 || true
    HUNG_MOUNT=""
}

stop_started() {
    # Wine programs of our private prefix first, then what we started, newest first.
    wineserver -k >/dev/null 2>&1 || true
    local i
    for ((i=${#STARTED_PIDS[@]}-1; i>=0; i--)); do
        kill "${STARTED_PIDS[$i]}" >/dev/null 2>&1 || true
        wait "${STARTED_PIDS[$i]}" >/dev/null 2>&1 || true
    done
    STARTED_PIDS=()
    stop_hung_share
}

# --- for scripts/run and its steps ----------------------------------------

DEMO=$BUILD/demo
SHOTS=$BUILD/screenshots

# Runs a Windows program of the build folder (winpoke, the program) in the prefix.
winpoke() { wine "$BUILD/winpoke.exe" "$@" >/dev/null 2>&1 </dev/null; }

# Saves the whole virtual desktop as build/screenshots/NAME.png.
shot() {
    mkdir -p "$SHOTS"
    sleep "${2:-0.5}"
    import -window root "$SHOTS/$1.png"
    log "screenshot $SHOTS/$1.png"
}

# The demo folder's Windows path, for settings values. Worked out without
# Wine: a Wine program started before the private display exists would
# bring up the prefix's desktop without one, and nothing would show.
demo_winpath() { local path=${DEMO//\//\\}; echo "Z:$path"; }

# Writes a settings file as UTF-16LE with a byte order mark, as the program
# itself saves it.
write_settings() {
    local file=$1
    { printf '\xff\xfe'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } > "$file"
}
