#!/usr/bin/env bash
# Checks what `cmake --install` and CPack deliver, from a finished build:
#   tools/check-package.sh [BUILD_DIR]      (default build/)
# the desktop entry, the AppStream data, both manual pages, the .deb under lintian, stripped binaries,
# and that the program unpacked from the .deb answers --version without a display. Run by ./test.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"

missing=()
for tool in desktop-file-validate appstreamcli lintian dpkg-deb dpkg-shlibdeps man file cpack; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package check: skipped (missing: ${missing[*]}; tools/deps.sh installs them)"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package check: FAILED: $*"
  exit 1
}

desktop-file-validate packaging/rm7-download.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net packaging/com.korvane.rm7download.metainfo.xml >"$work/appstream.txt" 2>&1 ||
  { cat "$work/appstream.txt"; fail "appstreamcli validate"; }

for page in packaging/rm7-download.1 packaging/rm7-sim.1; do
  # Any warning from groff (an unknown request, a bad escape) counts as a failure.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l -Tutf8 "$page" >"$work/page.txt" 2>"$work/man.txt" ||
    fail "man -l $page"
  [ -s "$work/page.txt" ] && [ ! -s "$work/man.txt" ] || { cat "$work/man.txt"; fail "man -l $page warns"; }
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

cmake --install "$build" --prefix "$work/install" --strip >/dev/null || fail "cmake --install --strip"
for program in rm7-download rm7-sim; do
  file -b "$work/install/bin/$program" | grep -q ", stripped" || fail "$program is not stripped"
done

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.txt" 2>&1) || { cat "$work/cpack.txt"; fail "cpack"; }
deb=$(ls "$work"/deb/rm7-download_*.deb)
# lintian warns about running as root; its verdict is its exit code (it fails on errors).
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>/dev/null || { cat "$work/lintian.txt"; fail "lintian"; }
warnings=$(grep -c '^W:' "$work/lintian.txt" || true)
dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || fail "no dependencies from dpkg-shlibdeps"

dpkg -x "$deb" "$work/root"
answer=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$work/root/usr/bin/rm7-download" --version) || fail "rm7-download --version from the package"
[ "$answer" = "rm7-download $version" ] || fail "rm7-download --version printed '$answer'"

echo "package check: passed ($(basename "$deb"): desktop entry, AppStream, man pages, stripped install," \
  "lintian with 0 errors and $warnings warnings, --version from the unpacked package)"
