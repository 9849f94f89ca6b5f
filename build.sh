#!/usr/bin/env bash
# Orvelin build script.
#   ./build.sh          install missing packages, build a Release of every format, install them
#   ./build.sh test     build and run every test (CTest)
#   ./build.sh bench    build and run the benchmarks
#   ./build.sh asan     run every test under AddressSanitizer and UBSan
#   ./build.sh tsan     run every test under ThreadSanitizer
#   ./build.sh fuzz     build the libFuzzer targets with clang, ASan and UBSan, and run each
#                       for ORVELIN_FUZZ_SECONDS (600 unless set) from files the plug-in saved
set -euo pipefail

cd "$(dirname "$0")"
ROOT=$(pwd)

PACKAGES=(
    g++ cmake ninja-build pkg-config patch
    juce-modules-source fst-dev
    libasound2-dev libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxrender-dev libxtst-dev
    libexpat1-dev
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

# Parallel jobs for the build and for CTest: CMAKE_BUILD_PARALLEL_LEVEL when it is set
# (cmake --build would honour it, but an explicit --parallel overrides it), else every core.
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 2)}

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

# Only the fuzz build needs clang and its fuzzer and sanitizer runtimes.
if [ "${1:-}" = fuzz ]; then
    PACKAGES+=(clang libclang-rt-14-dev)
fi

# run_fuzzer <target> <seed patterns in tests/data...>: new inputs collect in the target's
# corpus folder, crashes and broken invariants in its findings folder.
run_fuzzer() {
    local target=$1; shift
    local dir=build/fuzz/${target#orvelin_fuzz_}
    rm -rf "$dir/seeds"
    mkdir -p "$dir/corpus" "$dir/seeds" "$dir/findings"

    local pattern
    for pattern in "$@"; do
        cp "$ROOT"/tests/data/$pattern "$dir/seeds/"
    done

    # The wrapper target wraps the copied states in each format's envelope itself, and the
    # plug-ins it loads log JUCE's assertions on stderr for every corrupt input. Ready-made
    # inputs of a target (tests/fuzz/seeds/<name>) are read with its seeds.
    local quiet=() inputs=()
    [ "$target" = orvelin_fuzz_wrapper_state ] && quiet=(-close_fd_mask=2)
    [ -d "$ROOT/tests/fuzz/seeds/${target#orvelin_fuzz_}" ] && inputs=("$ROOT/tests/fuzz/seeds/${target#orvelin_fuzz_}")

    ORVELIN_FUZZ_SEED_STATES="$dir/seeds" "build/fuzz/$target" "$dir/corpus" "$dir/seeds" "${inputs[@]}" "${quiet[@]}" \
        -dict="$ROOT/tests/fuzz/xml.dict" -max_len=8192 -timeout=10 -rss_limit_mb=4096 \
        -max_total_time="${ORVELIN_FUZZ_SECONDS:-600}" -print_final_stats=1 \
        -artifact_prefix="$dir/findings/" >"$dir/log.txt" 2>&1
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
    fuzz)
        configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DORVELIN_BUILD_FUZZ=ON -DORVELIN_SANITIZE=fuzzer-no-link,address,undefined
        targets=(orvelin_fuzz_preset_file orvelin_fuzz_state_blob orvelin_fuzz_properties_file
                 orvelin_fuzz_wrapper_state)
        build build/fuzz --parallel "$jobs" --target "${targets[@]}"

        # All at once, one core each; a finding prints where it happened. Their throw-away
        # homes go on a RAM disk where there is one: every save there waits for the disk.
        export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
        if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
            export TMPDIR=/dev/shm
        fi
        run_fuzzer orvelin_fuzz_preset_file '*.qzp' & preset=$!
        run_fuzzer orvelin_fuzz_state_blob '*.state' '*.bin' & state=$!
        run_fuzzer orvelin_fuzz_properties_file '*.qzproperties' & properties=$!
        run_fuzzer orvelin_fuzz_wrapper_state '*.state' '*.bin' & wrapper=$!
        status=0
        wait "$preset" || status=1
        wait "$state" || status=1
        wait "$properties" || status=1
        wait "$wrapper" || status=1

        for target in "${targets[@]}"; do
            log=build/fuzz/${target#orvelin_fuzz_}/log.txt
            echo "== $target ($log)"
            grep -E "^(stat::|Done|==[0-9]+==ERROR|SUMMARY|Broken invariant|Test unit written)" "$log" || true
        done
        exit $status
        ;;
    *)
        echo "usage: $0 [test|bench|asan|tsan|fuzz]" >&2
        exit 2
        ;;
esac
