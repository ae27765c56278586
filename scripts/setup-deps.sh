#!/usr/bin/env bash
# Installs what the build, the tests and the tools need on a Debian machine.
# Safe to run again: it only asks apt for packages that are missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev libx11-dev libxtst-dev xvfb
  libcairo2-dev libfreetype-dev libpng-dev fonts-liberation
  clang libclang-rt-14-dev
  # The Windows DLLs: mingw-w64 (posix threads), GoogleTest's sources for the cross build,
  # and 64-bit wine with a virtual X display for the tests (no i386 architecture needed).
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine wine64 xvfb xauth
  # Packages and installers: dpkg-shlibdeps and lintian for the Debian package, makensis for
  # the Windows installer.
  dpkg-dev file lintian nsis
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
