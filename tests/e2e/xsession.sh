#!/usr/bin/env bash
# Runs a command inside a desktop session of its own, the way the end-to-end tests need one:
#   - a private Xvfb server on a display number it picks itself (-displayfd), so parallel runs never collide;
#     -noreset, because without it the first X connection now and then fails; stopped and waited for at exit;
#   - a private session D-Bus (dbus-run-session), whose bus is gone when the command ends;
#   - the accessibility bus (at-spi-bus-launcher) started on that session bus before the command, so a Qt
#     program started by the command finds org.a11y.Bus already there; the registry daemon follows on first use;
#   - QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and QT_QPA_PLATFORM=xcb, so Qt programs draw on the X server and join
#     the accessibility bus without a screen reader having to ask for it;
#   - HOME, XDG_RUNTIME_DIR and the XDG config/cache/data directories in a temporary directory, removed at exit.
#
#   - with KARTE_XSESSION_WM=openbox, the openbox window manager, which frames the windows and closes them on
#     request (Alt+F4, wmctrl -c) as a desktop's would.
#
# Usage: xsession.sh COMMAND [ARGS...]
# Exits with COMMAND's status. Exits with 77 (the tests' "skipped" status) after saying why, only when the X
# server itself cannot be started; a session bus or accessibility bus that does not come up is a failure.
set -euo pipefail

readonly skip_status=77

if [[ "${1:-}" != "--inside" ]]; then
    if (($# == 0)); then
        echo "usage: xsession.sh COMMAND [ARGS...]" >&2
        exit 2
    fi
    if ! command -v Xvfb >/dev/null; then
        echo "SKIPPED: Xvfb is not installed, so there is no X server to run the program on (install xvfb)."
        exit "$skip_status"
    fi
    # A short path: the accessibility bus puts its socket here.
    session=$(mktemp -d /tmp/karte-xsession.XXXXXX)
    xvfb_pid=
    cleanup() {
        if [[ -n $xvfb_pid ]]; then
            kill "$xvfb_pid" 2>/dev/null || true
            wait "$xvfb_pid" 2>/dev/null || true
        fi
        rm -rf "$session"
    }
    trap cleanup EXIT

    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$session/display" >"$session/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for ((i = 0; i < 400; i++)); do # up to 20 s
        [[ -s $session/display ]] && break
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            wait "$xvfb_pid" 2>/dev/null || true
            xvfb_pid=
            echo "SKIPPED: the X server (Xvfb) exited at start-up; its last words:"
            tail -n 5 "$session/xvfb.log" | sed 's/^/    /'
            exit "$skip_status"
        fi
        sleep 0.05
    done
    if [[ ! -s $session/display ]]; then
        echo "SKIPPED: the X server (Xvfb) did not report a display within 20 s."
        exit "$skip_status"
    fi

    mkdir -p "$session/home" "$session/config" "$session/cache" "$session/data"
    chmod 700 "$session"
    export DISPLAY=":$(cat "$session/display")" XDG_RUNTIME_DIR=$session HOME=$session/home
    export XDG_CONFIG_HOME=$session/config XDG_CACHE_HOME=$session/cache XDG_DATA_HOME=$session/data
    unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY
    if ! command -v dbus-run-session >/dev/null; then
        echo "xsession: dbus-run-session is missing (install dbus)" >&2
        exit 1
    fi
    # The script itself runs again on the new session bus; the bus daemon's own chatter stays out of the output.
    exec 3>&1 4>&2
    status=0
    dbus-run-session -- "$0" --inside "$@" >>"$session/dbus.log" 2>&1 || status=$?
    exit "$status"
fi

shift
exec 1>&3 2>&4 3>&- 4>&-

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# Asking for the address D-Bus-activates at-spi-bus-launcher, which answers once its bus is up.
if ! dbus-send --session --print-reply=literal --reply-timeout=20000 --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null; then
    echo "xsession: the accessibility bus did not start (is at-spi2-core installed?)" >&2
    exit 1
fi
if [[ ${KARTE_XSESSION_WM:-} == openbox ]]; then
    if ! command -v openbox >/dev/null || ! command -v wmctrl >/dev/null; then
        echo "xsession: openbox and wmctrl are needed for a session with a window manager" >&2
        exit 1
    fi
    openbox >/dev/null 2>&1 &
    for ((i = 0; i < 200; i++)); do # up to 10 s
        wmctrl -m >/dev/null 2>&1 && break
        sleep 0.05
    done
    if ! wmctrl -m >/dev/null 2>&1; then
        echo "xsession: the window manager did not start" >&2
        exit 1
    fi
fi
exec "$@"
