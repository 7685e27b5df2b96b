# shellcheck shell=bash
# A private virtual display for the scripts that show the program: Xvfb picks a free display
# number itself (-displayfd), so runs side by side never race for one as `xvfb-run -a` can.

# tolvy_start_xvfb <folder>: starts Xvfb, exports DISPLAY and TOLVY_XVFB_PID. The folder keeps
# its log. Fails when the display does not come up within 10 s.
tolvy_start_xvfb()
{
    local folder=$1 number=
    rm -f "$folder/xvfb.display"
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$folder/xvfb.display" >"$folder/xvfb.log" 2>&1 &
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
    export DISPLAY=":$number" TOLVY_XVFB_PID
}

tolvy_stop_xvfb()
{
    if [[ -n ${TOLVY_XVFB_PID:-} ]]; then
        kill "$TOLVY_XVFB_PID" 2>/dev/null || true
        wait "$TOLVY_XVFB_PID" 2>/dev/null || true
        TOLVY_XVFB_PID=
    fi
}
