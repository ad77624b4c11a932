#!/usr/bin/env bash
# F1 in the builder opens help.chm of its install folder in the system's
# help viewer: a window with the help file's title appears (under Wine the
# viewer shows its contents tree; its pages need an HTML engine the tests
# do not install), and closing it leaves the builder running.
#   help.sh VantaSaver.scr vanta-dialog-driver.exe help.chm
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/builderlib.sh"
exe="$1" driver="$2" chm="$3"
title="Vanta Screensaver Builder"
help_title="Vanta Screensaver Builder Help"
work="$(mktemp -d)"
trap 'wine "$driver" "$help_title" close >/dev/null 2>&1 || true; stop_program; rm -rf "$work" "$(builder_user_dir)"' EXIT
# The builder beside its help file: with no install folder in the registry
# it is its own.
wine reg query 'HKCU\Software\Norvane\vantasaver' /ve >/dev/null 2>&1 && fail "an install folder is set in the registry"
cp "$exe" "$work/VantaSaver.scr"
cp "$chm" "$work/help.chm"
write_builder_working_file '[Set]' 'ImageInterval=7'

open_window VantaSaver "$title"
for way in "F1" "the Help menu"; do
  if [ "$way" = F1 ]; then drive key:OutlookBar=112 >/dev/null; else drive menu:Help2 >/dev/null; fi
  wine "$driver" "$help_title" wait >/dev/null || fail "$way opened no window \"$help_title\""
  wine "$driver" "$help_title" close gone >/dev/null || fail "the help viewer did not close"
  kill -0 "$saver" 2>/dev/null || fail "the builder ended with the help viewer"
  drive settle >/dev/null || fail "the builder stopped answering after $way"
done
drive menu:UndoExit gone >/dev/null || fail "the builder did not close"
await_end
echo "help: ok"
