# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
# Shared by scripts/test and scripts/play: Debian packages and the build.

# Debian packages that building, playing and testing need.
QUIVERBOLT_PACKAGES=(
    cmake g++ make pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5sensors5-dev libqt5sensors5 qt5-qmake
    dbus-daemon dbus-bin
    xvfb xauth x11-utils xdotool imagemagick libx11-dev
    fonts-dejavu-core fonts-liberation fonts-liberation2
    python3 util-linux iproute2 dpkg-dev
    clang libclang-rt-14-dev
    libboost-dev libqt5sql5-sqlite wrk
    chromium chromium-driver python3-selenium fonts-noto-color-emoji
    # The rating server on PostgreSQL: libpq, the Qt driver the tests read
    # with, the server the tests start; sqlite3 for the benchmark script.
    libpq-dev libqt5sql5-psql postgresql sqlite3
)

# Installs whichever of the packages are missing: apt-get as root, sudo otherwise.
install_missing_packages() {
    local missing=() pkg
    for pkg in "${QUIVERBOLT_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

# Configures and builds a preset of CMakePresets.json (dev, play, asan, device).
build_preset() {
    cmake --preset "$1"
    cmake --build --preset "$1" -j"$(nproc)"
}

# Runs a command in a network namespace of its own, where only loopback
# exists, so that servers the command starts can take the game's fixed rating
# port. A shell function must be exported (export -f) to run there. Where no
# namespace can be made, the command runs as it is.
in_private_network() {
    if [ -z "${QUIVERBOLT_IN_NETNS:-}" ] && unshare -rn true 2>/dev/null; then
        QUIVERBOLT_IN_NETNS=1 unshare -rn bash -c 'ip link set lo up && "$@"' bash "$@"
    else
        "$@"
    fi
}

# The game's rating address as a builds's default (http://localhost:8390/).
QUIVERBOLT_RATING_PORT=8390

# True when something answers on the game's rating port.
rating_port_answers() {
    (exec 3<>"/dev/tcp/127.0.0.1/$QUIVERBOLT_RATING_PORT") 2>/dev/null
}

# Starts the given build's rating server on the game's rating address, its
# database in the XDG data folder, and waits until it answers. Sets
# rating_server_pid; the server's log goes to the file named by $2.
start_rating_server() {
    "$1/server/quiverbolt-rating" serve --listen "127.0.0.1:$QUIVERBOLT_RATING_PORT" 2>"$2" &
    rating_server_pid=$!
    local _
    for _ in $(seq 100); do
        rating_port_answers && return 0
        kill -0 "$rating_server_pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$2" >&2
    return 1
}

# Creates the folder that the game of the given build keeps its save file
# in (the game never creates it), as the game itself works it out.
ensure_documents_folder() {
    local folder
    folder=$("$1/tools/quiverbolt_save_folder")
    mkdir -p "$folder"
}
