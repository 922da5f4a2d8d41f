#!/usr/bin/env bash
# Installs the Debian packages the build needs, and only those that are missing.
# Idempotent: a second run finds everything and touches nothing.
set -euo pipefail

PACKAGES=(
  g++ make cmake pkgconf ccache mold
  libsqlite3-dev sqlite3
  postgresql libpq-dev
  qt6-base-dev qt6-base-private-dev libqt6sql6-sqlite qt6-qpa-plugins
  qt6-tools-dev qt6-tools-dev-tools libqt6designer6 libqt6uitools6 libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  fonts-dejavu-core
  poppler-utils python3
  # Qt's own dialogs and menus in German.
  qt6-translations-l10n
  # The acceptance tests: the demo in a real X session with a window manager, driven by X key and
  # mouse events, checked through the accessibility bus.
  xvfb openbox xdotool x11-utils imagemagick dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
