#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  libintelrdfpmath-dev       # exact decimals
  libcli11-dev nlohmann-json3-dev
  libsoci-dev libsqlite3-dev libpq-dev sqlite3
  postgresql postgresql-client   # the shared-server database, and for the tests
  libgtest-dev libgmock-dev libbenchmark-dev
  libcpp-httplib-dev libssl-dev libsodium-dev   # formhost serve: HTTP(S), password hashes
  chromium chromium-driver python3-selenium fonts-wqy-microhei   # the browser test
)

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
