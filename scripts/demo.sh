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
if [ -f "$demo/config/KVO.INI" ] || [ -f data/demo/KVO.INI ]; then
  [ -f "$demo/config/KVO.INI" ] || cp data/demo/KVO.INI "$demo/config/KVO.INI"
fi
QT_QPA_PLATFORM=offscreen "$kalmenor" build --program-folder "$demo" --theme classic "$demo/classic.html" >/dev/null
QT_QPA_PLATFORM=offscreen "$kalmenor" build --program-folder "$demo"
