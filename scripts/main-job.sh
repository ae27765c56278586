#!/usr/bin/env bash
# Installs what is missing, builds the plug-in and tells where it is.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kestro_plugin
echo
echo "Built: $(pwd)/build/release/TAV Kestro.so"
echo "Install it for your hosts with: cmake --install build/release   (copies it to ~/.vst)"
