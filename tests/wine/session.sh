#!/usr/bin/env bash
# The installed Windows program under Wine, used as a user uses it: on a private X server with a
# window manager (openbox) and a fresh Wine prefix, the installer runs silently (the executable's
# manifest, the notices and every signature are checked), the program starts from its Start-menu
# shortcut and is driven through the X server with xdotool (first start, the name, three
# readings left with Back, a reading of three counts, About, Exit to the refer-a-friend window, a
# referral, Exit), a second launch, the installer and the uninstaller are refused while the first
# runs, every address opened is checked byte for byte, the settings are read back from the
# registry with Wine's `reg`, and the silent uninstall leaves nothing behind but those settings.
# Then a folder named with /D= moves an install, and an install for the current user lives
# beside the one for all users until each is uninstalled.
#
# Usage: tests/wine/session.sh [--shots FOLDER] <setup.exe> <deploy folder>
# --shots keeps pictures of the four windows and of a message box there. With TOLVY_WINE_WORK
# and WINEPREFIX set by scripts/windows/wine.sh and DISPLAY managed by a window manager, the run
# shares that display and prefix with the caller's other Wine runs, and leaves both to the
# caller. The build's hosts come from TOLVY_FORUM_HOST, TOLVY_HELP_HOST and TOLVY_PRODUCT_HOST
# (scripts/windows.sh reads them from the build's CMake cache). The signatures are checked against
# the certificates in TOLVY_SIGN_CA (the system's when unset) when TOLVY_SIGN_PKCS12 says the build
# was signed. TOLVY_E2E_KEEP=1 keeps the work folder; a failed run always keeps it.
set -euo pipefail
shots=""
if [[ ${1:-} == --shots ]]; then
    shots=$2
    shift 2
fi
setup=${1:?usage: $(basename "$0") [--shots FOLDER] <setup.exe> <deploy folder>}
deploy=$(realpath "${2:?usage: $(basename "$0") [--shots FOLDER] <setup.exe> <deploy folder>}")
wineHere="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TOLVY_ROOT="$(cd "$wineHere/../.." && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$wineHere/../e2e/lib.sh" "$setup"
# shellcheck source=scripts/windows/wine.sh
source "$TOLVY_ROOT/scripts/windows/wine.sh"
command -v openbox >/dev/null || { echo "The session needs a window manager (package: openbox)." >&2; exit 2; }

shared=false
[[ -n ${TOLVY_WINE_WORK:-} && -d ${WINEPREFIX:-} && -n ${DISPLAY:-} ]] && shared=true
session_cleanup()
{
    local status=$?
    set +e
    $shared || tolvy_wine_stop
    (exit "$status")
    cleanup
}
trap session_cleanup EXIT

installDir='C:\Program Files\Tolvy Sarnavel'
unixInstallDir() { printf '%s\n' "$WINEPREFIX/drive_c/Program Files/Tolvy Sarnavel"; }
shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tolvy Sarnavel.lnk'
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tolvy-sarnavel'
userUninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tolvy-sarnavel'
settingsKey='HKCU\Software\Veldrane\tolvy-sarnavel'

# Wine is slower to show a window than the Linux program; the window manager gives the focus.
waitSeconds=20
focusSeconds=10

window_shot()
{
    [[ -n $shots ]] || return 0
    mkdir -p "$shots"
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$1" "$work/raw.png"
    # No time stamps: the same picture gives the same file.
    convert "$work/raw.png" -strip -define png:exclude-chunks=date,time "$shots/$2.png"
    echo "    $shots/$2.png: $(identify -format '%wx%h' "$shots/$2.png")"
}

# unix_path <Windows path>: the file under the prefix (drive C: only).
unix_path()
{
    local path=${1#[Cc]:}
    printf '%s\n' "$WINEPREFIX/drive_c${path//\\//}"
}

# install_state: what the installs leave, one line per file with its checksum, then the uninstall
# registrations.
install_state()
{
    # Any of them may be missing.
    (cd "$WINEPREFIX/drive_c" && find "Program Files/Tolvy Sarnavel" Tolvy* users/*/AppData/Local/Programs \
        -type f -exec md5sum {} + 2>/dev/null | LC_ALL=C sort) || true
    { tolvy_wine reg query "$uninstallKey" 2>/dev/null | tr -d '\r'; } || true
    { tolvy_wine reg query "$userUninstallKey" 2>/dev/null | tr -d '\r'; } || true
}

# run_code <what> <command...>: runs a Wine command; its exit code in $code.
run_code()
{
    local what=$1
    shift
    code=0
    tolvy_wine "$@" >"$work/program-$what.log" 2>&1 || code=$?
}

# run_line <what> <command line>: runs a Windows command line as it is written; its exit code in
# $code. The installer's /D= and the uninstaller's _?= are read only unquoted, spaces and all,
# which Wine's quoting of a single argument would spoil.
run_line()
{
    printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$2" >"$work/$1.bat"
    run_code "$1" cmd /c "$(tolvy_windows_path "$work/$1.bat")"
}

# uninstall_waiting <folder>: the folder's uninstaller, silently and in place, so that its exit
# code is its own (run as a copy of itself, as it otherwise is, it returns at once).
uninstall_waiting()
{
    run_line uninstall "\"$1\\uninstall.exe\" /S _?=$1"
    ((code == 0)) || fail "the uninstaller in $1 ended with $code"
    # In place it cannot remove itself; the installer removes it after it, as here.
    rm -f "$(unix_path "$1")/uninstall.exe"
    rmdir "$(unix_path "$1")" 2>/dev/null || true
}

# reg_value <key> <value name>: the value as `reg query` prints it; fails when there is none.
reg_value()
{
    tolvy_wine reg query "$1" /v "$2" >"$work/reg.out" 2>/dev/null || return 1
    tr -d '\r' <"$work/reg.out" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n1
}

echo "Session of the installed program under Wine: $setup"
export TOLVY_BROWSER_LOG=$browserLog
if $shared; then
    step "the caller's display and Wine prefix"
    tolvy_window_manager_ready || fail "no window manager on $DISPLAY"
    xdotool mousemove 0 0
else
    step "start a private X server with a window manager"
    windowManager=openbox
    start_x_server 1280x1024

    step "a fresh Wine prefix"
    prefixStart=$SECONDS
    tolvy_wine_prefix "$work" || fail "no Wine prefix"
    echo "    in $((SECONDS - prefixStart)) s"
fi

step "install silently: the deploy folder under Program Files, the shortcut, the uninstaller"
tolvy_wine "$(tolvy_windows_path "$setup")" /S >"$work/program-setup.log" 2>&1 || fail "the installer ended with $?"
installed=$(unixInstallDir)
[[ -d $installed ]] || fail "nothing under $installDir"
diff -r "$deploy" "$installed" -x uninstall.exe >"$work/install.diff" ||
    fail "the installed files differ from the deploy folder: $(head -n 5 "$work/install.diff")"
[[ -f $installed/uninstall.exe ]] || fail "no uninstaller"
[[ -f $WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Tolvy\ Sarnavel.lnk ]] ||
    fail "no Start-menu shortcut"
# The version Explorer shows, from the executable's version resource.
python3 - "$installed/tolvy-sarnavel.exe" <<'PY' || fail "the executable carries no version 1.0"
import re, sys
data = open(sys.argv[1], "rb").read()
# The key, its closing zero and, aligned to four bytes, the value.
utf16 = lambda text: re.escape(text.encode("utf-16-le"))
sys.exit(0 if re.search(utf16("ProductVersion\0") + b"(?:\0\0)?" + utf16("1.0\0"), data) else 1)
PY

step "the executable's manifest: as invoker, Windows 10 and 11, per-monitor DPI, the ANSI code page"
# Debian's own Python: python3-pefile is installed for it, whichever python3 comes first on PATH.
/usr/bin/python3 - "$installed/tolvy-sarnavel.exe" <<'PY' || fail "the manifest is missing or wrong (above)"
import sys, xml.etree.ElementTree as ET
import pefile
pe = pefile.PE(sys.argv[1])
manifests = [entry for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == 24 for entry in kind.directory.entries]
assert [m.id for m in manifests] == [1], "one manifest, number 1: %r" % [m.id for m in manifests]
data = manifests[0].directory.entries[0].data.struct
root = ET.fromstring(pe.get_data(data.OffsetToData, data.Size))
def values(tag):
    return [e.text or e.attrib for e in root.iter() if e.tag.endswith("}" + tag)]
assert [v["level"] for v in values("requestedExecutionLevel")] == ["asInvoker"], values("requestedExecutionLevel")
assert [v["Id"] for v in values("supportedOS")] == ["{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"], values("supportedOS")
assert values("dpiAwareness") == ["PerMonitorV2"], values("dpiAwareness")
assert values("activeCodePage") == [], "the code page must stay the system's: %r" % values("activeCodePage")
print("    asInvoker, Windows 10/11, PerMonitorV2, no activeCodePage")
PY

step "the third-party notices lie beside the program"
notices="$installed/THIRD-PARTY-NOTICES.txt"
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$notices" || fail "$notices lacks the LGPL"
grep -qF "apt-get source qt6-base=${TOLVY_QT_SOURCE_VERSION:-$(dpkg-query -W -f='${source:Version}' qt6-base-dev)}" "$notices" ||
    fail "$notices does not name the Qt source"

if [[ -n ${TOLVY_SIGN_PKCS12:-} ]]; then
    step "every executable, DLL, the installer and the uninstaller carry a valid signature"
    mapfile -t signedFiles < <(find "$installed" -iname '*.exe' -o -iname '*.dll' | LC_ALL=C sort)
    bash "$TOLVY_ROOT/scripts/windows/sign.sh" --verify "${TOLVY_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}" \
        "$setup" "${signedFiles[@]}" || fail "a file is not signed as it should be (above)"
fi

step "Add/Remove Programs knows it: name, version, publisher, icon, size, silent uninstall"
declare -A wanted=(
    [DisplayName]="Tolvy Sarnavel"
    [DisplayVersion]="1.0"
    [Publisher]="Veldrane Softwares"
    [DisplayIcon]="$installDir\\tolvy-sarnavel.exe,0"
    [UninstallString]="\"$installDir\\uninstall.exe\""
    [QuietUninstallString]="\"$installDir\\uninstall.exe\" /S"
    [InstallLocation]="$installDir"
)
for name in "${!wanted[@]}"; do
    value=$(reg_value "$uninstallKey" "$name") || fail "no $name under $uninstallKey"
    [[ $value == "${wanted[$name]}" ]] || fail "$name is '$value' instead of '${wanted[$name]}'"
done
size=$(reg_value "$uninstallKey" EstimatedSize) || fail "no EstimatedSize"
deployKiB=$(du -sk --apparent-size "$deploy" | cut -f1)
((size > deployKiB / 2 && size < deployKiB * 2)) || fail "EstimatedSize $size KiB for a program of $deployKiB KiB"
echo "    size $((size)) KiB"

step "start from the Start-menu shortcut: the name-entry window comes up, no message box"
# The shell starts the program and returns: the program's process is the one that owns the window.
tolvy_wine start "$shortcut" >"$work/program-first.log" 2>&1 || fail "the shortcut did not start the program"
wait_window any "$title" "$mainWidth" "name-entry window"
main=$found
first=$(xprop -id "$main" _NET_WM_PID | sed -n 's/.* = //p')
[[ -n $first ]] || fail "the name-entry window names no process"
wait_focus "$main" "name-entry window"
sleep 1
! find_window any '^Tolvy Sarnavel$' || fail "a message box came up on the first start"

step "a second launch says \"Application is already running\" and ends with code 0"
tolvy_wine "$installDir\\tolvy-sarnavel.exe" >"$work/program-second.log" 2>&1 &
second=$!
launched+=("$second")
wait_window any '^Tolvy Sarnavel$' "" "the second launch's message box"
box=$found
wait_focus "$box" "the second launch's message box"
window_shot "$box" already-running
xdotool key Return
wait_exit "$second" "the second launch"
((code == 0)) || fail "the second launch ended with code $code"
running "$first" || fail "the first instance ended"
find_window any "$title" "$mainWidth" || fail "the first instance's window is gone"

step "while it runs, the installer and the uninstaller refuse: code 2 and nothing changed"
install_state >"$work/state-before"
run_code refused-setup "$(tolvy_windows_path "$setup")" /S
((code == 2)) || fail "the installer ended with $code over the running program"
run_line refused-uninstall "\"$installDir\\uninstall.exe\" /S _?=$installDir"
((code == 2)) || fail "the uninstaller ended with $code under the running program"
install_state >"$work/state-after"
diff "$work/state-before" "$work/state-after" >"$work/state.diff" ||
    fail "the refused runs changed the install: $(head -n 5 "$work/state.diff")"
running "$first" || fail "the program ended"

step "type the name"
xdotool windowactivate --sync "$main" 2>/dev/null || true
wait_focus "$main" "name-entry window"
xdotool type --delay 60 asha
window_shot "$main" main

step "Donate on the menu bar opens the donation page"
xdotool key alt+d
expect_opened "http://$helpHost/donate.html"

step "Help > About Software opens the About window"
wait_focus "$main" "name-entry window"
menu any h a
wait_window any "$title" "$aboutWidth" "About window"
about=$found
wait_focus "$about" "About window"
window_shot "$about" about
xdotool key Escape
wait_gone any "$title" "$aboutWidth" "About window"

step "three readings left with Back (Alt+B): each passes through the refer-a-friend window"
for round in 1 2 3; do
    wait_focus "$main" "name-entry window before reading $round"
    open_reading any
    xdotool key alt+b
    wait_gone any "$title" "$readingWidth" "reading window after Back $round"
    wait_window any "$title" "$mainWidth" "name-entry window after Back $round"
done

step "File > Get My Sarnavel Reading opens the reading window"
wait_focus "$main" "name-entry window"
open_reading any

step "count the beads three times: each count shows its beads"
count_three_times
window_shot "$reading" reading

step "File > Exit shows the refer-a-friend window"
menu any f x
wait_gone any "$title" "$readingWidth" "reading window"
wait_window any "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
running "$first" || fail "the program ended instead of showing the refer-a-friend window"
window_shot "$referral" refer-a-friend

step "the focus is on Exit after the three Backs: Tab, Space ticks the forum box and opens the forum"
xdotool key Tab space
# Wine's browser launcher gives a bare host the "/" of its empty path: the same page.
expect_opened "http://$forumHost/"

step "fill in the referral form and press Refer A Friend Now (Alt+N)"
yourName='  Asha & Jo  '
yourEmail='asha+jo@mail.example'
friendEmail='ana.bjork@mail.example'
friendName='Ana B. & Co'
fill_referral 40 "$yourName" "$yourEmail" "$friendEmail" "$friendName"
xdotool key alt+n
referralAddress=$(referral_address "Asha & Jo" "$yourEmail" $'Your Message\r\n' "$friendName" "$friendEmail")
expect_opened "$referralAddress"
find_window any "$title" "$referralWidth" || fail "the refer-a-friend window closed on sending"

step "E&xit of the refer-a-friend window (Alt+X) ends the program"
xdotool key alt+x
poll 10 ended "$first" || fail "the program still runs 10 s after its Exit"

step "every address the session opened, in order, and no more"
expect_all_opened

step "the registry holds the first start's date, encoded in code page 1252"
tolvy_wine reg query "$settingsKey\\Settings" >/dev/null 2>&1 || fail "no $settingsKey\\Settings"
settingsFile="$work/settings.reg"
tolvy_wine reg export "$settingsKey" "$(tolvy_windows_path "$settingsFile")" /y >/dev/null 2>&1 ||
    fail "reg export of $settingsKey failed"
today=$(date +%-m/%-d/%Y)
python3 - "$settingsFile" "$today" <<'PY' || fail "the stored setting is not today's date, encoded (above)"
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
today = sys.argv[2]
def char1252(code):
    # Windows gives the five codes code page 1252 leaves free the characters of the same number.
    try:
        return bytes([code]).decode("cp1252")
    except UnicodeDecodeError:
        return chr(code)
def encode(plain):
    # Each character's code in code page 1252, plus 85, as the character of code page 1252.
    return "".join(char1252(b + 85) for b in plain.encode("cp1252"))
section = re.search(r"^\[HKEY_CURRENT_USER\\Software\\Veldrane\\tolvy-sarnavel\\Settings\]\r?\n((?:\".*\r?\n)*)", text, re.M)
values = dict(re.findall(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"', section.group(1), re.M)) if section else {}
want = {encode("Duration"): encode(today)}
show = lambda d: {k.encode("unicode_escape").decode(): v.encode("unicode_escape").decode() for k, v in d.items()}
if values != want:
    print("settings:", show(values), "expected:", show(want), file=sys.stderr)
    sys.exit(1)
print(f"    Duration = {today}, stored as", show(values))
PY
cp "$settingsFile" "$work/settings-before-uninstall.reg"

step "uninstall silently: files, shortcut and registration go, the settings stay"
tolvy_wine "$installDir\\uninstall.exe" /S >"$work/program-uninstall.log" 2>&1 || fail "the uninstaller ended with $?"
# The uninstaller runs from a copy of itself in the temporary folder, so that it can remove the
# original: it is done when the folder is gone.
install_gone() { [[ ! -e $installed ]]; }
poll 30 install_gone || fail "still installed: $(find "$installed" | head -n 5)"
[[ ! -e $WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Tolvy\ Sarnavel.lnk ]] ||
    fail "the Start-menu shortcut is left"
if tolvy_wine reg query "$uninstallKey" >/dev/null 2>&1; then
    fail "the program is still registered in Add/Remove Programs"
fi
tolvy_wine reg export "$settingsKey" "$(tolvy_windows_path "$settingsFile")" /y >/dev/null 2>&1 ||
    fail "the settings went with the program"
cmp -s "$settingsFile" "$work/settings-before-uninstall.reg" || fail "the uninstaller changed the settings"

step "an install into a folder named with /D= moves the earlier one there"
run_code setup-default "$(tolvy_windows_path "$setup")" /S
((code == 0)) || fail "the installer ended with $code"
[[ -f $installed/tolvy-sarnavel.exe ]] || fail "nothing under $installDir"
movedDir='C:\Tolvy Elsewhere'
run_line setup-moved "\"$(tolvy_windows_path "$setup")\" /S /D=$movedDir"
((code == 0)) || fail "the installer with /D= ended with $code"
diff -r "$deploy" "$(unix_path "$movedDir")" -x uninstall.exe >"$work/install.diff" ||
    fail "the moved install differs from the deploy folder: $(head -n 5 "$work/install.diff")"
[[ ! -e $installed ]] || fail "the earlier install is left: $(find "$installed" | head -n 3)"
location=$(reg_value "$uninstallKey" InstallLocation) || fail "not registered after the move"
[[ $location == "$movedDir" ]] || fail "registered in '$location', not '$movedDir'"

step "an install for the current user beside it: its folder, HKCU entry and shortcut, no elevation"
run_code setup-user "$(tolvy_windows_path "$setup")" /S /CurrentUser
((code == 0)) || fail "the installer for the current user ended with $code"
userDir=$(reg_value "$userUninstallKey" InstallLocation) || fail "no $userUninstallKey"
[[ $userDir == *'\AppData\Local\Programs\Tolvy Sarnavel' ]] || fail "installed for the user in '$userDir'"
diff -r "$deploy" "$(unix_path "$userDir")" -x uninstall.exe >"$work/install.diff" ||
    fail "the user's install differs from the deploy folder: $(head -n 5 "$work/install.diff")"
userShortcuts=("$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Tolvy\ Sarnavel.lnk)
[[ -f ${userShortcuts[0]} ]] || fail "no shortcut in the user's Start menu"
[[ $(reg_value "$userUninstallKey" UninstallString) == "\"$userDir\\uninstall.exe\"" ]] ||
    fail "the user's entry names another uninstaller"
[[ $(reg_value "$uninstallKey" InstallLocation) == "$movedDir" ]] || fail "the install for all users changed"

step "each uninstaller removes its own install and leaves the other and the settings"
uninstall_waiting "$userDir"
[[ ! -e $(unix_path "$userDir") && ! -e ${userShortcuts[0]} ]] || fail "the user's install is left"
! tolvy_wine reg query "$userUninstallKey" >/dev/null 2>&1 || fail "the user's entry is left"
[[ -f $(unix_path "$movedDir")/tolvy-sarnavel.exe ]] || fail "the install for all users went too"
uninstall_waiting "$movedDir"
[[ ! -e $(unix_path "$movedDir") ]] || fail "the moved install is left"
! tolvy_wine reg query "$uninstallKey" >/dev/null 2>&1 || fail "the entry for all users is left"
tolvy_wine reg export "$settingsKey" "$(tolvy_windows_path "$settingsFile")" /y >/dev/null 2>&1 ||
    fail "the settings went"
cmp -s "$settingsFile" "$work/settings-before-uninstall.reg" || fail "the settings changed"

passed=true
elapsed=$((($(now_us) - ${started/./}) / 1000))
echo "Session under Wine passed: ${#expected[@]} addresses checked, in $((elapsed / 1000)) s."
