#!/usr/bin/env bash
# Builds the Debian package and proves it: validates the desktop entry and the AppStream
# metadata, checks the installed layout, builds the .deb with its computed dependencies, then
# installs it, starts the installed program on a virtual display, sees its main window, ends it
# through its own Exit, and removes the package again.
#
#   scripts/package.sh [--no-install] [--build DIR]
#   scripts/package.sh --deb FILE     only installs that package, starts and ends its program,
#                                     and removes it again (a package built on another system)
#
# The install step changes the system (apt-get install, then dpkg -r): it runs as root, which
# CI and a throwaway machine are. --no-install, or a run without root, checks the package
# without installing it: apt resolves its dependencies in simulation and the program is
# started from the unpacked package instead. The package is left in the build folder.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

build="$TOLVY_BUILDS/build-pkg"
install=1
givenDeb=
while (($# > 0)); do
    case $1 in
    --no-install) install=0 ;;
    --deb)
        givenDeb=$(realpath "$2")
        shift
        ;;
    --build)
        build=$2
        shift
        ;;
    *)
        echo "usage: $0 [--no-install] [--build DIR] | --deb FILE" >&2
        exit 2
        ;;
    esac
    shift
done
if ((install)) && [[ $(id -u) -ne 0 ]]; then
    echo "Not root: the package is checked without installing it." >&2
    install=0
fi

TOLVY_PACKAGE_PACKAGES=(desktop-file-utils appstream dpkg-dev lintian file xvfb x11-utils xdotool)

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# start_and_end <program> <home>: starts the program on a virtual display with a fresh home,
# waits for its main window, then ends it the way a user does: File > Exit, then Exit in the
# refer-a-friend window.
start_and_end() {
    local program=$1 home=$2
    rm -rf "$home"
    tolvy_scratch_session "$home"
    tolvy_start_xvfb "$home" || return 1
    # shellcheck disable=SC2016 # expanded by the inner shell
    env "${TOLVY_SESSION_ENV[@]}" QT_QPA_PLATFORM=xcb PROGRAM="$program" CAPTION="$caption" \
        timeout 120 bash -c '
            set -u
            "$PROGRAM" >"$HOME/program.log" 2>&1 &
            pid=$!
            main=$(timeout 30 xdotool search --sync --onlyvisible --name "$CAPTION" | head -n 1)
            if [[ -z $main ]]; then
                echo "The main window did not appear within 30 s." >&2
                kill "$pid" 2>/dev/null; cat "$HOME/program.log" >&2; exit 1
            fi
            echo "Main window $main is up: $(xwininfo -id "$main" | grep -E "Width|Height" | tr -s " " | tr "\n" " ")"
            # File > Exit; on a busy machine the menu may open late, so try again, waiting longer.
            shown=
            for attempt in 1 2 3; do
                xdotool windowfocus --sync "$main"
                xdotool key --clearmodifiers alt+f
                sleep "0.$((attempt * 3))"
                xdotool key x
                # The main window makes way for the refer-a-friend window, whose Exit has the focus.
                for _ in $(seq 50); do
                    shown=$(xdotool search --onlyvisible --name "$CAPTION" | grep -vx "$main" | head -n 1 || true)
                    [[ -n $shown ]] && break 2
                    sleep 0.1
                done
                xdotool key Escape
            done
            if [[ -z $shown ]]; then
                echo "File > Exit did not lead to the refer-a-friend window." >&2
                kill "$pid" 2>/dev/null; exit 1
            fi
            echo "Refer-a-friend window $shown is up; pressing its Exit."
            xdotool windowfocus --sync "$shown"
            xdotool key --clearmodifiers Return
            timeout 10 tail --pid="$pid" -s 0.1 -f /dev/null || true
            if kill -0 "$pid" 2>/dev/null; then
                echo "The program did not end through its Exit." >&2
                kill "$pid"; exit 1
            fi
            wait "$pid"
            status=$?
            echo "The program ended with status $status."
            exit "$status"
        '
    local status=$?
    tolvy_stop_xvfb
    return "$status"
}

# install_start_remove <package>: installs it with apt, starts the installed program as a desktop's
# menu does, ends it, and removes the package again.
install_start_remove()
{
    local deb=$1 command program
    tolvy_say "Install with apt (dependencies resolved), start, remove"
    env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" </dev/null ||
        fail "apt-get install"
    dpkg -s tolvy-sarnavel | grep -E '^(Status|Version|Depends)'
    [[ -f /usr/share/icons/hicolor/48x48/apps/tolvy-sarnavel.png ]] || fail "the icon is not in the theme"
    # Exactly what a desktop's menu runs.
    command=$(sed -n 's/^Exec=//p' /usr/share/applications/tolvy-sarnavel.desktop)
    program=$(command -v "$command") || fail "Exec=$command is not on PATH"
    [[ $program == /usr/bin/tolvy-sarnavel ]] || fail "Exec=$command runs $program"
    start_and_end "$program" "$scratch" || fail "the installed program"
    env DEBIAN_FRONTEND=noninteractive dpkg -r tolvy-sarnavel || fail "dpkg -r"
    [[ ! -e /usr/bin/tolvy-sarnavel && ! -e /usr/share/applications/tolvy-sarnavel.desktop ]] ||
        fail "files were left behind by dpkg -r"
    echo "Removed again."
}

scratch="$build/package-check"
if [[ -n $givenDeb ]]; then
    ((install)) || { echo "Installing $givenDeb needs root." >&2; exit 1; }
    tolvy_say "Packages"
    tolvy_install_packages xvfb x11-utils xdotool
    # The build that made the package names its windows' caption.
    caption=$(tolvy_caption_pattern "$(dirname "$givenDeb")") ||
        { echo "No build beside $givenDeb says its caption." >&2; exit 1; }
    install_start_remove "$givenDeb"
    ((failures == 0)) || { echo "$failures check(s) FAILED." >&2; exit 1; }
    echo "Package $(basename "$givenDeb") installs, starts, ends and is removed again."
    exit 0
fi

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" "${TOLVY_PACKAGE_PACKAGES[@]}"

tolvy_say "Configure and build ($build)"
# Without precompiled headers, as a distribution builds it: every file must name what it uses.
tolvy_configure "$build" Release -DCMAKE_INSTALL_PREFIX=/usr -DTOLVY_BUILD_TESTS=OFF -DTOLVY_BUILD_BENCH=OFF \
    -DTOLVY_PCH=OFF
tolvy_compile "$build" tolvy-sarnavel
caption=$(tolvy_caption_pattern "$build")

tolvy_say "Desktop entry and AppStream metadata"
desktop-file-validate "$TOLVY_ROOT/packaging/tolvy-sarnavel.desktop" || fail "desktop-file-validate"
echo "desktop-file-validate: no complaints."
# The metadata carries the product site the build was configured with.
metainfo=$build/example.veldrane.tolvy_sarnavel.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"

tolvy_say "Installed layout"
stage="$build/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" >/dev/null
expected=(
    usr/bin/tolvy-sarnavel
    usr/share/applications/tolvy-sarnavel.desktop
    usr/share/icons/hicolor/scalable/apps/tolvy-sarnavel.svg
    "usr/share/metainfo/$(basename "$metainfo")"
    usr/share/man/man6/tolvy-sarnavel.6.gz
    usr/share/doc/tolvy-sarnavel/copyright
    usr/share/doc/tolvy-sarnavel/changelog.Debian.gz
)
for size in 16 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tolvy-sarnavel.png")
    actual=$(file -b "$stage/usr/share/icons/hicolor/${size}x${size}/apps/tolvy-sarnavel.png")
    [[ $actual == "PNG image data, $size x $size,"* ]] || fail "icon ${size}x${size} is: $actual"
done
for file in "${expected[@]}"; do
    [[ -f $stage/$file ]] || fail "not installed: /$file"
done
unexpected=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[[ -z $unexpected ]] || fail "installed but not expected: $unexpected"
echo "${#expected[@]} files installed where they belong."
desktop-file-validate "$stage/usr/share/applications/tolvy-sarnavel.desktop" || fail "installed desktop entry"
appstreamcli validate-tree --no-net --pedantic "$stage" || fail "appstreamcli validate-tree"

tolvy_say "Debian package"
rm -f "$build"/tolvy-sarnavel_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tolvy-sarnavel_*.deb)
dpkg-deb --info "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || fail "the computed dependencies are missing: '$depends'"
# Debian's own package checker: errors fail the check; warnings about uploading to the
# distribution's archive (bugs the first upload closes and the like) are shown, not held against it.
lintian_report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[[ -z $lintian_report ]] || echo "$lintian_report"
if grep -q '^E: ' <<<"$lintian_report"; then
    fail "lintian found errors"
else
    echo "lintian: no errors."
fi
contents=$(dpkg-deb --contents "$deb")
[[ $contents == *" ./usr/bin/tolvy-sarnavel"$'\n'* ]] || fail "the package lacks the program"

if ((install)); then
    install_start_remove "$deb"
else
    tolvy_say "Dependencies (simulated install), start from the unpacked package"
    if simulation=$(apt-get install --simulate -q --no-install-recommends "$deb" </dev/null); then
        grep -E 'newly installed' <<<"$simulation"
        grep -E '^Inst ' <<<"$simulation" || true
    else
        echo "$simulation" >&2
        fail "apt cannot satisfy the dependencies"
    fi
    rm -rf "$scratch"
    mkdir -p "$scratch/root"
    dpkg-deb -x "$deb" "$scratch/root"
    start_and_end "$scratch/root/usr/bin/tolvy-sarnavel" "$scratch/home" || fail "the unpacked program"
fi

tolvy_say "Summary"
if ((failures > 0)); then
    echo "$failures check(s) FAILED." >&2
    exit 1
fi
if ((install)); then
    echo "Package $(basename "$deb") is valid, installs, starts, ends and is removed again."
else
    echo "Package $(basename "$deb") is valid and its program starts and ends (not installed: --no-install)."
fi
