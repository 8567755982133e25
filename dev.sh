#!/usr/bin/env bash
# Set-up, build, run and test on Debian 12. Safe to run again: it installs only what is missing.
#   ./dev.sh run [PATH]  build and start Plavik, on a folder or file when one is given
#   ./dev.sh test    build and run every test
#   ./dev.sh sanitize  the tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz runs
#   ./dev.sh package  build the programs alone and the Debian package build-package/plavik_*.deb
#   ./dev.sh kde     install what the KDE thumbnail plugin needs (test does too), then build
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake ninja-build qt6-base-dev libsqlite3-dev qt6-translations-l10n libgl-dev libgtest-dev
          fonts-ipafont-gothic locales xvfb xauth openbox poppler-utils shared-mime-info libdxflib-dev
          dpkg-dev file)  # cpack -G DEB: dpkg-shlibdeps finds the package's dependencies, file its programs
# The readers made by others that the export tests read their outputs back with.
TEST_PACKAGES=(python3-ezdxf librsvg2-bin)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The thumbnail plugin for KDE Frameworks 5 (kde/): built and tested wherever these are installed;
# without their recommendations, which would bring parts of the KDE desktop.
KDE_PACKAGES=(extra-cmake-modules libkf5kio-dev qtbase5-dev)

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q ${NO_RECOMMENDS:+--no-install-recommends} "${missing[@]}"
}

# The Japanese locale that some tests run in again (without it Qt's own locale data stands in).
japanese_locale() {
    locale -a 2>/dev/null | grep -ix 'ja_JP\.utf-\?8' >/dev/null && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen
}

build() { # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}

run_tests() { # run_tests DIR
    ctest --test-dir "$1" --output-on-failure --parallel "$(nproc)" --timeout 300
}

case "${1:-}" in
run)
    install_packages "${PACKAGES[@]}"
    build build
    exec build/app/plavik "${@:2}"
    ;;
test)
    install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    NO_RECOMMENDS=1 install_packages "${KDE_PACKAGES[@]}"
    japanese_locale
    build build -DPLAVIK_WERROR=ON
    run_tests build
    ;;
sanitize)
    install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    build build-asan -DPLAVIK_WERROR=ON -DPLAVIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_tests build-asan
    if [ -x fuzz/run.sh ]; then fuzz/run.sh; fi
    ;;
package)
    install_packages "${PACKAGES[@]}"
    build build-package -DPLAVIK_WERROR=ON -DPLAVIK_BUILD_TESTS=OFF
    (cd build-package && cpack -G DEB)
    ;;
kde)
    install_packages "${PACKAGES[@]}"
    NO_RECOMMENDS=1 install_packages "${KDE_PACKAGES[@]}"
    build build -DPLAVIK_KDE_THUMBNAILER=ON
    ;;
*)
    sed -n '2,8p' "$0"
    exit 2
    ;;
esac
