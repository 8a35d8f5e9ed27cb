#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the package need, when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libplist-dev libgtest-dev dbus qt6-image-formats-plugins
          # the formatting check
          clang-format
          # the icons, rendered at build time
          librsvg2-bin
          # the install and package check: the Debian package and what validates it
          dpkg-dev lintian desktop-file-utils appstream man-db bash-completion zsh)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
