#!/usr/bin/env bash
# Builds the Debian package into dist/ and checks it with lintian when lintian is there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debian's hardening flags, with every relocation resolved at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKB_BUILD_TESTS=OFF \
  -DKB_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-package
mkdir -p dist
(cd build-package && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
package=$(ls -t dist/*.deb | head -n 1)
echo "$package"
if command -v lintian >/dev/null; then
  # Errors fail the build; warnings are printed.
  lintian --fail-on error --info "$package"
  echo "lintian: no errors"
fi
