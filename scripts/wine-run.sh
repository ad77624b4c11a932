#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix: wine-run.sh prog.exe [args]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
vanta_wine_prefix
vanta_with_display wine "$@"
