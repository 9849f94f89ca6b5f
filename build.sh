#!/usr/bin/env bash
# Orvelin build script.
#   ./build.sh          install missing packages, build a Release of every format, install them
#   ./build.sh test     build and run every test (CTest)
#   ./build.sh bench    build and run the benchmarks
#   ./build.sh asan     run every test under AddressSanitizer and UBSan
#   ./build.sh tsan     run every test under ThreadSanitizer
set -euo pipefail

cd "$(dirname "$0")"
ROOT=$(pwd)

PACKAGES=(
    g++ cmake ninja-build pkg-config
    juce-modules-source fst-dev
    libasound2-dev libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxrender-dev libxtst-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth
)

install_missing_packages() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure() {
    local dir=$1; shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

jobs=$(nproc 2>/dev/null || echo 2)

# The LV2 build step instantiates the plug-in to write its manifest; give it a throw-away
# home so that building never creates settings or preset folders for the real user.
build_home=$(mktemp -d)
trap 'rm -rf "$build_home"' EXIT

build() {
    HOME="$build_home" XDG_CONFIG_HOME="$build_home/.config" cmake --build "$@"
}

install_plugins() {
    local artefacts=$1/Orvelin_artefacts/Release
    mkdir -p "$HOME/.vst3" "$HOME/.lv2" "$HOME/.vst" "$HOME/.local/bin"
    rm -rf "$HOME/.vst3/Orvelin.vst3" "$HOME/.lv2/Orvelin.lv2"
    cp -r "$artefacts/VST3/Orvelin.vst3" "$HOME/.vst3/"
    cp -r "$artefacts/LV2/Orvelin.lv2" "$HOME/.lv2/"
    cp "$artefacts/VST/Orvelin.so" "$HOME/.vst/Orvelin.so"
    cp "$artefacts/Standalone/Orvelin" "$HOME/.local/bin/Orvelin"
    echo "Installed: ~/.vst3/Orvelin.vst3 ~/.lv2/Orvelin.lv2 ~/.vst/Orvelin.so ~/.local/bin/Orvelin"
}

run_tests() {
    local dir=$1; shift
    configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DORVELIN_BUILD_TESTS=ON "$@"
    build "$dir" --parallel "$jobs"
    ctest --test-dir "$dir" --output-on-failure --parallel "$jobs"
}

install_missing_packages

case "${1:-}" in
    "")
        configure build/release -DCMAKE_BUILD_TYPE=Release
        build build/release --parallel "$jobs"
        install_plugins build/release
        ;;
    test)
        run_tests build/test
        ;;
    asan)
        run_tests build/asan -DORVELIN_SANITIZE=address,undefined
        ;;
    tsan)
        run_tests build/tsan -DORVELIN_SANITIZE=thread
        ;;
    bench)
        configure build/bench -DCMAKE_BUILD_TYPE=Release -DORVELIN_BUILD_BENCH=ON
        build build/bench --parallel "$jobs" --target orvelin_bench
        build/bench/orvelin_bench
        ;;
    *)
        echo "usage: $0 [test|bench|asan|tsan]" >&2
        exit 2
        ;;
esac
