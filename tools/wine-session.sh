# Sourced by the scripts that run Windows programs: a private 32-bit Wine
# prefix under build/, and a virtual display of its own for the windows and
# message boxes.  Both are torn down when the sourcing script exits.

export WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all

wine_session_display() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

wine_session_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        # Without a window manager Wine waits for every managed window to
        # close; unmanaged windows close at once.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
    # A program that crashes gets its backtrace written out and ends, rather
    # than waiting on the debugger's dialog, which nobody answers, until the
    # test's time is up.
    if [ ! -f "$WINEPREFIX/.crash-dialog-off" ]; then
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.crash-dialog-off"
    fi
}

wine_session_end() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

trap wine_session_end EXIT
wine_session_display
wine_session_prefix
