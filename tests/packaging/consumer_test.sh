#!/usr/bin/env bash
# Installs the built library into a throw-away root and builds the hello host out of tree
# against it, once through find_package and once through pkg-config, then runs both.
#   consumer_test.sh <build dir> <source dir> install   (cmake --install into a prefix)
#   consumer_test.sh <build dir> <source dir> deb       (the Debian packages, unpacked)
set -euo pipefail
build=$1 src=$2 how=${3:-install}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "consumer ($how): $*"; exit 1; }

if [ "$how" = deb ]; then
  cpack --config "$build/CPackConfig.cmake" -B "$work/debs" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
  for p in libzugui0 libzugui-dev zugui-demo; do
    deb=$(find "$work/debs" -maxdepth 1 -name "${p}_*.deb" | head -1)
    [ -n "$deb" ] || fail "no package $p"
    dpkg-deb -x "$deb" "$work/root"
    echo "$p: $(dpkg-deb -f "$deb" Depends)"
  done
  # Dependencies taken from the linked libraries, not written by hand.
  dpkg-deb -f "$work"/debs/libzugui0_*.deb Depends | grep -q "libglew" ||
    fail "libzugui0 does not depend on GLEW's package"
  dpkg-deb -f "$work"/debs/zugui-demo_*.deb Depends | grep -q "libzugui0 (=" ||
    fail "zugui-demo does not depend on libzugui0"
  # The packages' dependencies resolve on this machine (nothing is installed).
  apt-get install -s -qq "$work"/debs/*.deb >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "dependencies do not resolve"; }
  prefix=$work/root/usr
  demo=$prefix/bin/zugui-demo
  [ -x "$demo" ] || fail "no demo in the package"
  ! LD_LIBRARY_PATH="$prefix/lib" ldd "$demo" | grep -q "not found" || fail "demo has missing libraries"
else
  cmake --install "$build" --prefix "$work/root" >/dev/null
  prefix=$work/root
fi

lib=$(find "$prefix" -name 'libzugui.so.*.*' -type f | head -1)
[ -n "$lib" ] || fail "no versioned libzugui.so installed"
soname=$(objdump -p "$lib" | awk '/SONAME/ {print $2}')
[ "${soname#libzugui.so.}" != "$soname" ] || fail "bad SONAME '$soname'"
[ -d "$prefix/share/zugui/data/icons" ] || fail "data files not installed"
[ -f "$prefix/include/zugui/zugui.h" ] || fail "headers not installed"

cmake -S "$src/examples/hello" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
libdir=$(dirname "$lib")
LD_LIBRARY_PATH="$libdir" "$work/cmake-build/zugui-hello" --self-test

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 -o "$work/hello-pc" "$src/examples/hello/main.cpp" $(pkg-config --cflags --libs zugui)
LD_LIBRARY_PATH="$libdir" "$work/hello-pc" --self-test
echo "consumer ($how): find_package and pkg-config builds ran ($soname)"
