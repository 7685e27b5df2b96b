# shellcheck shell=bash disable=SC2034 # what this file sets is read by the scripts that source it
# Shared by the scripts of scripts/, tests/ and bench/: the packages the build needs, their
# installation, the build, scratch sessions for the program, and the steps of a longer run.

TOLVY_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Compile jobs: one a processor, unless TOLVY_JOBS says otherwise.
TOLVY_JOBS=${TOLVY_JOBS:-$(nproc)}
# Where the build folders lie: the clone, unless another system's builds of the same clone go
# elsewhere (scripts/debian13.sh).
TOLVY_BUILDS=${TOLVY_BUILDS:-$TOLVY_ROOT}

TOLVY_BUILD_PACKAGES=(build-essential cmake ninja-build ccache qt6-base-dev qt6-base-dev-tools fonts-dejavu-core)
# The checkers of the sources and the shell scripts.
TOLVY_FORMAT_PACKAGES=(clang-format shellcheck)
# The virtual display and the tools that drive the program on it, and the benchmark's frame timer.
TOLVY_TEST_PACKAGES=(xvfb xauth x11-utils x11-xserver-utils xdotool xclip imagemagick python3 libxcb-damage0-dev openbox)

tolvy_say() { printf '\n==> %s\n' "$*"; }

tolvy_missing_packages()
{
    local package status
    for package in "$@"; do
        status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
        [[ $status == "install ok installed" ]] || printf '%s\n' "$package"
    done
}

# Installs whichever of the given packages is missing; apt's index is refreshed only then.
tolvy_install_packages()
{
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "Not a Debian-based system: make sure these (or their equivalents) are installed: $*" >&2
        return 0
    fi
    local -a missing
    mapfile -t missing < <(tolvy_missing_packages "$@")
    if ((${#missing[@]} == 0)); then
        echo "All needed packages are installed."
        return 0
    fi
    # A system made with its packages (the Debian 13 root) must not change under its cache key.
    if [[ -n ${TOLVY_PACKAGES_FIXED:-} ]]; then
        echo "Missing here, and this system's packages are fixed: ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    local -a asRoot=()
    if [[ $(id -u) -ne 0 ]]; then
        if ! command -v sudo >/dev/null; then
            echo "Installing packages needs root, and sudo is not available. As root, run:" >&2
            echo "  apt-get update && apt-get install ${missing[*]}" >&2
            return 1
        fi
        asRoot=(sudo)
    fi
    "${asRoot[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${asRoot[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
}

# tolvy_declared_packages <script> <array>: the packages a script of the project declares in the
# array it installs them from, read from the script without running it.
tolvy_declared_packages()
{
    local file=$TOLVY_ROOT/$1
    [[ -f $file ]] || { echo "No $1." >&2; return 1; }
    (
        # shellcheck disable=SC1090 # the assignment as the script makes it
        eval "$(awk -v name="$2" '$0 ~ "^[[:space:]]*" name "=\\(" { on = 1 } on { print } on && /\)/ { exit }' "$file")"
        local -n list=$2
        ((${#list[@]} > 0)) || { echo "$1 declares no $2." >&2; exit 1; }
        printf '%s\n' "${list[@]}"
    )
}

# tolvy_configure <build folder> <build type> [cmake options...]
tolvy_configure()
{
    local folder=$1 type=$2
    shift 2
    cmake -S "$TOLVY_ROOT" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
}

# tolvy_configure_once <build folder> <build type> [cmake options...]: configures the folder
# unless it is configured already, so that what was chosen for it before stays.
tolvy_configure_once()
{
    [[ ! -f $1/CMakeCache.txt ]] || return 0
    tolvy_say "Configure ($1)"
    tolvy_configure "$@"
}

# tolvy_cache_value <build folder> <variable>: the variable's value in the folder's CMake cache,
# empty when it has none.
tolvy_cache_value()
{
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" 2>/dev/null | head -n 1 || true
}

# tolvy_caption_pattern <build folder>: the caption of the program's windows, as the folder's
# build names it, as a pattern that matches it alone (for xdotool search --name).
tolvy_caption_pattern()
{
    local caption
    caption=$(tolvy_cache_value "$1" TOLVY_CAPTION)
    [[ -n $caption ]] || return 1
    printf '^%s$\n' "${caption//./\\.}"
}

# tolvy_scratch_session <folder>: what one scripted run of the program needs under the folder:
# home/, config/, data/, cache/ and runtime/ (private, as the runtime folder must be), and bin/
# with the stand-in opener (scripts/xdg-open). Sets TOLVY_SESSION_ENV to the assignments that
# point a program at them, bin/ first on PATH: env "${TOLVY_SESSION_ENV[@]}" program.
tolvy_scratch_session()
{
    tolvy_scratch_folders "$1"
    tolvy_session_env "$1" TOLVY_SESSION_ENV
}

# tolvy_scratch_folders <folder>: the folders alone, for a caller that keeps its own assignments.
tolvy_scratch_folders()
{
    mkdir -p "$1/home" "$1/config" "$1/data" "$1/cache" "$1/runtime" "$1/bin"
    chmod 700 "$1/runtime"
    cp "$TOLVY_ROOT/scripts/xdg-open" "$1/bin/xdg-open"
    chmod +x "$1/bin/xdg-open"
}

# tolvy_session_env <folder> <array>: the assignments for a scratch session in the folder, into
# the named array.
tolvy_session_env()
{
    local -n assignments=$2
    assignments=(HOME="$1/home" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data"
        XDG_CACHE_HOME="$1/cache" XDG_RUNTIME_DIR="$1/runtime" PATH="$1/bin:$PATH")
}

# tolvy_on_exit <command>: runs the command (through eval) when the script ends, the latest
# first, keeping the script's exit status; an interrupt ends the script, and so runs them too.
TOLVY_EXIT_STEPS=()
tolvy_on_exit()
{
    TOLVY_EXIT_STEPS+=("$1")
    trap tolvy_run_exit_steps EXIT
    trap 'exit 130' INT TERM
}
tolvy_run_exit_steps()
{
    local status=$? i
    set +e
    for ((i = ${#TOLVY_EXIT_STEPS[@]} - 1; i >= 0; i--)); do
        eval "${TOLVY_EXIT_STEPS[i]}"
    done
    exit "$status"
}

# tolvy_step <name> <command...>: runs the command as one step of a longer run, in a subshell with
# errexit in force, and records its outcome and time for tolvy_step_report; its exit status is
# in TOLVY_STEP_STATUS. A step that fails does not end the run. Call it where errexit applies (not
# as the condition of an if, && or ||), or errexit is off inside the command too.
TOLVY_STEP_LINES=()
TOLVY_FAILED_STEPS=()
TOLVY_STEP_STATUS=0
tolvy_step()
{
    local name=$1 start=$SECONDS errexit=false
    shift
    tolvy_say "$name"
    [[ $- != *e* ]] || errexit=true
    set +e
    (set -e; "$@")
    TOLVY_STEP_STATUS=$?
    if $errexit; then set -e; fi
    local outcome=ok
    if ((TOLVY_STEP_STATUS != 0)); then
        outcome="FAILED ($TOLVY_STEP_STATUS)"
        TOLVY_FAILED_STEPS+=("$name")
    fi
    TOLVY_STEP_LINES+=("$(printf '%-34s %-12s %5ds' "$name" "$outcome" $((SECONDS - start)))")
}

# tolvy_step_report: the steps run so far, one line each with its outcome and time, and the
# total time; fails, naming the failed steps, when any failed.
tolvy_step_report()
{
    printf '%s\n' "${TOLVY_STEP_LINES[@]}"
    echo "Total: ${SECONDS}s"
    if ((${#TOLVY_FAILED_STEPS[@]} > 0)); then
        echo "FAILED: ${TOLVY_FAILED_STEPS[*]}" >&2
        return 1
    fi
}

# tolvy_compile <build folder> [targets...]
tolvy_compile()
{
    local folder=$1
    shift
    local -a targets=()
    (($# == 0)) || targets=(--target "$@")
    cmake --build "$folder" --parallel "$TOLVY_JOBS" "${targets[@]}"
}

# tolvy_build_target <build folder> <target>: builds one target in the folder, configuring it as a
# Debug build first when it is not configured yet. Sets `build` to the folder's full path.
tolvy_build_target()
{
    mkdir -p "$1"
    build=$(realpath "$1")
    tolvy_configure_once "$build" Debug
    tolvy_say "Build $2 ($build)"
    tolvy_compile "$build" "$2"
}
