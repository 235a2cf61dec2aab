#!/usr/bin/env bash
# Every shipped catalogue is complete against the template the build made from the sources
# of today: msgmerge brings it up to the template (a text added since gets an empty or a
# fuzzy entry), then msgfmt --check --statistics must count translated messages only.
# Usage: catalogues.sh TEMPLATE.pot PO_FOLDER   (the folder's LINGUAS names the catalogues)
set -euo pipefail
template=$1
folder=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
while read -r language; do
  [ -z "$language" ] && continue
  msgmerge --quiet --no-fuzzy-matching --output-file="$tmp/$language.po" "$folder/$language.po" "$template" 2>/dev/null
  # msgmerge keeps obsolete entries (#~): a text no longer in the sources is not a fault
  # of the catalogue, but it is worth cleaning up, so it is counted too.
  report=$(msgfmt --check --statistics --output-file=/dev/null "$tmp/$language.po" 2>&1)
  echo "$folder/$language.po: $report"
  if grep -q 'fuzzy\|untranslated' <<<"$report"; then status=1; fi
  if grep -q '^#~' "$tmp/$language.po"; then
    echo "$folder/$language.po: keeps texts the sources no longer have (msgmerge and remove the #~ entries)"
    status=1
  fi
  if ! grep -q 'translated message' <<<"$report"; then status=1; fi
done < <(grep -v '^#' "$folder/LINGUAS")
exit $status
