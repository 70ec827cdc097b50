#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/run on a build folder whose program is up to date: nothing is built, nothing is printed
# before the program's own output, and the arguments reach the program; under make and Ninja alike.
# Usage: check_run_script.sh SOURCE_DIR BUILD_DIR VERSION
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../install/common.sh"
root="$1"
build="$2"
version="$3"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

before=$(stat -c %Y "$build/src/app/krx738")
KRX_BUILD="$build" timeout -s KILL 50 "$root/scripts/run" --version >"$tmp/out" 2>"$tmp/err"
check "scripts/run ends well" test $? -eq 0
check "the arguments reach the program" test "$(sed -n 1p "$tmp/out")" = "krx738 (KRX 738 read out program) $version"
check "nothing is printed when nothing needs building" test ! -s "$tmp/err"
check "the program is not built again" test "$(stat -c %Y "$build/src/app/krx738")" = "$before"
[ -s "$tmp/err" ] && sed 's/^/  /' "$tmp/err" >&2
finish
