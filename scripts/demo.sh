#!/usr/bin/env bash
# The main job, headless: a fresh program folder with the demo catalogue, then the shop built from it.
set -euo pipefail
build=${1:-build}
demo=${2:-$PWD/demo-shop}
kalmenor="$build/src/ui/kalmenor/kalmenor"
rm -rf "$demo"
export KALMENOR_CONFIG_DIR="$demo/config"
mkdir -p "$KALMENOR_CONFIG_DIR"
"$kalmenor" init --demo "$demo"
QT_QPA_PLATFORM=offscreen "$kalmenor" build --program-folder "$demo" --theme classic "$demo/classic.html" >/dev/null
QT_QPA_PLATFORM=offscreen "$kalmenor" build --program-folder "$demo"
