#!/usr/bin/env bash
# The Windows build, made here with Debian's MinGW-w64 cross compiler and run under Wine.
# Usage: scripts/windows.sh build|test|package BUILD_FOLDER
#   build    cross-builds Qt once (scripts/windows-qt.sh), then tarvik.exe, tarvik.com and the tests
#   test     runs the tests under Wine with no display, then tarvik.com check and apply on a sample
#   package  makes tarvik-<version>-windows-x64.zip in BUILD_FOLDER: unzip anywhere and run
set -eu
step=$1
build=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${TARVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
mingw=x86_64-w64-mingw32
runtime_dlls=(/usr/lib/gcc/$mingw/12-posix/libstdc++-6.dll /usr/lib/gcc/$mingw/12-posix/libgcc_s_seh-1.dll
  /usr/$mingw/lib/libwinpthread-1.dll)

qt=$("$repo/scripts/windows-qt.sh" | tail -n 1)
version=$(sed -n 's/^project(Tarvik VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")

# A Windows path of a folder here: Wine shows this machine's files on Z:.
windows_path() { printf 'Z:%s' "$(cd "$1" && pwd)" | tr / '\\'; }

# Wine, in a prefix of its own, quiet, with no display, and one server kept up between programs.
wine_env() {
  export WINEPREFIX=$cache/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  # Wine hands a program the variables that start with WINE with that part taken off, and no QT_ ones.
  export WINEQT_QPA_PLATFORM=offscreen WINEQT_PLUGIN_PATH="$(windows_path "$qt/plugins")"
  export WINEQT_FORCE_STDERR_LOGGING=1 # Qt's messages and the tests' output on standard error
  export WINEPATH="$(windows_path "$qt/bin");$(windows_path /usr/lib/gcc/$mingw/12-posix);$(windows_path /usr/$mingw/lib)"
  # Debian's wine64 package puts these here and not on the PATH.
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  if [ ! -e "$WINEPREFIX/system.reg" ]; then
    echo "Making a Wine prefix in $WINEPREFIX (once)"
    "$wine" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
  fi
  # One server for every program, kept up until the end (it may be up already), with Wine's own
  # services started now: started by the first test, they would keep its output open and ctest
  # would wait for them.
  "$wineserver" -p 2>/dev/null || true
  "$wine" wineboot </dev/null >/dev/null 2>&1
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
}

case $step in
build)
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
  cmake --build "$build" --parallel "$jobs"
  ;;
test)
  wine_env
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
  echo "tarvik.com on the sample set:"
  work=$(mktemp -d)
  cp "$repo"/samples/*.txt "$work/"
  "$wine" "$build/tarvik.com" check "$(windows_path "$work")\\FlightPlans.txt"
  "$wine" "$build/tarvik.com" apply --if "IFR_VFR=IFR" --then "IFR_VFR=VFR" \
    "$(windows_path "$work")\\FlightPlans.txt"
  "$wine" "$build/tarvik.com" check "$(windows_path "$work")"
  rm -rf "$work"
  ;;
package)
  name=tarvik-$version-windows-x64
  stage=$build/$name
  rm -rf "$stage" "$build/$name.zip"
  mkdir -p "$stage/platforms" "$stage/styles"
  cp "$build/tarvik.exe" "$build/tarvik.com" "$stage/"
  cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "${runtime_dlls[@]}" "$stage/"
  cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$qt"/plugins/styles/*.dll "$stage/styles/" 2>/dev/null || true
  $mingw-strip "$stage"/*.exe "$stage"/*.com "$stage"/*.dll "$stage"/platforms/*.dll
  sed "s/@VERSION@/$version/" "$repo/desktop/windows/ReadMe.txt" | sed 's/$/\r/' >"$stage/ReadMe.txt"
  (cd "$build" && zip -qr9 "$name.zip" "$name")
  echo "$build/$name.zip ($(du -h "$build/$name.zip" | cut -f1))"
  ;;
*)
  echo "usage: $0 build|test|package BUILD_FOLDER" >&2
  exit 2
  ;;
esac
