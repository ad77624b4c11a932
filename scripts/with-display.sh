#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
vanta_with_display "$@"
