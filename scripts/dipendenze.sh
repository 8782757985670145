#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Safe to run again.
set -euo pipefail

# fonts-liberation gives "Arial" its metrics and fonts-wine a free "Tahoma", so designed
# windows fit their texts; qt6-translations-l10n puts Qt's own buttons and dialogs in Italian.
pacchetti=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  libgtest-dev libgmock-dev
  xvfb xauth fonts-liberation fonts-wine
)
if [ "${1:-}" = "--server" ]; then
  pacchetti+=(firebird3.0-server)
fi

mancanti=()
for p in "${pacchetti[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || mancanti+=("$p")
done
[ ${#mancanti[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# The server package asks for the SYSDBA password: give it ours instead of a random one.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password quillpond" \
  | $sudo debconf-set-selections
$sudo apt-get update -qq || true
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${mancanti[@]}"
