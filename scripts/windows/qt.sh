#!/usr/bin/env bash
# shellcheck shell=bash
# Qt for Windows, built once from Debian's own source package of the Qt we build against and kept
# in a per-user cache. Sourced by scripts/windows.sh; prints nothing on a cache hit but its path.
#
# tolvy_qt_windows: sets TOLVY_QT_WINDOWS to the installed Qt's prefix, building it first when the
# cache has none for this source and these options.

TOLVY_QT_SOURCE_PACKAGE=qt6-base
# shellcheck disable=SC2034 # installed by scripts/windows.sh, which sources this file
TOLVY_QT_WINDOWS_PACKAGES=(dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools ninja-build cmake)

# Only what the program and its tests load: every module and feature off that they never use.
# Debian's source lacks the wintab and iaccessible2 sources, hence no tablet events; without
# OpenGL the dynamic GL loader has nothing to load. The program reads its own pictures, and Qt's
# own icons are PNG, which Qt reads itself, so no image format plug-in is built.
TOLVY_QT_WINDOWS_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_icu=OFF -DFEATURE_openssl=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_png=ON
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
)

tolvy_qt_cache_root() { printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/tolvy-sarnavel/qt-windows"; }

# A private apt configuration that knows the source index of the suites the machine already
# uses: the machine's own sources stay as they are.
tolvy_private_apt()
{
    local root=$1
    mkdir -p "$root/lists/partial" "$root/archives/partial" "$root/sources.list.d"
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        sed -e 's/^Types:.*/Types: deb-src/' "$file" >"$root/sources.list.d/$(basename "$file")"
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n -e 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$root/sources.list"
    else
        : >"$root/sources.list"
    fi
    TOLVY_APT=(apt-get -q
        -o Dir::Etc::SourceList="$root/sources.list"
        -o Dir::Etc::SourceParts="$root/sources.list.d"
        -o Dir::State::Lists="$root/lists"
        -o Dir::Cache::Archives="$root/archives"
        -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
        -o APT::Get::Only-Source=true -o APT::Sandbox::User=root)
}

# The version of Qt the host tools are: the Windows build must be the same source.
tolvy_qt_host_version() { dpkg-query -W -f='${source:Version}' qt6-base-dev; }

tolvy_qt_windows()
{
    local cacheRoot version
    cacheRoot=$(tolvy_qt_cache_root)
    version=$(tolvy_qt_host_version)
    # Each Qt version has a work folder of its own: two builds may run side by side.
    local work="$cacheRoot/work-$version"
    mkdir -p "$work"
    tolvy_private_apt "$work/apt"

    # The key: the source as Debian signs it (the .dsc's own checksum) and the options.
    local dscHash
    dscHash=$("${TOLVY_APT[@]}" --print-uris source "$TOLVY_QT_SOURCE_PACKAGE=$version" 2>/dev/null |
        awk '/\.dsc'"'"'/ {print $4}' | head -n1) || true
    if [[ -z $dscHash ]]; then
        echo "Reading the source index (private apt configuration)..."
        "${TOLVY_APT[@]}" update >/dev/null
        dscHash=$("${TOLVY_APT[@]}" --print-uris source "$TOLVY_QT_SOURCE_PACKAGE=$version" |
            awk '/\.dsc'"'"'/ {print $4}' | head -n1)
    fi
    [[ -n $dscHash ]] || { echo "No source package $TOLVY_QT_SOURCE_PACKAGE $version found." >&2; return 1; }
    local key
    key=$(printf '%s\n' "$dscHash" "${TOLVY_QT_WINDOWS_OPTIONS[@]}" "$(cat "$TOLVY_ROOT/scripts/windows/mingw.cmake")" |
        sha256sum | cut -c1-16)
    TOLVY_QT_WINDOWS="$cacheRoot/$version-$key"
    if [[ -f $TOLVY_QT_WINDOWS/.complete ]]; then
        echo "Qt for Windows from the cache: $TOLVY_QT_WINDOWS"
        return 0
    fi

    tolvy_say "Qt for Windows: not in the cache yet. The first build takes 20 to 40 minutes on two cores."
    local src="$work/source"
    rm -rf "$src" && mkdir -p "$src"
    # apt-get source checks the files against the signed index and extracts them with Debian's
    # patches applied.
    (cd "$src" && "${TOLVY_APT[@]}" source "$TOLVY_QT_SOURCE_PACKAGE=$version")
    local tree
    tree=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base*' | head -n1)
    [[ -n $tree ]] || { echo "The source did not unpack." >&2; return 1; }

    local build="$work/build"
    rm -rf "$build" "$TOLVY_QT_WINDOWS"
    local start=$SECONDS
    cmake -S "$tree" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOLVY_ROOT/scripts/windows/mingw.cmake" \
        -DCMAKE_INSTALL_PREFIX="$TOLVY_QT_WINDOWS" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "${TOLVY_QT_WINDOWS_OPTIONS[@]}" >"$work/configure.log" ||
        { tail -n 40 "$work/configure.log" >&2; return 1; }
    cmake --build "$build" --parallel "$TOLVY_JOBS" >"$work/build.log" ||
        { tail -n 40 "$work/build.log" >&2; return 1; }
    cmake --install "$build" >/dev/null
    # What the notices of a program that ships this Qt are made from, kept before the source goes.
    ninja -C "$build" -t deps | python3 "$TOLVY_ROOT/scripts/windows/notices.py" keep \
        "$tree" "$build" "$TOLVY_QT_WINDOWS/share/source-notices"
    touch "$TOLVY_QT_WINDOWS/.complete"
    echo "Qt for Windows built in $((SECONDS - start)) s: $TOLVY_QT_WINDOWS ($(du -sh "$TOLVY_QT_WINDOWS" | cut -f1))"
    rm -rf "$build" "$src"
}
