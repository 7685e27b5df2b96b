# shellcheck shell=bash
# Wine for the Windows checks: a fresh prefix in a work folder, private home and temporary folders,
# and the stand-in opener at the end of Wine's way to the browser. Sourced after scripts/lib.sh.
#
#   tolvy_wine_find            sets TOLVY_WINE_LOADER and TOLVY_WINE_SERVER, or fails saying why
#   tolvy_wine_prefix <work>   a fresh prefix in <work>/prefix, exported as WINEPREFIX (slow: ~20 s)
#   tolvy_wine <args...>       runs Wine in that prefix; the exit code is the program's
#   tolvy_wine_env <array>     the environment tolvy_wine gives Wine, for a caller's own launch
#   tolvy_wine_stop            ends every process of the prefix and waits for them
#
# The addresses Wine hands to the opener (scripts/xdg-open) are appended to $TOLVY_BROWSER_LOG,
# <work>/browser.log unless set. TOLVY_WINE_TIMEOUT: seconds one tolvy_wine may take (default 600).

tolvy_wine_find()
{
    # Debian keeps the 64-bit loader out of PATH.
    TOLVY_WINE_LOADER=$(command -v wine64 || true)
    [[ -n $TOLVY_WINE_LOADER || ! -x /usr/lib/wine/wine64 ]] || TOLVY_WINE_LOADER=/usr/lib/wine/wine64
    TOLVY_WINE_SERVER=$(command -v wineserver || true)
    [[ -n $TOLVY_WINE_SERVER || ! -x /usr/lib/wine/wineserver ]] || TOLVY_WINE_SERVER=/usr/lib/wine/wineserver
    if [[ -z $TOLVY_WINE_LOADER || -z $TOLVY_WINE_SERVER ]]; then
        echo "Wine's 64-bit loader or its server is missing (packages: wine wine64)." >&2
        return 1
    fi
    # Wine 10 (Debian 13) aborts at start when TMPDIR is set at all; it then keeps its server's
    # socket under /tmp, which the Debian 13 root's runs have to themselves.
    TOLVY_WINE_OWN_TMP=true
    [[ $("$TOLVY_WINE_LOADER" --version 2>/dev/null) != wine-[1-9][0-9].* ]] || TOLVY_WINE_OWN_TMP=false
    export TOLVY_WINE_LOADER TOLVY_WINE_SERVER TOLVY_WINE_OWN_TMP
}

tolvy_wine_prefix()
{
    local work=$1
    tolvy_wine_find || return 1
    TOLVY_WINE_WORK=$work
    tolvy_scratch_folders "$work/wine"
    mkdir -p "$work/wine-tmp"
    export TOLVY_WINE_WORK WINEPREFIX="$work/prefix"
    export TOLVY_BROWSER_LOG=${TOLVY_BROWSER_LOG:-$work/browser.log}
    : >>"$TOLVY_BROWSER_LOG"
    if ! tolvy_wine wineboot.exe --init >"$work/prefix.log" 2>&1; then
        echo "Wine could not set up a prefix:" >&2
        tail -n 20 "$work/prefix.log" >&2
        return 1
    fi
}

# A private home, so that the prefix adds nothing to the user's menus or file types; no Mono or
# Gecko prompt, no menu entries, and a crash ends the process instead of waiting in a debugger.
# The locale fixes the ANSI code page at 1252. Waited for in the background, so that an interrupt
# reaches the caller's clean-up at once.
tolvy_wine()
{
    local -a wineEnv
    tolvy_wine_env wineEnv
    env "${wineEnv[@]}" timeout "${TOLVY_WINE_TIMEOUT:-600}" "$TOLVY_WINE_LOADER" "$@" &
    wait $!
}

# tolvy_wine_env <array>: the assignments tolvy_wine runs Wine with, into the named array, for a
# caller that starts the loader itself.
tolvy_wine_env()
{
    local work=${TOLVY_WINE_WORK:?tolvy_wine_prefix first}
    local -n wineAssignments=$1
    tolvy_session_env "$work/wine" wineAssignments
    # Wine's server keeps its socket in a folder of its own under TMPDIR: this one goes with the rest.
    ! ${TOLVY_WINE_OWN_TMP:-true} || wineAssignments+=(TMPDIR="$work/wine-tmp")
    wineAssignments+=(WINEPREFIX="$WINEPREFIX" LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
        WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d")
}

# tolvy_wineserver <seconds> <options...>: the prefix's server, found through the same TMPDIR.
tolvy_wineserver()
{
    local seconds=$1
    shift
    if ${TOLVY_WINE_OWN_TMP:-true}; then
        TMPDIR="$TOLVY_WINE_WORK/wine-tmp" timeout "$seconds" "$TOLVY_WINE_SERVER" "$@" 2>/dev/null || true
    else
        env -u TMPDIR timeout "$seconds" "$TOLVY_WINE_SERVER" "$@" 2>/dev/null || true
    fi
}

tolvy_wine_stop()
{
    [[ -n ${TOLVY_WINE_WORK:-} && -d ${WINEPREFIX:-} ]] || return 0
    tolvy_wineserver 10 -k
    tolvy_wineserver 10 -w
}

# tolvy_windows_path <unix path>: the path as Wine's programs see it, on drive Z:.
tolvy_windows_path() { local path; path=$(realpath "$1") && printf 'Z:%s\n' "${path//\//\\}"; }
