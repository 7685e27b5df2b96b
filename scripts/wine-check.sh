#!/usr/bin/env bash
# The program's Windows layer (platform/win32) built with the MinGW cross compiler and run under Wine,
# on a private virtual display, in a fresh Wine prefix, with a stand-in for the desktop's opener
# at the end of Wine's way to the browser. Checks:
#   a. every address the program builds reaches the opener byte for byte;
#   b. an open that fails is reported as failed;
#   c. a hidden window made topmost stays hidden, a visible one stays visible, both topmost;
#   d. the ANSI conversion keeps the program's addresses (all ASCII) and loses raw non-ASCII text;
#   e. every byte of the ANSI code page (1252) stands for a character and comes back from it, as
#      the settings store's shifted codes need.
#
# Usage: scripts/wine-check.sh [Linux build folder]
# The build folder (default build-test/, configured as a Debug build when new) gets the
# tolvy-addresses helper, whose list of addresses is the input, and the cross-built driver.
# Exits non-zero when any check fails. Wine is not Windows: this proves our calls and what we
# make of their results, not the behaviour of Windows itself.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$TOLVY_ROOT/scripts/xvfb.sh"

WINE_PACKAGES=(g++-mingw-w64-x86-64 wine wine64 xvfb xauth)
build=${1:-$TOLVY_ROOT/build-test}
started=$SECONDS

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"

# Debian keeps the 64-bit loader out of PATH.
wineLoader=$(command -v wine64 || true)
[[ -n $wineLoader || ! -x /usr/lib/wine/wine64 ]] || wineLoader=/usr/lib/wine/wine64
wineServer=$(command -v wineserver || true)
[[ -n $wineServer || ! -x /usr/lib/wine/wineserver ]] || wineServer=/usr/lib/wine/wineserver
if [[ -z $wineLoader || -z $wineServer ]]; then
    echo "Wine's 64-bit loader or its server is missing (packages: wine wine64)." >&2
    exit 1
fi

tolvy_build_target "$build" tolvy-addresses

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-wine.XXXXXX")
mkdir -p "$work/bin" "$work/home" "$work/runtime" "$work/tmp"
chmod 700 "$work/runtime"
export WINEPREFIX="$work/prefix"
# Wine's server keeps its socket in a folder of its own under TMPDIR: this one goes with the rest.
export TMPDIR="$work/tmp"

cleanup()
{
    local status=$?
    set +e
    # The server takes every process of the prefix with it; only then can the prefix go.
    if [[ -d $WINEPREFIX ]]; then
        "$wineServer" -k 2>/dev/null
        timeout 10 "$wineServer" -w 2>/dev/null
    fi
    tolvy_stop_xvfb
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tolvy_say "Addresses as the program builds them"
addresses="$work/addresses.txt"
"$build/tests/wine/tolvy-addresses" >"$addresses"
count=$(wc -l <"$addresses")
((count > 0)) || { echo "The helper gave no addresses." >&2; exit 1; }
echo "$count addresses."

tolvy_say "Cross-compile the driver"
driverDir="$build/wine"
driver="$driverDir/driver.exe"
compile=(x86_64-w64-mingw32-g++ -std=c++20 -O1 -static -Wall -Wextra -Wpedantic -Werror -I"$TOLVY_ROOT"
    "$TOLVY_ROOT/platform/win32/shell.cpp" "$TOLVY_ROOT/platform/win32/codepage.cpp" "$TOLVY_ROOT/tests/wine/driver.cpp"
    -lole32 -lshell32 -luser32)
# Rebuilt whenever the sources, the command or the compiler differ from the last build's.
stamp=$({
    printf '%s\n' "${compile[@]}"
    x86_64-w64-mingw32-g++ --version
    cat "$TOLVY_ROOT/platform/win32/shell.h" "$TOLVY_ROOT/platform/win32/shell.cpp" "$TOLVY_ROOT/platform/win32/codepage.h" \
        "$TOLVY_ROOT/platform/win32/codepage.cpp" "$TOLVY_ROOT/tests/wine/driver.cpp"
} | sha256sum | cut -d' ' -f1)
mkdir -p "$driverDir"
if [[ -f $driver && $(cat "$driver.stamp" 2>/dev/null) == "$stamp" ]]; then
    echo "Up to date: $driver"
else
    rm -f "$driver.stamp"
    "${compile[@]}" -o "$driver.new"
    mv "$driver.new" "$driver"
    echo "$stamp" >"$driver.stamp"
    echo "Built $driver"
fi

tolvy_say "Wine on a private display"
tolvy_start_xvfb "$work"
cp "$TOLVY_ROOT/tests/wine/xdg-open" "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
browserLog="$work/browser.log"
: >"$browserLog"
# A private home, so that a fresh prefix adds nothing to the user's menus or file types; no Mono
# or Gecko prompt, no menu entries, and a crash ends the process instead of waiting in a debugger.
# The locale fixes the ANSI code page at 1252. Waited for in the background, so that an interrupt
# goes to the clean-up at once.
wine_run()
{
    env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
        XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" PATH="$work/bin:$PATH" \
        LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 WINEDEBUG=-all WINEARCH=win64 \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d" \
        TOLVY_WINE_BROWSER_LOG="$browserLog" timeout 120 "$wineLoader" "$@" &
    wait $!
}
prefixStart=$SECONDS
if ! wine_run wineboot.exe --init >"$work/prefix.log" 2>&1; then
    echo "Wine could not set up a prefix:" >&2
    tail -n 20 "$work/prefix.log" >&2
    exit 1
fi
prefixSeconds=$((SECONDS - prefixStart))
echo "Fresh prefix in ${prefixSeconds}s."

# Wine opens Windows paths; the root of the Unix file system is drive Z:.
driverStatus=0
wine_run "$driver" "Z:${addresses//\//\\}" >"$work/driver.out" 2>>"$work/wine.log" || driverStatus=$?
cat "$work/driver.out"

# Each address goes on its own way through the shell and the browser launcher: wait for all.
for _ in {1..300}; do
    (($(wc -l <"$browserLog") >= count)) && break
    sleep 0.1
done
sleep 0.5

# Wine's browser launcher hands on the address in its canonical form: a bare host gains the "/"
# of its empty path, the same address to any web server. No other change is allowed.
expected="$work/expected.txt"
sed -E 's#^(https?://[^/?#]+)$#\1/#' "$addresses" >"$expected"
normalised=$(diff "$addresses" "$expected" | grep -c '^>' || true)
arrived=$(wc -l <"$browserLog")
inOrder=$(cmp -s "$expected" "$browserLog" && echo "in the order opened" || echo "not in the order opened")
addressesOk=false
if cmp -s <(LC_ALL=C sort "$expected") <(LC_ALL=C sort "$browserLog"); then
    addressesOk=true
    addressesDetail="$count of $count arrived as opened, byte for byte and one argument each, $inOrder"
    ((normalised == 0)) || addressesDetail+="; $normalised bare host with the '/' Wine adds"
else
    addressesDetail="$arrived arrived for $count opened; the differences (< expected, > arrived):"
fi

tolvy_say "Report"
outcome() { $1 && echo ok || echo FAILED; }
# driver_ok <check name...>: every named check reported, and none failed.
driver_ok()
{
    local name
    for name in "$@"; do
        grep -q "^ok  *$name:" "$work/driver.out" || return 1
        ! grep -q "^FAILED  *$name:" "$work/driver.out" || return 1
    done
}
checks=(
    "a. addresses reach the opener|$(driver_ok "shell open" && $addressesOk && echo true || echo false)"
    "b. failed open reported|$(driver_ok "failed open" && echo true || echo false)"
    "c. topmost windows|$(driver_ok "topmost (hidden)" "topmost (visible)" && echo true || echo false)"
    "d. ANSI conversion|$(driver_ok "conversion" "raw text" && echo true || echo false)"
    "e. code page bytes|$(driver_ok "code page" && echo true || echo false)"
)
failed=false
for check in "${checks[@]}"; do
    printf '%-34s %s\n' "${check%%|*}" "$(outcome "${check##*|}")"
    [[ ${check##*|} == true ]] || failed=true
done
echo "   $addressesDetail"
if ! $addressesOk; then
    diff <(LC_ALL=C sort "$expected") <(LC_ALL=C sort "$browserLog") | grep '^[<>]' | cut -c1-300 || true
fi
if ((driverStatus != 0)); then
    failed=true
    echo "The driver exited with status $driverStatus. Wine's messages:"
    tail -n 20 "$work/wine.log"
fi
echo "Time: $((SECONDS - started))s, of which ${prefixSeconds}s for the fresh Wine prefix."
! $failed
