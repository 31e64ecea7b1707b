#!/usr/bin/env bash
# The program builds, with warnings as errors, under the compiler flags the
# distributions build packages with, which define _FORTIFY_SOURCE themselves
# (as Ubuntu's gcc does with no flags at all), and with clang.
# Usage: distribution_flags_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

configure() {
  cmake -S "$source_dir" -B "$work/$1" -G Ninja -DMIRUTOKA_WARNINGS_AS_ERRORS=ON -DMIRUTOKA_BUILD_TESTS=OFF "${@:2}"
}

# build NAME CXX CXXFLAGS LDFLAGS [CMAKE_OPTION...]: configures and builds the program alone.
build() {
  local name=$1 compiler=$2 flags=$3 link_flags=$4
  if CXX=$compiler CXXFLAGS=$flags LDFLAGS=$link_flags configure "$name" -DCMAKE_BUILD_TYPE=Release "${@:5}" \
       >>"$work/$name.log" 2>&1 &&
     cmake --build "$work/$name" --target mirutoka >>"$work/$name.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $name: the program does not build with: $flags" >&2
    grep -m 5 -E 'error|warning' "$work/$name.log" >&2
  fi
}

# dpkg-buildflags as a Debian package build passes them (CPPFLAGS go with CXXFLAGS).
build debian g++ "$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" "$(dpkg-buildflags --get LDFLAGS)"
# Fedora's %optflags and Arch's makepkg.conf, less what needs their own files.
build fedora g++ "-O2 -fexceptions -g -grecord-gcc-switches -pipe -Wall -Werror=format-security \
-Wp,-U_FORTIFY_SOURCE,-D_FORTIFY_SOURCE=3 -Wp,-D_GLIBCXX_ASSERTIONS -fstack-protector-strong -m64 -mtune=generic \
-fasynchronous-unwind-tables -fstack-clash-protection -fcf-protection -fno-omit-frame-pointer" \
  "-Wl,-z,relro -Wl,--as-needed -Wl,-z,now"
build arch g++ "-march=x86-64 -mtune=generic -O2 -pipe -fno-plt -fexceptions -Wp,-D_FORTIFY_SOURCE=3 -Wformat \
-Werror=format-security -fstack-clash-protection -fcf-protection -fno-omit-frame-pointer -Wp,-D_GLIBCXX_ASSERTIONS" \
  "-Wl,-O1 -Wl,--sort-common -Wl,--as-needed -Wl,-z,relro -Wl,-z,now"
# Ubuntu's gcc defines _FORTIFY_SOURCE=3 whenever it optimizes.
build ubuntu_compiler g++ "-D_FORTIFY_SOURCE=3" ""
build clang clang++ "" ""
# A folder configured plainly, then again with flags that define it: the
# check must see the new flags, not its cached answer.
configure reconfigured -DCMAKE_BUILD_TYPE=Release >"$work/reconfigured.log" 2>&1
build reconfigured g++ "" "" -DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=3
# Every optimized build type gets it where nothing defines it.
if configure relwithdebinfo -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/relwithdebinfo.log" 2>&1 &&
   grep -q -- '-D_FORTIFY_SOURCE=2' "$work/relwithdebinfo/build.ninja"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL: relwithdebinfo: no _FORTIFY_SOURCE in a RelWithDebInfo build" >&2
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
