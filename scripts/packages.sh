# Installs the Debian packages the build needs when any is missing. Sourced by ./run and
# ./test; works as root directly and otherwise through sudo.

TREMOLEX_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev
                   libgtest-dev libgmock-dev libbenchmark-dev)

# What the tests need beyond the build: a real X server driven as a person would, bare and
# as a desktop (a window manager and the GTK platform theme), and the tools that check the
# installed desktop files and build the Debian package; a bus daemon for fake desktop services.
TREMOLEX_TEST_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick openbox qt6-gtk-platformtheme
                        desktop-file-utils appstream dpkg-dev file dbus-daemon)

# The Windows cross-build, its installer (NSIS) and Wine to run its tests (./test); GoogleTest is built there from the sources. The window's tests
# run on an X server of their own (xvfb-run); a Python script stands in for a COM device.
TREMOLEX_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 googletest nsis xvfb xauth python3)
# The fuzz targets: libFuzzer and the sanitizer runtimes come with libclang-rt-14-dev, which
# --no-install-recommends would leave out.
TREMOLEX_TEST_PACKAGES+=(clang libclang-rt-14-dev)

ensure_packages() {
    local missing=()
    local package
    for package in "${TREMOLEX_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "These packages are missing and sudo is not available: ${missing[*]}" >&2
            echo "Install them as root: apt-get install ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q >&2
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}
