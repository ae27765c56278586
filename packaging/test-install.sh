#!/usr/bin/env bash
# Checks both Linux installations from an existing release build (build/release):
#  1. the per-user `cmake --install`, staged under a temporary DESTDIR: the plug-in, the
#     manual and the factory bank are installed, and "ManualPath" in the user's settings
#     names the installed manual;
#  2. the Debian package: built with cpack, no lintian errors, installed with dpkg -i, the
#     installed plug-in loaded through the test host (kestro_installed_package_check), the
#     installed tav-render run, then purged, leaving none of its files behind.
# Needs root for dpkg. Usage: bash packaging/test-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
package_name="tav-kestro"

work="$(mktemp -d)"
installed=""
cleanup() {
  if [ -n "$installed" ]; then dpkg --purge "$package_name" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "test-install: FAILED: $*" >&2; exit 1; }

echo "== per-user install (staged in a temporary DESTDIR)"
stage="$work/stage"
DESTDIR="$stage" XDG_CONFIG_HOME="/kestro-test-config" cmake --install "$build" >"$work/install.log"
vst_dir="$(sed -n 's/^KESTRO_VST_DIR:PATH=//p' "$build/CMakeCache.txt")"
doc_dir="$(sed -n 's/^KESTRO_USER_DOC_DIR:PATH=//p' "$build/CMakeCache.txt")"
[ -f "$stage$vst_dir/TAV Kestro.so" ] || fail "plug-in not in $vst_dir"
[ -f "$stage$doc_dir/TAV Kestro Factory.tvb" ] || fail "factory bank not in $doc_dir"
manual_setting="$stage/kestro-test-config/TAV-quillmoor/TAVKST1/ManualPath"
[ -f "$manual_setting" ] || fail "ManualPath not written to the user's settings"
manual="$(cat "$manual_setting")"
[ "$manual" = "$doc_dir/TAV Kestro Manual.pdf" ] || fail "ManualPath holds '$manual'"
[ "$(head -c 5 "$stage$manual")" = "%PDF-" ] || fail "the manual is not a PDF"
echo "per-user install: OK"

echo "== Debian package"
cmake --build "$build" --target kestro_installed_package_check >/dev/null
rm -f "$build"/${package_name}_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$build"/${package_name}_*.deb)"
if command -v lintian >/dev/null; then
  lintian --allow-root "$deb" >"$work/lintian.log" 2>&1 || true
  cat "$work/lintian.log"
  if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi
fi

dpkg -i "$deb" >/dev/null
installed=yes
"$build/packaging/kestro_installed_package_check"
/usr/bin/tav-render --list >"$work/list.txt" || fail "the installed tav-render cannot list the installed plug-in"
grep -q "Single Mic" "$work/list.txt" || fail "tav-render --list shows no factory programs"

dpkg --purge "$package_name" >/dev/null
installed=""
for path in "/usr/lib/lxvst/TAV Kestro.so" /usr/bin/tav-render /usr/share/doc/tav-kestro \
            /etc/xdg/TAV-quillmoor/TAVKST1/ManualPath; do
  [ ! -e "$path" ] || fail "$path is left after removing the package"
done
echo "Debian package: OK"
echo "2 passed, 0 failed"
