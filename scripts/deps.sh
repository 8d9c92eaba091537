# Sourced by the other scripts: installs the Debian packages the build and the tests need,
# only when one is missing.
# The package test needs dpkg-dev and file (cpack's dependency list), desktop-file-utils and
# appstream; the hung-share tests need fuse3 and libfuse3-dev (found with pkg-config).
TOVA_PACKAGES="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev xvfb xauth
  dpkg-dev file desktop-file-utils appstream pkg-config fuse3 libfuse3-dev"

tova_install_deps() {
  local missing=()
  for p in $TOVA_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds into build/ with both cores.
tova_build() {
  cmake -S "$TOVA_ROOT" -B "$TOVA_ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$TOVA_ROOT/build" -j2
}
