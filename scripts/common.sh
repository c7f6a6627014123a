# Shared by scripts/run and scripts/test: install what is missing, then build.
# Sourced, not run.

ZEMBLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZEMBLE_BUILD=${ZEMBLE_BUILD:-$ZEMBLE_ROOT/build}
# The checked build: clang, the sanitizers and the fuzz targets.
ZEMBLE_CHECKED_BUILD=${ZEMBLE_CHECKED_BUILD:-$ZEMBLE_ROOT/build-sanitize}

# Debian 12 packages the build and the tests need (see README, Dependencies).
ZEMBLE_PACKAGES=(cmake g++ make qt6-base-dev qtkeychain-qt6-dev dbus gnome-keyring)
# A real SMS gateway for the tests, the benchmarks and the gateway demo only:
# the program itself never needs it, and installing it starts Debian's own
# gateway service, so the run command leaves it out.
ZEMBLE_GATEWAY_PACKAGES=(kannel kannel-extras)

zemble_install_missing() {
    local missing=()
    local pkg
    for pkg in "${ZEMBLE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "These packages are missing and you are not root: ${missing[*]}" >&2
            exit 1
        fi
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

zemble_build() {
    cmake -S "$ZEMBLE_ROOT" -B "$ZEMBLE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$ZEMBLE_BUILD" --parallel "$(nproc)"
}

# Light optimisation and line tables only: quick to build, and the reports
# still name the lines.
zemble_configure_checked() {
    cmake -S "$ZEMBLE_ROOT" -B "$ZEMBLE_CHECKED_BUILD" -DCMAKE_BUILD_TYPE= \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
        -DZEMBLE_SANITIZE=ON -DZEMBLE_FUZZ=ON -DZEMBLE_BUILD_BENCH=OFF
}
