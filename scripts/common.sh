# Shared by the setup, run and test scripts: sourced, never run on its own.

TESSARIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build and every test layer need.
TESSARIN_PACKAGES=(
    cmake ninja-build g++ googletest libgtest-dev clang-format valgrind clang libclang-rt-14-dev nsis
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 xvfb xauth x11-utils imagemagick fonts-wine
)

say() { printf '\033[1m==> %s\033[0m\n' "$*"; }

# Installs whatever is missing; idempotent. Without root it prints the one command to run.
tessarin_install_packages() {
    local missing=() package
    for package in "${TESSARIN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    say "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

tessarin_build() {  # preset
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

# An X display: the caller's, or a private Xvfb that ends with this shell.
tessarin_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local number
    for number in $(seq 90 140); do
        [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] || break
    done
    Xvfb ":${number}" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    TESSARIN_XVFB_PID=$!
    export DISPLAY=":${number}"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X${number}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :${number}" >&2
    exit 1
}

# The project's own Wine prefix under build/, made once, with every Wine program opening inside
# one 1280x800 desktop so that windows, focus and the notification area behave as on Windows, and
# web pages associated with the browser as on any Windows installation. Bump the marker's number
# when the preparation changes: older prefixes are then brought up to date.
tessarin_wine_env() {
    export WINEPREFIX="${TESSARIN_WINEPREFIX:-$TESSARIN_ROOT/build/wineprefix}"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/.tessarin-ready-2" ]; then
        say "Preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        local line
        while read -r line; do
            eval "wine reg add $line /f" >/dev/null 2>&1
        done <<'KEYS'
'HKCU\Software\Wine\Explorer' /v Desktop /d Default
'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800
'HKCR\.html' /ve /d htmlfile
'HKCR\.htm' /ve /d htmlfile
KEYS
        wineserver -w
        touch "$WINEPREFIX/.tessarin-ready-2"
    fi
    # Wine draws the caption buttons with Marlett; Debian's Wine does not find its own copy, and
    # the buttons then show as letters.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        mkdir -p "$fonts"
        cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    fi
}

# One wineserver for the whole run: every program then starts in tens of milliseconds.
tessarin_start_wineserver() {
    wineserver -p
    TESSARIN_WINESERVER_STARTED=1
}

# Opens the Wine desktop and keeps it open until tessarin_cleanup. Programs started later inherit
# nothing from it, so CTest does not wait on the desktop's own processes.
tessarin_hold_desktop() {  # path of tessarin_hold_desktop.exe
    wine "$1" 7200 </dev/null >/dev/null 2>&1 &
    TESSARIN_HOLD_PID=$!
    # Let the desktop finish starting: while it does, it takes the foreground from whatever
    # window a test has just opened, and keystrokes go astray.
    sleep 3
}

tessarin_cleanup() {
    if [ -n "${TESSARIN_HOLD_PID:-}" ]; then
        kill "$TESSARIN_HOLD_PID" >/dev/null 2>&1 || true
    fi
    if [ -n "${TESSARIN_WINESERVER_STARTED:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${TESSARIN_XVFB_PID:-}" ]; then
        kill "$TESSARIN_XVFB_PID" >/dev/null 2>&1 || true
    fi
}
