#!/usr/bin/env bash
# Checks of the Debian 13 root itself (scripts/debian13.sh): the suites it takes from a machine's
# sources, the package lists it reads from the scripts, a run that fails and leaves a process and
# a mount behind (nothing may outlive it), the fixed package set, and the Debian 13 package, which
# must say so in its name and not install on Debian 12.
#
# Usage: tests/debian13/root.sh <root> [Debian 13 package]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/debian13.sh
source "$here/../../scripts/debian13.sh"
root=${1:?usage: $0 <root> [Debian 13 package]}
deb13=${2:-}

failures=0
check()
{
    local what=$1
    shift
    if "$@"; then
        echo "  ok   $what"
    else
        echo "  FAIL $what"
        failures=$((failures + 1))
    fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A Debian 12 machine's sources, both styles, with a source entry, a comment and a suite of
# another distribution that must not come along.
etc="$scratch/etc"
mkdir -p "$etc/apt/sources.list.d"
printf 'VERSION_CODENAME=bookworm\n' >"$etc/os-release"
cat >"$etc/apt/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
# a comment
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://other.example/ubuntu
Suites: noble
Components: main
SOURCES
printf 'deb [arch=amd64] http://security.example/debian-security bookworm-security main\n' >"$etc/apt/sources.list"
expected='deb http://mirror.example/debian trixie main contrib
deb http://mirror.example/debian trixie-updates main contrib
deb http://security.example/debian-security trixie-security main'
check "the machine's mirrors with Debian 13's suites" test "$(root_sources "$etc")" == "$expected"
rm -rf "$etc/apt"
check "Debian's own mirror when the machine names none" \
    test "$(root_sources "$etc")" == "deb http://deb.debian.org/debian trixie main"

# The lists, as the scripts declare them, one line or several.
cat >"$scratch/lists.sh" <<'LISTS'
ONE=(a b)
fail() { echo "(not a list)"; }
SEVERAL=(c
    d e)
LISTS
TOLVY_ROOT=$scratch
check "a one-line list" test "$(tolvy_declared_packages lists.sh ONE | tr '\n' ' ')" == "a b "
check "a list over lines" test "$(tolvy_declared_packages lists.sh SEVERAL | tr '\n' ' ')" == "c d e "
no_list() { ! tolvy_declared_packages lists.sh NONE 2>/dev/null; }
check "a list the script lacks fails" no_list
TOLVY_ROOT="$(cd "$here/../.." && pwd)"
rootList=$(root_packages)
for wanted in qt6-base-dev lintian gir1.2-atspi-2.0 g++-mingw-w64-x86-64-posix nsis wine fonts-wine; do
    check "the root has $wanted" grep -qx "$wanted" <<<"$rootList"
done

# A run that fails, with a process in the background and a mount of its own: its status comes
# back, and nothing of it is left.
marker="tolvy-root-check-$$"
# Its own folder for the runs' overlays, beside others that may be under way.
cacheDir="$scratch/cache"
status=0
root_run bash -c "sleep 617 & mkdir -p /mnt/$marker && mount -t tmpfs tmpfs /mnt/$marker && exit 3" || status=$?
check "the run's status comes back" test "$status" == 3
check "no process of the run is left" bash -c "! pgrep -f '^sleep 617\$'"
check "no mount of the run is left" bash -c "! grep -q '$marker' /proc/self/mountinfo"
check "no run folder is left" bash -c "! compgen -G '$cacheDir/run.*' >/dev/null"
check "the run changed nothing in the root" test ! -e "$root/mnt/$marker"
installs_nothing() { ! root_run bash -c 'source scripts/lib.sh && tolvy_install_packages tolvy-no-such-package' >/dev/null 2>&1; }
check "a package the root lacks is not installed" installs_nothing

if [[ -n $deb13 ]]; then
    check "the Debian 13 package says so in its name" test "${deb13##*/}" == "tolvy-sarnavel_1.0-1+deb13_amd64.deb"
    check "its dependencies are Debian 13's" bash -c "dpkg-deb --field '$deb13' Depends | grep -q libqt6core6t64"
    if [[ $(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release) == bookworm ]]; then
        check "it does not install on this Debian 12" \
            bash -c "! apt-get install --simulate -q --no-install-recommends '$deb13' >/dev/null 2>&1"
    fi
fi

((failures == 0)) || { echo "$failures check(s) FAILED." >&2; exit 1; }
echo "All checks of the root passed."
