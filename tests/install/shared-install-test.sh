#!/usr/bin/env bash
# The install from a tree configured with BUILD_SHARED_LIBS=ON, as
# distribution builds often are: configures a second build tree so beside
# the test's own, builds only what the install needs (the two libraries, the
# caller, its manual and the package documents, not the test programs), then
# checks that the install is the same as install-test.sh checks it. The
# tree is kept, so a later run rebuilds only what changed; the first one
# compiles the library and the caller again, about three minutes on two
# cores.
#
#   shared-install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1/shared-library
source=$2
cmake -S "$source" -B "$build" -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARN_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" -j2 --target zarnutils_library zarnutils_static_library zarnutils \
  zarnutils_manual debian_changelog >/dev/null
exec bash "$source/tests/install/install-test.sh" "$build" "$source"
