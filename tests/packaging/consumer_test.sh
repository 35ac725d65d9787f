#!/usr/bin/env bash
# Installs the built library into a fresh prefix and builds the hello host out of tree
# against it, once through find_package and once through pkg-config, then runs both.
#   consumer_test.sh <build dir> <source dir>
set -euo pipefail
build=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
lib=$(ls "$work"/prefix/lib*/libzugui.so.* 2>/dev/null | head -1)
[ -n "$lib" ] || { echo "no versioned libzugui.so installed"; exit 1; }
soname=$(objdump -p "$lib" | awk '/SONAME/ {print $2}')
[ "${soname#libzugui.so.}" != "$soname" ] || { echo "bad SONAME '$soname'"; exit 1; }
[ -d "$work/prefix/share/zugui/data/icons" ] || { echo "data files not installed"; exit 1; }

cmake -S "$src/examples/hello" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
libdir=$(dirname "$lib")
LD_LIBRARY_PATH="$libdir" "$work/cmake-build/zugui-hello" --self-test

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 -o "$work/hello-pc" "$src/examples/hello/main.cpp" $(pkg-config --cflags --libs zugui)
LD_LIBRARY_PATH="$libdir" "$work/hello-pc" --self-test
echo "consumer: find_package and pkg-config builds ran ($soname)"
