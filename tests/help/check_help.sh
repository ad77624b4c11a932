#!/usr/bin/env bash
# Checks help.chm as it ships: every topic the contents and the index name,
# every file of the project, every link and picture of every page is inside
# it (anchors included); no page runs script; every page has a title and is
# in the contents.
#   check_help.sh HELP.CHM SRC
set -euo pipefail
chm="$1" src="$2"
fail=0
problem() { echo "FAIL: $*" >&2; fail=1; }
[ -s "$chm" ] || { echo "FAIL: no $chm" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
chmls extractall "$chm" "$out" >/dev/null 2>&1
inside() { [ -f "$out/$1" ]; }
# A topic "page#anchor": the page is in the file and, with an anchor, has it.
topic_ok() {
  local page="${1%%#*}" anchor=""
  [[ "$1" == *"#"* ]] && anchor="${1#*#}"
  inside "$page" || return 1
  [ -z "$anchor" ] || grep -Eq "(id|name)=\"$anchor\"" "$out/$page"
}

toc=$(grep -o '<param name="Local" value="[^"]*"' "$out/toc.hhc" | sed 's/.*value="//; s/"$//')
[ "$(wc -l <<<"$toc")" -ge 10 ] || problem "the contents name only $(wc -l <<<"$toc") topics"
for t in $toc $(grep -o '<param name="Local" value="[^"]*"' "$out/index.hhk" | sed 's/.*value="//; s/"$//'); do
  topic_ok "$t" || problem "the contents or index name $t, which the help file does not hold"
done
for f in $(sed -n '/^\[FILES\]/,/^\[/p' "$src/help.hhp" | grep -v '^\[' | tr -d '\r'); do
  inside "$f" || problem "$f of the project is not in the help file"
done
title=$(grep -a -o 'Vanta Screensaver Builder Help' "$out/#SYSTEM" | head -1 || true)
[ -n "$title" ] || problem "the help file carries no title"

pages=("$out"/*.htm)
[ "${#pages[@]}" -ge 10 ] || problem "only ${#pages[@]} pages"
for page in "${pages[@]}"; do
  name="$(basename "$page")"
  grep -qix "$name" <<<"$toc" || problem "$name is not in the contents"
  grep -Eq '<title>[^<]+</title>' "$page" || problem "$name has no title"
  if grep -Eiq '<script|javascript:|on(click|load|mouseover)=' "$page"; then problem "$name runs script"; fi
  for ref in $(grep -Eo '(href|src)="[^"]*"' "$page" | sed 's/^[a-z]*="//; s/"$//'); do
    case "$ref" in
      http://* | https://* | mailto:*) problem "$name links outside the help: $ref" ;;
      "#"*) topic_ok "$name$ref" || problem "$name links to $ref, which it does not have" ;;
      *) topic_ok "$ref" || problem "$name links to $ref, which the help file does not hold" ;;
    esac
  done
done
for shot in "$out"/images/*.png; do
  [ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || problem "$(basename "$shot") is no PNG picture"
done
[ "$fail" = 0 ] || exit 1
echo "help: ${#pages[@]} pages, $(wc -l <<<"$toc") topics, every link and picture inside"
