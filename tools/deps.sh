# Installs the Debian packages that building, running and testing need, when any is missing.
# Sourced by ./run and ./test; rm7_extra names further packages the caller needs.
# The second line is what the package check (tools/check-package.sh) uses.
rm7_packages=(cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev locales libqt6sql6-sqlite libqt6sql6-psql postgresql
  lintian desktop-file-utils appstream dpkg-dev fakeroot file man-db ${rm7_extra[@]+"${rm7_extra[@]}"})
rm7_missing=()
for pkg in "${rm7_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || rm7_missing+=("$pkg")
done
if [ ${#rm7_missing[@]} -gt 0 ]; then
  echo "Installing: ${rm7_missing[*]}"
  rm7_sudo=""
  [ "$(id -u)" -ne 0 ] && rm7_sudo="sudo"
  $rm7_sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $rm7_sudo apt-get install -y -qq --no-install-recommends "${rm7_missing[@]}"
fi
