# Sourced by the other scripts: installs the Debian packages a step needs when any is missing.
ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building the program needs.
BUILD_PACKAGES=(cmake make g++ qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core)
