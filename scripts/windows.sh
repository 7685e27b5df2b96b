#!/usr/bin/env bash
# Builds the Windows program on Linux: Qt for Windows from Debian 13's source of Qt 6.8 (once, then
# from the user's cache), the program cross-compiled into build-windows/, the folder of everything it loads
# at run time (build-windows/deploy/), its installer and a portable zip of that folder.
#
#   scripts/windows.sh [--check] [--screenshots]
#
# --check also runs the Windows checks under Wine, on a private display with a window manager and
# in one fresh Wine prefix: the QtTest programs (tests/wine/qtests.sh) and a whole session of the
# installed program (tests/wine/session.sh), which installs, drives and uninstalls it.
# --screenshots takes that session's pictures of the four windows into docs/screenshots/windows/
# (implies --check). Exits non-zero when any step fails.
#
# The executable, the DLLs, the installer and its uninstaller are signed when TOLVY_SIGN_PKCS12
# names a PKCS#12 file and TOLVY_SIGN_PASSWORD gives its password (scripts/windows/sign.sh);
# without one the build is unsigned, and --check signs with a throw-away certificate of its own.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/windows/qt.sh
source "$TOLVY_ROOT/scripts/windows/qt.sh"

arguments=("$@")
check=false
screenshots=false
while (($# > 0)); do
    case $1 in
    --check) check=true ;;
    --screenshots) check=true screenshots=true ;;
    *)
        echo "usage: $0 [--check] [--screenshots]" >&2
        exit 2
        ;;
    esac
    shift
done

WINDOWS_PACKAGES=(nsis zip python3 osslsigncode openssl)
WINDOWS_CHECK_PACKAGES=(wine wine64 fonts-wine xvfb xauth openbox xdotool x11-utils x11-xserver-utils xclip imagemagick
    python3-pefile)

build="$TOLVY_ROOT/build-windows"
deploy="$build/deploy"

# Qt for Windows is Debian 13's Qt 6.8, built with Debian 13's MinGW-w64 and its own Qt 6.8 host
# tools: elsewhere the build, and the QtTests under Debian 13's Wine 10, run in the Debian 13 root.
# The installed session then runs here, under this machine's Wine: under Wine 10 a window shown
# again after a hidden one does not get the keyboard focus from openbox, the Qt 6.4 program's
# as much as ours.
if [[ $(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release 2>/dev/null) != trixie ]]; then
    status=0
    bash "$TOLVY_ROOT/scripts/debian13.sh" -- env TOLVY_WINDOWS_SESSION=outside \
        bash scripts/windows.sh "${arguments[@]}" || status=$?
    if ((status != 0)) || ! $check; then exit "$status"; fi
    tolvy_say "Packages for the installed session"
    tolvy_install_packages "${WINDOWS_CHECK_PACKAGES[@]}"
    for name in TOLVY_FORUM_HOST TOLVY_HELP_HOST TOLVY_PRODUCT_HOST; do
        export "$name=$(tolvy_cache_value "$build" "$name")"
    done
    if [[ -z ${TOLVY_SIGN_PKCS12:-} ]]; then
        export TOLVY_SIGN_PKCS12="$build/throwaway-signing/signer.p12" TOLVY_SIGN_CA="$build/throwaway-signing/ca.pem"
    fi
    # The Qt source the notices must name: the one the build's Qt for Windows was made from.
    TOLVY_QT_SOURCE_VERSION=$(tolvy_cache_value "$build" CMAKE_TOOLCHAIN_FILE |
        sed -n 's#.*/qt-windows/\([^/]*\)-[0-9a-f]\{16\}/.*#\1#p')
    export TOLVY_QT_SOURCE_VERSION
    shots=()
    ! $screenshots || shots=(--shots "$TOLVY_ROOT/docs/screenshots/windows")
    setup=$(find "$build" -maxdepth 1 -name 'tolvy-sarnavel-*-setup.exe' | head -n 1)
    tolvy_step "Installed program under Wine" bash "$TOLVY_ROOT/tests/wine/session.sh" "${shots[@]}" "$setup" "$deploy"
    tolvy_say "Windows checks"
    tolvy_step_report || exit 1
    exit 0
fi

triple=x86_64-w64-mingw32
started=$SECONDS


tolvy_say "Packages"
packages=("${TOLVY_QT_WINDOWS_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}")
! $check || packages+=("${WINDOWS_CHECK_PACKAGES[@]}")
tolvy_install_packages "${packages[@]}"

tolvy_say "Qt for Windows"
tolvy_qt_windows

tolvy_say "Cross-compile ($build)"
buildStart=$SECONDS
# A folder configured with another Qt for Windows starts again.
if [[ -f $build/CMakeCache.txt && $(tolvy_cache_value "$build" CMAKE_TOOLCHAIN_FILE) != "$TOLVY_QT_WINDOWS"/* ]]; then
    echo "Configured with another Qt: $(tolvy_cache_value "$build" CMAKE_TOOLCHAIN_FILE); configuring anew."
    rm -rf "$build"
fi
if [[ ! -f $build/CMakeCache.txt ]]; then
    # The toolchain is named again so that the cache's Qt works wherever this clone lies.
    "$TOLVY_QT_WINDOWS/bin/qt-cmake" -S "$TOLVY_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOLVY_ROOT/scripts/windows/mingw.cmake" \
        -DTOLVY_BUILD_TESTS=ON -DTOLVY_BUILD_BENCH=OFF
fi
tolvy_compile "$build"
echo "Built in $((SECONDS - buildStart)) s."

# --- deploy ---------------------------------------------------------------------------------

tolvy_say "Deploy ($deploy)"
# The plug-ins Qt loads by name rather than by import: the platform and the styles Qt chooses on
# Windows (Vista's, and on Windows 11 its own, both in one plug-in). No image format plug-in: the
# program reads its own pictures, and Qt its PNG icons.
plugins=(platforms/qwindows.dll styles/qmodernwindowsstyle.dll)
# Where a DLL that is not Windows' own comes from: Qt, then the compiler's posix runtime.
runtimeFolders=("$TOLVY_QT_WINDOWS/bin")
for library in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    runtimeFolders+=("$(dirname "$(realpath "$("$triple-g++-posix" -print-file-name="$library")")")")
done
# Windows' own DLLs, as Wine provides them: imported, never shipped.
wineSystem=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows

imports() { "$triple-objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r'; }

# find_runtime <name>: the file of a DLL we ship, matched without regard to case as Windows does.
find_runtime()
{
    local folder found
    for folder in "${runtimeFolders[@]}"; do
        found=$(find "$folder" -maxdepth 1 -iname "$1" -print -quit)
        [[ -z $found ]] || { printf '%s\n' "$found"; return 0; }
    done
    return 1
}

rm -rf "$deploy"
mkdir -p "$deploy"
cp "$build/tolvy-sarnavel.exe" "$deploy/"
for plugin in "${plugins[@]}"; do
    mkdir -p "$deploy/$(dirname "$plugin")"
    cp "$TOLVY_QT_WINDOWS/plugins/$plugin" "$deploy/$plugin"
done
# Everything the executable and the plug-ins import, and what that imports in turn.
declare -A shipped=()
queue=("$deploy/tolvy-sarnavel.exe")
for plugin in "${plugins[@]}"; do queue+=("$deploy/$plugin"); done
while ((${#queue[@]} > 0)); do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r name; do
        key=${name,,}
        [[ -z ${shipped[$key]:-} ]] || continue
        if source=$(find_runtime "$name"); then
            shipped[$key]=$name
            cp "$source" "$deploy/$(basename "$source")"
            queue+=("$deploy/$(basename "$source")")
        elif [[ -n $(find "$wineSystem" -maxdepth 1 -iname "$name" -print -quit) || ${key} == api-ms-win-* ]]; then
            shipped[$key]=system
        else
            echo "$(basename "$file") imports $name, which is neither ours nor Windows' own." >&2
            exit 1
        fi
    done < <(imports "$file")
done
find "$deploy" -name '*.dll' -exec "$triple-strip" --strip-unneeded {} +
"$triple-strip" --strip-all "$deploy/tolvy-sarnavel.exe"

# What the folder ships of others', with their licenses, from what was built: the Qt targets of
# the DLLs and the entry point linked into the executable, and the compiler's run-time DLLs.
mapfile -t qtFiles < <(cd "$deploy" && find . \( -name 'Qt6*.dll' -o -path './*/*.dll' \) | sed 's#^\./##' | LC_ALL=C sort)
runtime=()
for name in "${shipped[@]}"; do
    [[ $name == system || $name == Qt6* ]] || runtime+=("$(find_runtime "$name")")
done
python3 "$TOLVY_ROOT/scripts/windows/notices.py" write "$TOLVY_QT_WINDOWS/share/source-notices" \
    "$deploy/THIRD-PARTY-NOTICES.txt" --qt-version "$(tolvy_qt_host_version)" \
    --options "${TOLVY_QT_WINDOWS_OPTIONS[*]}" \
    --system "Debian $(sed -n 's/^VERSION_ID="\?\([0-9]*\).*/\1/p' /etc/os-release)" \
    --targets Core,Gui,Widgets,EntryPointImplementation,QWindowsIntegrationPlugin,QModernWindowsStylePlugin \
    --dlls "${qtFiles[@]}" \
    --runtime "${runtime[@]}"

signer="$TOLVY_ROOT/scripts/windows/sign.sh"
if [[ -z ${TOLVY_SIGN_PKCS12:-} ]] && $check; then
    # The checks prove the signing step with a certificate of their own; a release names its own.
    bash "$signer" --throwaway "$build/throwaway-signing"
    export TOLVY_SIGN_PKCS12="$build/throwaway-signing/signer.p12"
    TOLVY_SIGN_PASSWORD=$(cat "$build/throwaway-signing/password")
    export TOLVY_SIGN_PASSWORD TOLVY_SIGN_CA="$build/throwaway-signing/ca.pem"
fi
mapfile -t binaries < <(find "$deploy" -name '*.exe' -o -name '*.dll' | LC_ALL=C sort)
bash "$signer" "${binaries[@]}"
(cd "$deploy" && find . -type f | sed 's#^\./##' | LC_ALL=C sort | while read -r file; do
    printf '  %-40s %6d KiB\n' "$file" $(($(stat -c %s "$file") / 1024))
done)
echo "Deploy folder: $(du -sk "$deploy" | cut -f1) KiB in $(find "$deploy" -type f | wc -l) files."

# --- installer and zip ----------------------------------------------------------------------

version=$(tolvy_cache_value "$build" CMAKE_PROJECT_VERSION)
productHost=$(tolvy_cache_value "$build" TOLVY_PRODUCT_HOST)
setup="$build/tolvy-sarnavel-$version-setup.exe"
zipFile="$build/tolvy-sarnavel-$version-windows.zip"

tolvy_say "Installer ($setup)"
# The file lists of the installer and the uninstaller, from the deploy folder.
files="$build/installer-files.nsh"
{
    echo '!macro TOLVY_INSTALL_FILES'
    (cd "$deploy" && find . -type d | sed 's#^\./\?##' | LC_ALL=C sort) | while read -r folder; do
        winFolder=${folder//\//\\}
        echo "    SetOutPath \"\$INSTDIR${winFolder:+\\$winFolder}\""
        find "$deploy/$folder" -mindepth 1 -maxdepth 1 -type f | LC_ALL=C sort | while read -r file; do
            echo "    File \"$file\""
        done
    done
    echo '!macroend'
    echo '!macro TOLVY_REMOVE_FILES'
    (cd "$deploy" && find . -type f | sed 's#^\./##' | LC_ALL=C sort) | while read -r file; do
        echo "    Delete \"\$INSTDIR\\${file//\//\\}\""
    done
    (cd "$deploy" && find . -mindepth 1 -type d | sed 's#^\./##' | LC_ALL=C sort -r) | while read -r folder; do
        echo "    RMDir \"\$INSTDIR\\${folder//\//\\}\""
    done
    echo '!macroend'
} >"$files"
rm -f "$setup"
signing=()
[[ -z ${TOLVY_SIGN_PKCS12:-} ]] || signing=(-DSIGN="bash $signer")
# Who the program is, and the mutex it holds while it runs, as the build names them.
makensis -V2 -NOCD -DVERSION="$version" -DPRODUCT_HOST="$productHost" -DFILES="$files" \
    -DICON="$TOLVY_ROOT/assets/tolvy-sarnavel.ico" -DOUTFILE="$setup" \
    -DNAME="$(tolvy_cache_value "$build" TOLVY_TITLE)" -DPUBLISHER="$(tolvy_cache_value "$build" TOLVY_PUBLISHER)" \
    -DEXECUTABLE="$(tolvy_cache_value "$build" TOLVY_EXECUTABLE)" \
    -DINSTANCE_MUTEX="$(tolvy_cache_value "$build" TOLVY_INSTANCE_MUTEX)" "${signing[@]}" \
    "$TOLVY_ROOT/packaging/windows/tolvy-sarnavel.nsi"
chmod 755 "$setup"
echo "Installer: $(($(stat -c %s "$setup") / 1024)) KiB."

tolvy_say "Portable zip ($zipFile)"
rm -f "$zipFile"
# One folder inside, so that unpacking does not scatter the files.
zipRoot="$build/zip/tolvy-sarnavel-$version"
rm -rf "$build/zip"
mkdir -p "$(dirname "$zipRoot")"
cp -r "$deploy" "$zipRoot"
(cd "$build/zip" && zip -q -r -X -9 "$zipFile" "tolvy-sarnavel-$version")
rm -rf "$build/zip"
echo "Zip: $(($(stat -c %s "$zipFile") / 1024)) KiB."

if ! $check; then
    echo "Done in $((SECONDS - started)) s."
    exit 0
fi

# --- checks under Wine ----------------------------------------------------------------------

# The addresses the checks expect use the hosts this build was configured with.
for name in TOLVY_FORUM_HOST TOLVY_HELP_HOST TOLVY_PRODUCT_HOST; do
    export "$name=$(tolvy_cache_value "$build" "$name")"
done

# One display with a window manager and one fresh Wine prefix for all of them: making a prefix
# takes about 20 s.
# shellcheck source=scripts/xvfb.sh
source "$TOLVY_ROOT/scripts/xvfb.sh"
# shellcheck source=scripts/windows/wine.sh
source "$TOLVY_ROOT/scripts/windows/wine.sh"
wineWork=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-windows.XXXXXX")
# shellcheck disable=SC2016 # expanded when the script ends
tolvy_on_exit 'rm -rf "$wineWork"'
tolvy_on_exit tolvy_stop_xvfb
tolvy_on_exit tolvy_wine_stop
tolvy_say "Display and Wine prefix"
tolvy_start_xvfb "$wineWork"
tolvy_start_window_manager "$wineWork"
prefixStart=$SECONDS
tolvy_wine_prefix "$wineWork"
echo "Fresh prefix in $((SECONDS - prefixStart)) s."

tolvy_step "QtTest programs under Wine" bash "$TOLVY_ROOT/tests/wine/qtests.sh" "$build"
shots=()
! $screenshots || shots=(--shots "$TOLVY_ROOT/docs/screenshots/windows")
if [[ ${TOLVY_WINDOWS_SESSION:-} == outside ]]; then
    echo "The installed session runs outside the root, under the machine's Wine."
else
    tolvy_step "Installed program under Wine" bash "$TOLVY_ROOT/tests/wine/session.sh" "${shots[@]}" "$setup" "$deploy"
fi

tolvy_say "Windows checks"
tolvy_step_report || exit 1
