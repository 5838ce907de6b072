#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and its tests need and is missing:
# clang and its libFuzzer runtime included, for the fuzz target that the test command builds (fuzz/).
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libsqlite3-dev libjpeg-dev libxlsxwriter-dev libzip-dev zlib1g-dev libssl-dev libical-dev
    qt6-qpa-plugins qt6-translations-l10n xdg-utils fonts-liberation2 fonts-dejavu-core
    sqlite3 libjpeg-turbo-progs poppler-utils xvfb xauth unzip python3 clang-format-14
    clang libclang-rt-dev
    libpq-dev postgresql  # the archives on a server; its tests start a PostgreSQL of their own
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
