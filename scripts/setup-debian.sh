#!/usr/bin/env bash
# Installs the Debian 12 packages that Tolvane needs to build, run and test, skipping those
# already present. Run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libpugixml-dev nlohmann-json3-dev libproj-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev xvfb xauth
  sqlite3 nodejs npm
  clang-14 libclang-rt-14-dev llvm-14
  dpkg-dev file desktop-file-utils appstream man-db shared-mime-info libxml2-utils
)

missing=()
for package in "${packages[@]}"; do
  # Some builds of nodejs (NodeSource's) bring npm with them and conflict with Debian's package.
  if [ "$package" = npm ] && command -v npm >/dev/null; then continue; fi
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
