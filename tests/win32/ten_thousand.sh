#!/usr/bin/env bash
# The builder with ten thousand pictures: ten_thousand.sh PROGRAM. Wine makes
# files slowly, so the listed files are made here and their folder handed
# over in VANTA_TEN_THOUSAND; the test prints the times it measured.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
vanta_wine_prefix
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
seq -f "$work/p%g.jpg" 1 9999 | xargs touch
VANTA_TEN_THOUSAND="$(winepath -w "$work" 2>/dev/null)" \
  vanta_with_display wine "$1" --gtest_also_run_disabled_tests \
  --gtest_filter=BuilderFormTest.DISABLED_TenThousandPicturesFillAddAndClearQuickly
