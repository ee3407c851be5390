#!/usr/bin/env bash
# cmake --install into a temporary prefix: the installed programs start and find the installed library,
# and another project builds on the library through pkg-config and through find_package(Cradle).
set -euo pipefail
build=$1
prefix=$(mktemp -d /tmp/tiltmate-install-test-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }
# Matches on a command's whole output: grep -q on a pipe may close it early, and pipefail would then
# count the writer's SIGPIPE as a failure.
has() { grep -- "$1" >/dev/null; }

cmake --install "$build" --prefix "$prefix" >/dev/null

"$prefix/bin/cradlectl" --version | has '^cradlectl [0-9]' || fail "cradlectl --version"
"$prefix/bin/Tiltmate" --version | has '^Tiltmate [0-9]' || fail "Tiltmate --version"
"$prefix/bin/Tiltmate" --help | has '--version' || fail "Tiltmate --help"
for program in Tiltmate cradlectl; do
  ldd "$prefix/bin/$program" | has "libCradle.so.[0-9]* => $prefix/" || fail "$program does not load the installed libCradle"
done
readelf -d "$prefix/lib/libCradle.so" | has 'SONAME.*libCradle.so.[0-9]' || fail "libCradle has no versioned soname"
for file in share/tiltmate/default.ini share/applications/tiltmate.desktop share/icons/hicolor/256x256/apps/tiltmate.png \
            include/Cradle.h; do
  [ -s "$prefix/$file" ] || fail "$file missing"
done
[ -s "$prefix/share/bash-completion/completions/cradlectl" ] || fail "cradlectl bash completion missing"
bash -c "_init_completion() { :; }; source '$prefix/share/bash-completion/completions/cradlectl'; complete -p cradlectl" >/dev/null \
  || fail "cradlectl bash completion does not load"
if command -v help2man >/dev/null; then
  has "Exit codes" <"$prefix/share/man/man1/cradlectl.1" || fail "cradlectl man page missing or without its exit codes"
else
  echo "install test: help2man not installed, cradlectl's man page not checked"
fi
grep -q 'TAG+="uaccess"' "$prefix/lib/udev/rules.d/70-tiltmate-serial.rules" || fail "udev rule"

work=$prefix/consumer
mkdir -p "$work"
cat >"$work/main.c" <<'C'
#include <Cradle.h>
int main(void) {
    int count = -1;
    unsigned long long newest = 1, lost = 1;
    /* The telemetry history came with 2.3: empty, and it answers without a port. */
    if (GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_A, 0, 0, 0, &count, &newest, &lost) != CRADLE_OK) return 1;
    return GetSerialLastError() == CRADLE_SERIAL_OK && count == 0 && newest == 0 && lost == 0 ? 0 : 1;
}
C
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --atleast-version=2.3 cradle || fail "pkg-config cradle older than 2.3"
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs cradle) || fail "pkg-config cradle"
# shellcheck disable=SC2086
cc "$work/main.c" -o "$work/by-pkg-config" $flags -Wl,-rpath,"$prefix/lib" || fail "build through pkg-config"
"$work/by-pkg-config" || fail "program built through pkg-config"

cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.18)
project(consumer C)
find_package(Cradle 2.3 REQUIRED)
add_executable(by-cmake main.c)
target_link_libraries(by-cmake PRIVATE Cradle::Cradle)
CMAKE
cmake -S "$work" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "find_package(Cradle)"
cmake --build "$work/build" >/dev/null || fail "build through find_package(Cradle)"
"$work/build/by-cmake" || fail "program built through find_package(Cradle)"
echo "install test: ok"
