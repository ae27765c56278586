#!/usr/bin/env bash
# Rebuilds "TAV Kestro Manual.pdf" from manual.html and manual.css with weasyprint (Debian
# package "weasyprint"). The PDF is committed, so builds and CI never run this.
#
#   bash docs/build-manual.sh
#
# When tav-view has been built (build/release/tools/tav-view/tav-view) or is installed, the
# window picture images/editor.png is first rendered anew with `tav-view --png`. Until then
# images/editor.png is the bare panel artwork (resource 4000), a stand-in for the screenshot.
set -euo pipefail
cd "$(dirname "$0")"

if ! command -v weasyprint >/dev/null; then
  echo "build-manual: weasyprint is missing (apt-get install weasyprint)" >&2
  exit 1
fi

view=""
for candidate in ../build/release/tools/tav-view/tav-view "$(command -v tav-view || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then view="$candidate"; break; fi
done
if [ -n "$view" ]; then
  echo "Rendering the window with $view"
  "$view" --png images/editor.png
else
  echo "tav-view not found: keeping images/editor.png as it is"
fi

# The window picture is named once in the source; weasyprint reads a copy with it filled in.
page="$(mktemp --suffix=.html -p .)"
trap 'rm -f "$page"' EXIT
sed 's|@WINDOW_IMAGE@|images/editor.png|g' manual.html >"$page"
weasyprint --presentational-hints "$page" "TAV Kestro Manual.pdf"
echo "Wrote docs/TAV Kestro Manual.pdf"
