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
# shellcheck source=scripts/windows/wine.sh
source "$TOLVY_ROOT/scripts/windows/wine.sh"

WINE_PACKAGES=(g++-mingw-w64-x86-64 wine wine64 xvfb xauth)
build=${1:-$TOLVY_ROOT/build-test}
started=$SECONDS

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"

tolvy_wine_find || exit 1

tolvy_build_target "$build" tolvy-addresses

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-wine.XXXXXX")
# shellcheck disable=SC2016 # expanded when the script ends
tolvy_on_exit 'rm -rf "$work"'
tolvy_on_exit tolvy_stop_xvfb
# The server takes every process of the prefix with it; only then can the prefix go.
tolvy_on_exit tolvy_wine_stop

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
    cat "$TOLVY_ROOT/platform/win32/api.h" "$TOLVY_ROOT/platform/win32/shell.h" "$TOLVY_ROOT/platform/win32/shell.cpp" "$TOLVY_ROOT/platform/win32/codepage.h" \
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
export TOLVY_BROWSER_LOG="$work/browser.log" TOLVY_WINE_TIMEOUT=120
browserLog=$TOLVY_BROWSER_LOG
prefixStart=$SECONDS
tolvy_wine_prefix "$work"
prefixSeconds=$((SECONDS - prefixStart))
echo "Fresh prefix in ${prefixSeconds}s."

driverStatus=0
tolvy_wine "$driver" "$(tolvy_windows_path "$addresses")" >"$work/driver.out" 2>>"$work/wine.log" || driverStatus=$?
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
