#!/usr/bin/env bash
# Installs what is missing, builds the plug-in and the offline renderer, renders the demo
# through the plug-in and tells where everything is.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kestro_plugin tav-render

demo="$(pwd)/build/release/kestro-demo.wav"
build/release/tools/tav-render/tav-render --demo "$demo"

echo
echo "Built:    $(pwd)/build/release/TAV Kestro.so"
echo "Demo:     $demo"
echo "          (12 s of organ through the cabinet: slow, fast, slow again; play it with any audio player)"
echo "Renderer: $(pwd)/build/release/tools/tav-render/tav-render   (--help for everything it does)"
echo "Install the plug-in for your hosts with: cmake --install build/release   (copies it to ~/.vst)"
