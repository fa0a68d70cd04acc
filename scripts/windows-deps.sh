#!/usr/bin/env bash
# Installs what the Windows build needs from Debian's packages: the MinGW-w64 cross compiler (its
# -posix variant, which Qt's threads need), Wine to run the result, ninja for the Qt build, dpkg-dev
# for `apt-get source`, zip for the package and Xvfb for a look at the window. It also lets apt fetch
# source packages, with a deb-src entry copied from the machine's own deb entries.
set -eu
here=$(dirname "$0")

"$here/install-deps.sh" g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools \
  wine64 ninja-build dpkg-dev perl zip unzip xvfb

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if [ -z "$(apt-cache showsrc qt6-base 2>/dev/null)" ]; then
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    if [ -s /etc/apt/sources.list.d/debian.sources ]; then
      echo "Adding a deb-src entry so that apt can fetch Qt's source package"
      sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/tarvik-deb-src.sources >/dev/null
    elif grep -qs '^deb ' /etc/apt/sources.list; then
      echo "Adding a deb-src entry so that apt can fetch Qt's source package"
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $SUDO tee /etc/apt/sources.list.d/tarvik-deb-src.list >/dev/null
    else
      echo "No apt source to copy a deb-src entry from" >&2
      exit 1
    fi
  fi
  $SUDO apt-get update -qq
fi
