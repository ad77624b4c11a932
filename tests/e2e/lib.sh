# Shared by the end-to-end scripts: the Wine environment and small checks.
set -euo pipefail
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
VANTA_ROOT="$(cd "$E2E_DIR/../.." && pwd)"
source "$VANTA_ROOT/scripts/wine-env.sh"
vanta_wine_prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The Windows path of a file in the script's work folder ($work).
win_path() { local p="$work/$1"; echo "Z:${p//\//\\}"; }

# Runs a Windows program with a time limit; prints its exit code.
run_limited() {
  local seconds="$1"; shift
  set +e
  timeout "$seconds" wine "$@"
  local rc=$?
  set -e
  echo "$rc"
}

# Counts the pixels of a region of a screenshot that pass an awk test on r, g, b.
count_pixels() {
  local shot="$1" geometry="$2" test="$3"
  /usr/bin/convert "$shot" -crop "$geometry" +repage -depth 8 txt:- |
    awk -F'[()]' 'NR > 1 { split($2, c, ","); r = c[1] + 0; g = c[2] + 0; b = c[3] + 0; if ('"$test"') n++ }
                  END { print n + 0 }'
}

# The user's own files in the prefix, where the program keeps what a user
# changes (Unix paths): a saver's settings (%APPDATA%\Norvane\NAME.002) and
# the builder's folder (%LOCALAPPDATA%\Vanta Screensaver Builder).
wine_profile() { echo "$WINEPREFIX/drive_c/users/$(id -un)"; }
user_settings() { echo "$(wine_profile)/AppData/Roaming/Norvane/$1.002"; }
builder_user_dir() { echo "$(wine_profile)/AppData/Local/Vanta Screensaver Builder"; }
# The builder's working file, written afresh from lines (CR LF ends).
write_builder_working_file() {
  rm -rf "$(builder_user_dir)"
  mkdir -p "$(builder_user_dir)"
  printf '%s\r\n' "$@" >"$(builder_user_dir)/VantaSaver.002"
}
