#!/usr/bin/env bash
# Debian 13 (trixie, Qt 6.8) beside the Debian 12 this runs on: a root made with mmdebstrap from
# the Debian mirror the machine uses, with the packages the project's own scripts declare for
# what runs in it, kept in the user's cache under a key of that list and made anew when the list
# changes. Each run gets a fresh overlay on it, in mount and process namespaces of its own, so
# that whatever happens, no mount, process or change outlives the run.
#
#   scripts/debian13.sh [--debian12 DEB]   the checks: the Debian 12 package (DEB, else built
#                                          now by scripts/package.sh) installed and started in
#                                          the root, then the test command's build, tests, e2e,
#                                          a11y and package stages run there
#   scripts/debian13.sh -- COMMAND...      runs the command in the root, in this clone
#
# The builds in the root go into build-debian13/ of the clone; the clone, the Qt for Windows cache
# and the root's compiler cache are the same folders inside as outside. Needs root.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

suite=trixie
# The test command's stages that run in the root.
rootStages=(build tests e2e a11y package)
cacheBase=${XDG_CACHE_HOME:-$HOME/.cache}
cacheDir="$cacheBase/tolvy-sarnavel/debian13"

# root_packages: what the scripts run in the root install, each from the list it declares.
root_packages()
{
    {
        printf '%s\n' "${TOLVY_BUILD_PACKAGES[@]}" "${TOLVY_TEST_PACKAGES[@]}"
        tolvy_declared_packages scripts/package.sh TOLVY_PACKAGE_PACKAGES
        tolvy_declared_packages tests/a11y/run.sh A11Y_PACKAGES
        tolvy_declared_packages scripts/windows/qt.sh TOLVY_QT_WINDOWS_PACKAGES
        tolvy_declared_packages scripts/windows.sh WINDOWS_PACKAGES
        tolvy_declared_packages scripts/windows.sh WINDOWS_CHECK_PACKAGES
        tolvy_declared_packages tests/wine/qtests.sh QTESTS_PACKAGES
    } | LC_ALL=C sort -u
}

# root_sources [etc folder]: the machine's Debian mirrors (in /etc) with its release's suites as
# Debian 13's, one-line style; Debian's own mirror when the machine names none.
root_sources()
{
    local etc=${1:-/etc} codename file
    codename=$(sed -n 's/^VERSION_CODENAME=//p' "$etc/os-release" 2>/dev/null)
    {
        for file in "$etc"/apt/sources.list.d/*.sources; do
            [[ -f $file ]] && cat "$file" && echo
        done | awk '
            function flush(   n, i, s) {
                if (types ~ /(^| )deb( |$)/ && uris != "") {
                    n = split(suites, list, " ")
                    for (i = 1; i <= n; i++) print "deb " uris " " list[i] " " components
                }
                types = uris = suites = components = ""
            }
            /^[[:space:]]*$/ { flush(); next }
            /^#/ { next }
            /^Types:/ { sub(/^Types:[[:space:]]*/, ""); types = $0 }
            /^URIs:/ { uris = $2 }
            /^Suites:/ { sub(/^Suites:[[:space:]]*/, ""); suites = $0 }
            /^Components:/ { sub(/^Components:[[:space:]]*/, ""); components = $0 }
            END { flush() }'
        [[ ! -f $etc/apt/sources.list ]] || grep -E '^deb[[:space:]]' "$etc/apt/sources.list" | sed 's/\[[^]]*\] *//'
    } | awk -v from="$codename" -v to="$suite" 'from != "" && ($3 == from || index($3, from "-") == 1) {
            sub("^" from, to, $3); if (!seen[$0]++) print }' | grep . ||
        echo "deb http://deb.debian.org/debian $suite main"
}

# make_root: sets `root` to the root for today's list, making it first when the cache has none.
make_root()
{
    local -a packages sources
    local list
    list=$(root_packages) || return 1
    mapfile -t packages <<<"$list"
    mapfile -t sources < <(root_sources /etc)
    local key
    key=$(printf '%s\n' "$suite" "${packages[@]}" "${sources[@]}" | sha256sum | cut -c1-16)
    root="$cacheDir/root-$key"
    if [[ -f $root/.complete ]]; then
        echo "Debian 13 root from the cache: $root"
        return 0
    fi
    tolvy_say "Debian 13 root: ${#packages[@]} packages from ${sources[0]#deb } and the rest"
    printf '    %s\n' "${sources[@]}"
    rm -rf "$root.partial"
    mkdir -p "$cacheDir"
    local start=$SECONDS
    mmdebstrap --variant=apt --include="$(IFS=,; echo "${packages[*]}")" "$suite" "$root.partial" \
        "${sources[@]}" >"$cacheDir/mmdebstrap.log" 2>&1 ||
        { tail -n 30 "$cacheDir/mmdebstrap.log" >&2; rm -rf "$root.partial"; return 1; }
    touch "$root.partial/.complete"
    mv "$root.partial" "$root"
    echo "Made in $((SECONDS - start)) s: $root ($(du -sh "$root" | cut -f1))"
    # The roots of other lists go, but for one a run still uses (it holds a lock on it).
    local old
    for old in "$cacheDir"/root-*; do
        [[ $old == "$root" ]] && continue
        if [[ ! -f $old/.complete ]] || flock -n -x "$old/.complete" true; then
            rm -rf "$old"
        else
            echo "Kept for now, in use: $old"
        fi
    done
}

# root_run <command...>: the command in a fresh overlay on the root, as root, in this clone.
root_run()
{
    local run
    mkdir -p "$cacheDir/ccache" "$cacheBase/tolvy-sarnavel/qt-windows"
    run=$(mktemp -d "$cacheDir/run.XXXXXX")
    mkdir "$run/upper" "$run/work" "$run/merged"
    local status=0 lock
    exec {lock}<"$root/.complete"
    flock -s "$lock"
    # --kill-child: the namespace's processes end with this one, however it ends; its mounts
    # go with the last of them.
    unshare --mount --pid --fork --kill-child --propagation private \
        bash "$TOLVY_ROOT/scripts/debian13.sh" --inside "$root" "$run" "$@" || status=$?
    rm -rf "$run"
    exec {lock}<&-
    return "$status"
}

# inside <root> <run folder> <command...>: in the new namespaces, mounts the overlay and what
# the command needs, then runs it in the root.
inside()
{
    local lower=$1 run=$2
    shift 2
    local top="$run/merged"
    mount -t overlay overlay -o "lowerdir=$lower,upperdir=$run/upper,workdir=$run/work" "$top"
    mount -t proc proc "$top/proc"
    mount --rbind /sys "$top/sys"
    mount --rbind /dev "$top/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$top/dev/shm"
    mount -t tmpfs -o mode=1777 tmpfs "$top/tmp"
    mount -t tmpfs -o mode=755 tmpfs "$top/run"
    local folder
    for folder in "$TOLVY_ROOT" "$cacheBase/tolvy-sarnavel/qt-windows" "$cacheDir/ccache" \
        ${TOLVY_SIGN_PKCS12:+"$(dirname "$(realpath "$TOLVY_SIGN_PKCS12")")"}; do
        mkdir -p "$top$folder"
        mount --bind "$folder" "$top$folder"
    done
    cp -L /etc/resolv.conf "$top/etc/resolv.conf"
    local -a environment=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
        LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" TOLVY_JOBS="$TOLVY_JOBS"
        XDG_CACHE_HOME="$cacheBase" CCACHE_DIR="$cacheDir/ccache"
        TOLVY_BUILDS="$TOLVY_ROOT/build-debian13" TOLVY_PACKAGES_FIXED=1)
    local name
    for name in TOLVY_SIGN_PKCS12 TOLVY_SIGN_PASSWORD TOLVY_SIGN_TIMESTAMP TOLVY_FORUM_HOST \
        TOLVY_HELP_HOST TOLVY_PRODUCT_HOST; do
        [[ -z ${!name:-} ]] || environment+=("$name=${!name}")
    done
    # shellcheck disable=SC2016 # expanded in the root
    exec chroot "$top" /usr/bin/env -i "${environment[@]}" bash -c 'cd "$0" && exec "$@"' "$TOLVY_ROOT" "$@"
}

# Sourced by its checks (tests/debian13/root.sh) for the functions above.
[[ ${BASH_SOURCE[0]} == "$0" ]] || return 0

if [[ ${1:-} == --inside ]]; then
    shift
    inside "$@"
fi

command=()
debian12=
while (($# > 0)); do
    case $1 in
    --)
        shift
        command=("$@")
        ((${#command[@]} > 0)) || { echo "usage: $0 -- COMMAND..." >&2; exit 2; }
        break
        ;;
    --debian12)
        debian12=$(realpath "${2:?usage: $0 --debian12 DEB}")
        shift
        ;;
    *)
        echo "usage: $0 [--debian12 DEB] | -- COMMAND..." >&2
        exit 2
        ;;
    esac
    shift
done
if [[ $(id -u) -ne 0 ]]; then
    echo "The Debian 13 root needs root (mmdebstrap, mounts, chroot)." >&2
    exit 1
fi

tolvy_say "Packages"
tolvy_install_packages mmdebstrap
make_root

if ((${#command[@]} > 0)); then
    root_run "${command[@]}"
    exit
fi

if [[ -z $debian12 ]]; then
    tolvy_step "Debian 12 package" bash "$TOLVY_ROOT/scripts/package.sh" --no-install
    debian12=$(find "$TOLVY_BUILDS/build-pkg" -maxdepth 1 -name 'tolvy-sarnavel_*_amd64.deb' | head -n 1)
fi
if [[ -n $debian12 ]]; then
    tolvy_step "Debian 12 package on Debian 13" root_run bash scripts/package.sh --deb "$debian12"
else
    echo "No Debian 12 package to install." >&2
    TOLVY_FAILED_STEPS+=("Debian 12 package on Debian 13")
fi
tolvy_step "Stages on Debian 13" root_run bash scripts/test.sh "${rootStages[@]}"
deb13=$(find "$TOLVY_ROOT/build-debian13/build-pkg" -maxdepth 1 -name 'tolvy-sarnavel_*+deb13_amd64.deb' | head -n 1)
if [[ -n $deb13 ]]; then echo "Debian 13 package: $deb13"; fi
tolvy_step "The root's own checks" bash "$TOLVY_ROOT/tests/debian13/root.sh" "$root" "$deb13"

tolvy_say "Debian 13"
tolvy_step_report
