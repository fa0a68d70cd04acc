#!/usr/bin/env bash
# Cross-builds Qt for 64-bit Windows from Debian's own qt6-base source package, the version of the
# host's Qt (whose moc, rcc and uic the cross build uses), into a cache folder outside the repo.
# A finished build is reused; a new one is made only when the version or the options change.
# Usage: scripts/windows-qt.sh   (prints the folder of the installed Qt on its last line)
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${TARVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

"$repo/scripts/windows-deps.sh" >&2
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF -DFEATURE_direct2d=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
  # The repacked source has no wintab headers, which tablet support in the windows plugin needs.
  -DFEATURE_tabletevent=OFF
  # Without Direct2D the DirectWrite font database is not built, so the plugin uses GDI fonts.
  -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF
)
stamp=$(printf '%s\n' "$version" "${options[@]}" "$(cat "$repo/cmake/mingw-w64-x86_64.cmake")" |
  sha1sum | cut -c1-12)
prefix=$cache/qt-windows-${version%%+*}-$stamp

if [ -e "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/qt-windows-work
rm -rf "$work" "$prefix"
mkdir -p "$work"
echo "Building Qt $version for Windows in $work (about 16 minutes on 2 cores, once)" >&2
(cd "$work" && apt-get source -qq --download-only "qt6-base=$version" >&2 &&
  dpkg-source -x --skip-debianization qt6-base_*.dsc src >/dev/null)
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${options[@]}" >"$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --parallel "$jobs" >"$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
