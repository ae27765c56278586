#!/usr/bin/env bash
# Redraws every bitmap in resources/, and pictures for checking them (the whole window,
# the about screen, enlarged filmstrip frames) in build/artwork/tools/artwork/. Needs
# libcairo2-dev, libfreetype-dev and fonts-liberation (scripts/setup-deps.sh installs them).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cmake -S "$root" -B "$root/build/artwork" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKESTRO_ARTWORK=ON -DKESTRO_TESTS=OFF >/dev/null
cmake --build "$root/build/artwork" --target kestro_artwork_png
echo "Wrote $root/resources/*.png"
echo "To look at: window-mockup.png, about-mockup.png, filmstrips.png in $root/build/artwork/tools/artwork/"
