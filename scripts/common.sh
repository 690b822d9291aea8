# Shared by run.sh and test.sh: installs the Debian packages the project needs
# (only those missing) and configures and builds the project into build/.

NEMORA_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libcli11-dev nlohmann-json3-dev libical-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  tzdata python3 python3-numpy python3-jsonschema
  clang libclang-rt-14-dev
  fonts-dejavu-core
)

nemora_install_packages() {
  local missing=()
  for pkg in "${NEMORA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# nemora_build [extra cmake arguments...]
nemora_build() {
  cmake -S . -B build -G Ninja "$@"
  cmake --build build -j "$(nproc)"
}

# nemora_build_targets TARGET... : configures build/ (keeping its settings)
# and builds only the named targets.
nemora_build_targets() {
  cmake -S . -B build -G Ninja >/dev/null
  cmake --build build -j "$(nproc)" --target "$@"
}
