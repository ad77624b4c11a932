# Shared by the end-to-end scripts: the Wine environment and small checks.
set -euo pipefail
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
VANTA_ROOT="$(cd "$E2E_DIR/../.." && pwd)"
source "$VANTA_ROOT/scripts/wine-env.sh"
vanta_wine_prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a Windows program with a time limit; prints its exit code.
run_limited() {
  local seconds="$1"; shift
  set +e
  timeout "$seconds" wine "$@"
  local rc=$?
  set -e
  echo "$rc"
}
