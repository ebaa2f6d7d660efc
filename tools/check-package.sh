#!/usr/bin/env bash
# Checks what `cmake --install` and the Debian package deliver, after a finished build:
#   tools/check-package.sh [BUILD_DIR]      (default build/)
# the desktop entry, the AppStream data, both manual pages and a stripped install from the build; then
# the source and binary packages that dpkg-buildpackage builds from a copy of the tree, under lintian,
# the files and dependencies of the .deb, its hardened and stripped programs, that the program
# unpacked from it answers --version without a display, and its systemd user units under
# systemd-analyze verify. Run by ./test, which has just run the tests, so
# the package is built with DEB_BUILD_OPTIONS=nocheck: the tests are neither built nor run a second time.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"

missing=()
for tool in desktop-file-validate appstreamcli lintian dpkg-buildpackage dh dpkg-deb man file git systemd-analyze; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package check: skipped (missing: ${missing[*]}; ./test installs them)"
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
debian_version=$(dpkg-parsechangelog -S Version)
[ "${debian_version%-*}" = "$version" ] ||
  fail "debian/changelog's $debian_version is not a revision of the project's version $version"

cmake --install "$build" --prefix "$work/install" --strip >/dev/null || fail "cmake --install --strip"
for program in rm7-download rm7-sim; do
  file -b "$work/install/bin/$program" | grep -q ", stripped" || fail "$program is not stripped"
done
for unit in rm7-download-collect.service rm7-download-collect.timer; do
  [ -f "$work/install/lib/systemd/user/$unit" ] || fail "cmake --install puts no lib/systemd/user/$unit"
done

# The tree as git sees it (new files included, ignored ones not), so a build folder stays out; the
# upstream tarball is made from it beside the copy (debian/README.source).
source="$work/rm7-download-$version"
mkdir "$source"
git ls-files -z --cached --others --exclude-standard | tar --create --null --files-from=- --ignore-failed-read |
  tar --extract --directory="$source"
(cd "$source" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -Pnocheck) \
  >"$work/dpkg-buildpackage.txt" 2>&1 || { tail -40 "$work/dpkg-buildpackage.txt"; fail "dpkg-buildpackage"; }
changes=$(ls "$work"/rm7-download_*.changes)
deb=$(ls "$work"/rm7-download_*.deb)
ls "$work"/rm7-download-dbgsym_*.deb >/dev/null 2>&1 || fail "no rm7-download-dbgsym package"

# lintian on the .changes looks at the .dsc, the .buildinfo and both .debs. Its verdict is its exit code
# (errors and warnings fail; the overrides in debian/ say why theirs do not count); a binary built without
# the distribution's hardening or left unstripped fails at any level. It warns about running as root on
# standard error.
lintian -EvIL +pedantic --fail-on error,warning "$changes" >"$work/lintian.txt" 2>/dev/null ||
  { cat "$work/lintian.txt"; fail "lintian"; }
! grep -E "^[EWIPX]: .*(hardening-no-|unstripped|binary-has-unneeded-section)" "$work/lintian.txt" ||
  fail "lintian: programs not built with the distribution's flags"
tags=$(grep -cE '^[IPX]:' "$work/lintian.txt" || true)

dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || fail "no dependencies from dpkg-shlibdeps"
dpkg-deb -f "$deb" Depends | grep -q libqt6sql6-sqlite || fail "no dependency on the SQLite driver"
dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/files.txt"
for file in usr/bin/rm7-download usr/bin/rm7-sim usr/share/applications/rm7-download.desktop \
  usr/share/metainfo/com.korvane.rm7download.metainfo.xml usr/share/icons/hicolor/scalable/apps/rm7-download.svg \
  usr/share/man/man1/rm7-download.1.gz usr/share/man/man1/rm7-sim.1.gz \
  usr/share/doc/rm7-download/copyright usr/share/doc/rm7-download/README.Debian \
  usr/share/doc/rm7-download/examples/99-rm7-adapter.rules \
  usr/share/bash-completion/completions/rm7-download usr/share/bash-completion/completions/rm7-sim \
  usr/share/zsh/vendor-completions/_rm7-download usr/share/fish/vendor_completions.d/rm7-download.fish \
  usr/share/fish/vendor_completions.d/rm7-sim.fish \
  usr/lib/systemd/user/rm7-download-collect.service usr/lib/systemd/user/rm7-download-collect.timer; do
  grep -qx "./$file" "$work/files.txt" || fail "the package lacks /$file"
done

dpkg -x "$deb" "$work/root"
grep -q "^License: GPL-3.0-or-later" "$work/root/usr/share/doc/rm7-download/copyright" ||
  fail "the copyright file names no GPL-3.0-or-later"
answer=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$work/root/usr/bin/rm7-download" --version) || fail "rm7-download --version from the package"
[ "$answer" = "rm7-download $version" ] || fail "rm7-download --version printed '$answer'"

# The package's units as the user's systemd would read them: their syntax, the timer's service, the
# manual page they name and the program they start, all from the unpacked package (the program's path
# pointed into it, as it is not installed here). Any word from systemd-analyze counts as a failure; it
# needs a runtime folder, not a running systemd.
units="$work/units"
mkdir -p "$units" "$work/runtime"
chmod 0700 "$work/runtime"
for unit in rm7-download-collect.service rm7-download-collect.timer; do
  sed "s|=/usr/bin/rm7-download |=$work/root/usr/bin/rm7-download |" \
    "$work/root/usr/lib/systemd/user/$unit" >"$units/$unit"
done
grep -q "^ExecStart=$work/root/usr/bin/rm7-download --collect" "$units/rm7-download-collect.service" ||
  fail "the service does not start /usr/bin/rm7-download --collect"
XDG_RUNTIME_DIR="$work/runtime" MANPATH="$work/root/usr/share/man" systemd-analyze --user verify \
  "$units/rm7-download-collect.service" "$units/rm7-download-collect.timer" >"$work/verify.txt" 2>&1 ||
  { cat "$work/verify.txt"; fail "systemd-analyze verify"; }
[ ! -s "$work/verify.txt" ] || { cat "$work/verify.txt"; fail "systemd-analyze verify warns"; }

echo "package check: passed ($(basename "$deb") and its source package by dpkg-buildpackage:" \
  "desktop entry, AppStream, man pages, stripped install, lintian -EvIL +pedantic with no error or" \
  "warning and $tags other tags beyond the overrides in debian/, files, --version from the unpacked package," \
  "systemd-analyze verify of the user units)"
