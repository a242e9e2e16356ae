#!/usr/bin/env bash
# Checks the installation and makes the Debian package, from a build that is already made:
#
#   scripts/package.sh [BUILD_DIR [STAGE_DIR]]     (defaults: build, /tmp/tessel-stage)
#
# 1. installs BUILD_DIR into the staging prefix STAGE_DIR and checks what is there;
# 2. builds the host program of tests/package/consumer against it twice, with
#    find_package(Tessel) and with pkg-config, runs both headless and checks what they print;
# 3. makes the .deb with CPack in BUILD_DIR and lists what it holds;
# 4. only as root with CI=true: installs the .deb with apt-get (so its dependencies resolve)
#    and runs the installed programs.
# Nothing is built in BUILD_DIR: build it first (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
stage=${2:-/tmp/tessel-stage}
case $build in /*) ;; *) build=$root/$build ;; esac
case $stage in /*) ;; *) stage=$root/$stage ;; esac
export QT_QPA_PLATFORM=offscreen

say() { echo "package: $*"; }
fail() {
  echo "package: FAILED: $*" >&2
  exit 1
}

[ -f "$build/CMakeCache.txt" ] || fail "$build is no configured build directory (run scripts/build.sh)"
[ -x "$build/bin/tessel" ] || fail "$build/bin/tessel is missing: build first (scripts/build.sh)"

work=$(mktemp -d /tmp/tessel-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

# --- 1. the staged installation ------------------------------------------------------------
say "installing $build into $stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }
say "$(grep -c '^-- Installing' "$work/install.log") files installed"

libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
libdir=${libdir:-lib}
for f in bin/tessel bin/tessel-formula bin/tessel-media-picker \
  "$libdir/libtessel_editor.a" "$libdir/libtessel_platform.a" \
  "$libdir/cmake/Tessel/TesselConfig.cmake" "$libdir/cmake/Tessel/TesselConfigVersion.cmake" \
  "$libdir/cmake/Tessel/TesselTargets.cmake" "$libdir/pkgconfig/tessel.pc" \
  include/tessel/editor/tessel_edit.h include/tessel/platform/application.h \
  share/mime/packages/tessel.xml; do
  [ -e "$stage/$f" ] || fail "$f is not installed"
done
if [ -e "$stage/bin/tessel-studio" ]; then
  for f in share/applications/tessel-studio.desktop \
    share/icons/hicolor/scalable/apps/tessel-studio.svg; do
    [ -e "$stage/$f" ] || fail "$f is not installed"
  done
fi
say "$(find "$stage/include/tessel" -type f | wc -l) headers, $(ls "$stage/$libdir"/libtessel_*.a | wc -l) libraries, programs: $(ls "$stage/bin" | tr '\n' ' ')"

# Every public header compiles on its own with the installed headers alone.
qt_flags=$(pkg-config --cflags Qt6Widgets)
for h in editor/tessel_edit.h platform/application.h embed/tessel_editor.h; do
  [ -e "$stage/include/tessel/$h" ] || continue
  # shellcheck disable=SC2086
  echo "#include \"$h\"" | g++ -std=c++20 -fPIC -Wall -Wextra -Werror -fsyntax-only -x c++ \
    -I"$stage/include/tessel" $qt_flags - 2>"$work/header.log" ||
    { cat "$work/header.log" >&2; fail "the installed $h does not compile on its own"; }
done
say "the public headers compile from the staged include directory alone"

# --- 2. a host program built against it, both ways -------------------------------------------
page=$root/examples/exam-page.tsm
"$stage/bin/tessel" markup --editor "$page" >"$work/expected.tsm" ||
  fail "the staged tessel cannot open $page in the editor"

check_consumer() {
  local name=$1 program=$2
  "$program" >"$work/$name.out" 2>"$work/$name.err" ||
    { cat "$work/$name.err" >&2; fail "$name: the program failed"; }
  grep -q "Hello from a Tessel host" "$work/$name.out" ||
    { cat "$work/$name.out" >&2; fail "$name: the markup it printed lacks the page's text"; }
  "$program" "$page" >"$work/$name.page" 2>"$work/$name.err" ||
    { cat "$work/$name.err" >&2; fail "$name: the program failed on $page"; }
  cmp -s "$work/$name.page" "$work/expected.tsm" ||
    fail "$name: the markup it printed for $page differs from \`tessel markup --editor\`"
  say "$name: runs headless and hands back the markup ($(wc -c <"$work/$name.page") bytes for $page)"
}

say "building the consumer with find_package(Tessel)"
cmake -S "$root/tests/package/consumer" -B "$work/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$stage" -DTessel_DIR="$stage/$libdir/cmake/Tessel" \
  >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log" >&2; fail "configuring the CMake consumer"; }
nice ninja -C "$work/cmake" -j2 >"$work/cmake-build.log" 2>&1 ||
  { cat "$work/cmake-build.log" >&2; fail "building the CMake consumer"; }
check_consumer "find_package consumer" "$work/cmake/tessel_consumer"

say "building the consumer with pkg-config --cflags --libs tessel"
export PKG_CONFIG_PATH=$stage/$libdir/pkgconfig
pc_prefix=$(pkg-config --variable=prefix tessel) || fail "pkg-config does not find tessel.pc"
[ "$(cd "$pc_prefix" && pwd -P)" = "$(cd "$stage" && pwd -P)" ] ||
  fail "tessel.pc points at $pc_prefix, not at $stage"
nice make -s -C "$root/tests/package/consumer" OUT="$work" >"$work/make.log" 2>&1 ||
  { cat "$work/make.log" >&2; fail "building the pkg-config consumer"; }
unset PKG_CONFIG_PATH
check_consumer "pkg-config consumer" "$work/tessel_consumer_pc"

# --- 3. the Debian package -----------------------------------------------------------------
say "making the Debian package in $build"
rm -f "$build"/tessel_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$build"/tessel_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$work/cpack.log" >&2; fail "cpack made no tessel_*.deb"; }
dpkg-deb -c "$deb" >"$work/deb.list"
for f in ./usr/bin/tessel ./usr/bin/tessel-formula ./usr/bin/tessel-media-picker \
  ./usr/include/tessel/editor/tessel_edit.h "./usr/$libdir/pkgconfig/tessel.pc" \
  "./usr/$libdir/cmake/Tessel/TesselConfig.cmake" "./usr/$libdir/libtessel_editor.a" \
  ./usr/share/mime/packages/tessel.xml; do
  grep -q " $f\$" "$work/deb.list" || fail "$deb lacks $f"
done
say "$(basename "$deb"): $(du -h "$deb" | cut -f1), $(grep -c -v '/$' "$work/deb.list") files"
say "Depends: $(dpkg-deb -f "$deb" Depends)"

# --- 4. installed from the package, on CI only -----------------------------------------------
if [ "$(id -u)" -eq 0 ] && [ "${CI:-}" = true ]; then
  say "installing $(basename "$deb") with apt-get"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install $deb"; }
  if /usr/bin/tessel --version >"$work/version" 2>/dev/null; then
    say "installed: $(head -1 "$work/version")"
  else
    say "installed tessel has no --version; checking it on the example page instead"
    /usr/bin/tessel markup --editor "$page" >"$work/installed.tsm" ||
      fail "the installed tessel cannot open $page"
    cmp -s "$work/installed.tsm" "$work/expected.tsm" ||
      fail "the installed tessel writes $page differently from the staged one"
  fi
  picker=$(/usr/bin/tessel-media-picker --version) || fail "the installed tessel-media-picker"
  say "installed: $(echo "$picker" | head -1)"
  if [ -x /usr/bin/tessel-studio ]; then
    studio=$(/usr/bin/tessel-studio --version) || fail "the installed tessel-studio --version"
    say "installed: $(echo "$studio" | head -1)"
  fi
  # The host program once more, against the package in /usr, found without any path given.
  cmake -S "$root/tests/package/consumer" -B "$work/installed" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release >"$work/installed.log" 2>&1 ||
    { cat "$work/installed.log" >&2; fail "configuring the consumer against the package"; }
  tessel_dir=$(sed -n 's/^Tessel_DIR:[A-Z]*=//p' "$work/installed/CMakeCache.txt")
  [ "$tessel_dir" = /usr/lib/cmake/Tessel ] || [ "$tessel_dir" = "/usr/$libdir/cmake/Tessel" ] ||
    fail "find_package(Tessel) found $tessel_dir, not the package's /usr/$libdir/cmake/Tessel"
  nice ninja -C "$work/installed" -j2 >>"$work/installed.log" 2>&1 ||
    { cat "$work/installed.log" >&2; fail "building the consumer against the package"; }
  check_consumer "consumer of the installed package" "$work/installed/tessel_consumer"
else
  say "not root with CI=true: the package is not installed here"
fi
say "OK"
