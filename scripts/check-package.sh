#!/usr/bin/env bash
# Checks the Debian package in dist/ (made by scripts/package.sh): lists its contents, runs
# lintian, unpacks it into a scratch root and runs the installed-copy tests of build-ci on
# it there, with the sound server and message bus of the tests. With --system it is also
# installed and removed with dpkg on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
package=$(ls -t dist/*.deb | head -n 1)
echo "== $package"
dpkg-deb --field "$package" Package Version Architecture Depends Recommends
echo "== contents"
dpkg -c "$package"
echo "== lintian"
lintian --fail-on error "$package" | tee /tmp/kb-lintian.$$ || { rm -f /tmp/kb-lintian.$$; exit 1; }
echo "lintian: $(grep -c '^E:' /tmp/kb-lintian.$$ || true) errors," \
  "$(grep -c '^W:' /tmp/kb-lintian.$$ || true) warnings"
rm -f /tmp/kb-lintian.$$

root=$(mktemp -d /tmp/kb-package-XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg -x "$package" "$root"
echo "== unpacked into $root"
cmake --build build-ci --target install_tests >/dev/null
KB_INSTALLED_ROOT=$root KB_INSTALLED_PREFIX=/usr \
  bash scripts/with-test-services.sh build-ci/tests/install_tests

if [ "${1:-}" = --system ]; then
  echo "== dpkg -i"
  dpkg -i "$package"
  /usr/bin/kelvora-broadcasting --version
  runtime=$(mktemp -d)
  XDG_RUNTIME_DIR=$runtime systemd-analyze --user verify \
    /usr/lib/systemd/user/kelvora-broadcasting.service
  rm -rf "$runtime"
  files=$(dpkg -L kelvora-broadcasting)
  echo "== dpkg -r"
  dpkg -r kelvora-broadcasting
  if dpkg-query -W -f='${Status}' kelvora-broadcasting 2>/dev/null | grep -q installed; then
    echo "still installed after dpkg -r" >&2
    exit 1
  fi
  left=""
  for f in $files; do
    if [ -f "$f" ] || [ -L "$f" ]; then left="$left $f"; fi
  done
  [ -z "$left" ] || { echo "left after removal:$left" >&2; exit 1; }
  echo "installed and removed cleanly"
fi
