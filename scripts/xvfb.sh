# shellcheck shell=bash
# A private virtual display for the scripts that show the program: Xvfb picks a free display
# number itself (-displayfd), so runs side by side never race for one as `xvfb-run -a` can.
#
#   tolvy_start_xvfb <folder> [WxH]       Xvfb (default 1600x1200), exports DISPLAY; the folder
#                                         keeps its log. Fails when it is not up within 10 s.
#   tolvy_start_window_manager <folder>   openbox on that display, with a home of its own under
#                                         the folder; returns once it manages the screen.
#   tolvy_stop_xvfb                       stops both, whichever runs.

tolvy_start_xvfb()
{
    local folder=$1 size=${2:-1600x1200} number=
    tolvy_stop_xvfb
    rm -f "$folder/xvfb.display"
    # -noreset: the last client to leave does not reset the server under the next one.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$folder/xvfb.display" >"$folder/xvfb.log" 2>&1 &
    TOLVY_XVFB_PID=$!
    for _ in $(seq 100); do
        number=$(head -n 1 "$folder/xvfb.display" 2>/dev/null || true)
        [[ -n $number ]] && break
        kill -0 "$TOLVY_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -z $number ]]; then
        echo "The virtual display did not start:" >&2
        cat "$folder/xvfb.log" >&2
        return 1
    fi
    # The pid stays with this shell: a script it starts on the same display must not stop it.
    export DISPLAY=":$number"
}

# The window manager announces itself on the root window once it manages the screen.
tolvy_window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

tolvy_start_window_manager()
{
    local folder=$1
    mkdir -p "$folder/wm-home"
    # Its own settings only: a home of its own keeps the user's configuration out.
    env HOME="$folder/wm-home" XDG_CONFIG_HOME="$folder/wm-home/.config" openbox --sm-disable \
        >"$folder/openbox.log" 2>&1 &
    TOLVY_WM_PID=$!
    for _ in $(seq 100); do
        tolvy_window_manager_ready && return 0
        kill -0 "$TOLVY_WM_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "openbox did not start:" >&2
    cat "$folder/openbox.log" >&2
    return 1
}

tolvy_stop_xvfb()
{
    local pid
    for pid in "${TOLVY_WM_PID:-}" "${TOLVY_XVFB_PID:-}"; do
        [[ -n $pid ]] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    TOLVY_WM_PID=
    TOLVY_XVFB_PID=
}
