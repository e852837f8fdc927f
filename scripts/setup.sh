#!/usr/bin/env bash
# Installs every build, test and release dependency from Debian's packages,
# and the further packages named as arguments.
# Idempotent: a machine that already has everything returns at once.
set -euo pipefail

# clang and libclang-rt-14-dev (the sanitizer and libFuzzer runtimes) build
# the sanitize preset and the fuzzers; clang-format checks the sources'
# formatting; pkg-config, dpkg-dev (dpkg-shlibdeps,
# for the .deb's dependencies), lintian and man-db serve the install and
# .deb tests; the Windows release (scripts/package.sh) takes wixl and
# msitools (msibuild, msiinfo) for the MSI, cmark-gfm for the HTML of docs/,
# osslsigncode for Authenticode signatures (openssl makes the test's
# throw-away certificate), zip and unzip; jq and python3 read back the
# verbs' --json output in their tests; libhivex-dev reads and writes
# Windows hive files, and hivexsh and hivexregedit (libhivex-bin,
# libwin-hivex-perl) read back in the tests what the project writes.
packages=(
  cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev libsqlite3-dev libdtl-dev
  clang libclang-rt-14-dev clang-format
  dpkg-dev lintian man-db jq python3
  g++-mingw-w64-i686 mingw-w64-tools libwine-dev wine wine32:i386
  g++-mingw-w64-x86-64-posix wine64
  wixl msitools cmark-gfm osslsigncode openssl zip unzip
  libhivex-dev libhivex-bin libwin-hivex-perl
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails one index now and then; apt keeps
# the indexes it did fetch, which usually hold everything listed above, so
# retry a little and then let the install itself decide.
for attempt in 1 2 3; do
  "${sudo_cmd[@]}" apt-get update -qq && break
  echo "setup: package index update failed (attempt $attempt of 3)" >&2
  [ "$attempt" -lt 3 ] && sleep 10
done
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
if ! "${sudo_cmd[@]}" "${install[@]}" "${missing[@]}"; then
  # When the security index of one architecture failed to update, the two
  # architectures' candidates of a shared library differ and cannot be
  # installed together; the release's own versions match in both.
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "setup: retrying with $codename's own package versions" >&2
  "${sudo_cmd[@]}" "${install[@]}" -t "$codename" "${missing[@]}"
fi
