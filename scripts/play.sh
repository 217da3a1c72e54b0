#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the folder holding data/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd build
exec ./tumbleroo
