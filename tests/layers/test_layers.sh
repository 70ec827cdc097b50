#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layer check passes on the project's sources, and fails on a tree that breaks a layer.
# Usage: test_layers.sh CHECK_SCRIPT SRC_FOLDER
set -uo pipefail
check="$1"
src="$2"
fail=0

if ! out=$("$check" "$src"); then
  echo "the sources break the layers:"; echo "$out"; fail=1
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{device,sim,core,ui,cli,app}
# expect NAME STATUS: the check over $tree must end with STATUS.
expect() {
  "$check" "$tree" >"$tree.out" 2>&1
  local got=$?
  if [ "$got" -ne "$2" ]; then echo "$1: exit $got, expected $2"; cat "$tree.out"; fail=1; fi
  rm -f "$tree.out"
}
printf '#include "device/protocol.h"\n#include <QString>\n#include "local.h"\n' >"$tree/core/a.cpp"
printf '#include "core/a.h"\n#include "sim/meter.h"\n' >"$tree/ui/w.cpp"
printf '#include "ui/w.h"\n#include "cli/c.h"\n' >"$tree/app/m.cpp"
expect "downward includes" 0
printf '#include "ui/w.h"\n' >"$tree/core/b.h"
expect "core including the windows" 1
rm "$tree/core/b.h"
printf '#include "cli/c.h"\n' >"$tree/ui/x.cpp"
expect "a face including the other" 1
rm "$tree/ui/x.cpp"
printf '  #  include "sim/meter.h"\n' >"$tree/device/d.cpp"
expect "device including the simulated meter" 1
rm "$tree/device/d.cpp"
printf '#include "core/a.h"\n' >"$tree/stray.cpp"
mkdir -p "$tree/common" && mv "$tree/stray.cpp" "$tree/common/"
expect "a folder outside the layers" 1
rm -r "$tree/common"
expect "the clean tree again" 0
exit "$fail"
