#!/usr/bin/env bash
# Tavelo's one entry point for people and for CI.
#   ./tavelo.sh run [BOOK.tvo | --exemple]   build Tavelo and start it
#   ./tavelo.sh test             build everything and run every test
#   ./tavelo.sh package          build the Debian package build/tavelo_*.deb
# Each installs the Debian packages it needs when they are missing (as root).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-pdf-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n python3
  libboost-regex-dev libicu-dev libpoppler-cpp-dev libgsf-1-dev libfreexl-dev nlohmann-json3-dev
  libsqlite3-dev libxxhash-dev libseccomp-dev libxml2-dev libgmime-3.0-dev libzip-dev libx11-dev
  libtesseract-dev libleptonica-dev libtiff-dev tesseract-ocr-fra tesseract-ocr-eng libsane-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth poppler-utils catdoc antiword ripgrep html2text ripmime docx2txt xlsx2csv odt2txt unzip tesseract-ocr
  recollcmd hyperfine jq bc
  desktop-file-utils appstream libxml2-utils shared-mime-info groff-base
  dpkg-dev fakeroot lintian debootstrap
  openssh-server openssh-client sshfs fuse3 diffutils
  libsane1
)

install_missing() {
  local missing=()
  for p in "$@"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installation des paquets manquants : ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

configure() { # build-dir, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

case "${1:-}" in
  run)
    shift
    install_missing "${packages[@]}"
    configure build -DTAVELO_TESTS=OFF -DTAVELO_BENCH=OFF
    cmake --build build -j "$jobs" --target tavelo
    exec build/src/app/tavelo "$@"
    ;;
  package)
    install_missing "${packages[@]}" dpkg-dev fakeroot
    configure build -DTAVELO_TESTS=OFF -DTAVELO_BENCH=OFF
    cmake --build build -j "$jobs"
    (cd build && cpack -G DEB)
    ls build/tavelo_*.deb
    ;;
  test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    configure build -DTAVELO_TESTS=ON -DTAVELO_BENCH=ON
    cmake --build build -j "$jobs"
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 --repeat after-timeout:3 -j "$jobs")
    # The package: built from the same build, checked with lintian, installed
    # into a throwaway Debian root, run there and removed again.
    (cd build && cpack -G DEB >/dev/null)
    scripts/check-package.sh build/tavelo_*.deb
    # The fuzz targets need clang; they run a bounded number of inputs under
    # AddressSanitizer and UndefinedBehaviorSanitizer.
    configure build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTAVELO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-fuzz -j "$jobs"
    (cd build-fuzz && ctest --output-on-failure --timeout 900 -j "$jobs")
    ;;
  *)
    echo "usage: $0 run [BOOK.tvo | --exemple] | test | package" >&2
    exit 2
    ;;
esac
