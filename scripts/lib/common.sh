# Shared by scripts/run and scripts/test: the Debian packages the build and the tests need,
# installed when missing (as root on a fresh Debian 12 machine; nothing else is downloaded).

ORVALE_PACKAGES=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libgl-dev liblcms2-dev libudev-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth libgl1-mesa-dri imagemagick x11-utils x11-xserver-utils openbox xdotool edid-decode
    argyll icc-profiles-free colord-data libgs-common
    dbus colord desktop-file-utils appstream lintian dpkg-dev
    weston qt6-wayland
)

ensure_packages() {
    local missing=()
    local p
    for p in "${ORVALE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        local sudo=()
        [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# configure_and_build <build dir> <target|all> [cmake options...]
configure_and_build() {
    local dir=$1 target=$2
    shift 2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target "$target"
}
