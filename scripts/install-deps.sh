#!/usr/bin/env bash
# Installs the Debian packages that building, testing and fuzzing need, and only those missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -eu

# locales: its definitions let a test compile a German locale (decimal comma) with localedef.
needed=(cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-dejavu-core clang libclang-rt-14-dev
  locales "$@")

# Every tool there, and nothing more asked for: no need to ask the package manager.
if [ $# -eq 0 ] && command -v cmake make g++ clang++ pkg-config >/dev/null &&
  pkg-config --exists Qt6Widgets Qt6Test gl 2>/dev/null &&
  [ -e /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] && [ -e /usr/share/i18n/locales/de_DE ] &&
  ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  exit 0
fi

missing=()
for pkg in "${needed[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=sudo
  else
    echo "These packages are missing and installing them needs root:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
