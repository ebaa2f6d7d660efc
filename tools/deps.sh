# Installs what building, running and testing need, when any of it is missing; sourced by ./run and
# ./test. What building needs is listed once, as Build-Depends in debian/control, and comes through
# `apt-get build-dep`; the callers name only what goes beyond it:
#   rm7_extra    further packages (the package check's tools, the shells of the completion test, clang)
#   rm7_profile  a build profile: "nocheck" leaves out the Build-Depends only the tests need
rm7_sudo=()
[ "$(id -u)" -ne 0 ] && rm7_sudo=(sudo)
rm7_profiles=()
[ -n "${rm7_profile:-}" ] && rm7_profiles=(-P "$rm7_profile")

rm7_missing=()
for pkg in ${rm7_extra[@]+"${rm7_extra[@]}"}; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || rm7_missing+=("$pkg")
done
# dpkg-checkbuilddeps (from dpkg-dev, itself a build-essential package) also checks build-essential.
rm7_build_deps=missing
if command -v dpkg-checkbuilddeps >/dev/null &&
  dpkg-checkbuilddeps ${rm7_profiles[@]+"${rm7_profiles[@]}"} debian/control 2>/dev/null; then
  rm7_build_deps=met
fi

if [ "$rm7_build_deps" = missing ] || [ ${#rm7_missing[@]} -gt 0 ]; then
  if [ ${#rm7_sudo[@]} -gt 0 ] && ! command -v sudo >/dev/null; then
    echo "tools/deps.sh: packages are missing; installing them takes root or sudo" >&2
    return 1
  fi
  rm7_apt=(${rm7_sudo[@]+"${rm7_sudo[@]}"} env DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends)
  ${rm7_sudo[@]+"${rm7_sudo[@]}"} apt-get update -qq
  if [ "$rm7_build_deps" = missing ]; then
    echo "Installing the Build-Depends of debian/control${rm7_profile:+ (profile $rm7_profile)}"
    "${rm7_apt[@]}" ${rm7_profiles[@]+"${rm7_profiles[@]}"} build-dep ./
  fi
  if [ ${#rm7_missing[@]} -gt 0 ]; then
    echo "Installing: ${rm7_missing[*]}"
    "${rm7_apt[@]}" install "${rm7_missing[@]}"
  fi
fi
