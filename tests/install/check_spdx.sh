#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every file of the source tree carries its SPDX line (scripts/spdx --check), and the script finds
# and mends the faults it is there for, on a small tree made for the purpose.
# Usage: check_spdx.sh SOURCE_DIR
set -uo pipefail
src="$1"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
spdx="$src/scripts/spdx"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

checks=$((checks + 1))
if ! "$spdx" --check "$src" >"$tmp/source.out" 2>"$tmp/source.err"; then
    sed 's/^/  /' "$tmp/source.err" >&2
    fail "every file of the source tree carries its SPDX line"
fi
cat "$tmp/source.out"
t="$tmp/tree"
mkdir -p "$t/src" "$t/scripts" "$t/data" "$t/fuzz/corpus/x"
gpl="SPDX-License-Identifier: GPL-3.0-or-later"
printf '#pragma once\nint f();\n' >"$t/src/missing.h"
printf '// %s\n#pragma once\n' "$gpl" >"$t/src/fine.h"
printf '// SPDX-License-Identifier: MIT\nint g;\n' >"$t/src/other.cpp"
printf '#!/bin/sh\necho hi\n' >"$t/scripts/tool"
chmod 755 "$t/scripts/tool"
printf 'project(x)\n' >"$t/CMakeLists.txt"
printf '<?xml version="1.0"?>\n<svg/>\n' >"$t/data/icon.svg"
printf '<?xml version="1.0"?>\n<component/>\n' >"$t/data/x.metainfo.xml.in"
printf '.TH X 1\n' >"$t/data/x.1.in"
printf '{"a": 1}\n' >"$t/data/scenario.json"
printf 'seed' >"$t/fuzz/corpus/x/seed"
printf 'plain words\n' >"$t/data/notes.txt"
mkdir -p "$t/build" && touch "$t/build/CMakeCache.txt" "$t/build/generated.cpp"
cp -p "$t/data/scenario.json" "$tmp/scenario.json"

"$spdx" --check "$t" >/dev/null 2>"$tmp/offenders"
check "--check fails on a tree with offenders" test $? -ne 0
sed -E 's/: .*//' "$tmp/offenders" | LC_ALL=C sort >"$tmp/listed"
check "--check lists exactly the offenders" diff "$tmp/listed" <(printf '%s\n' CMakeLists.txt \
    data/icon.svg data/notes.txt data/x.1.in data/x.metainfo.xml.in scripts/tool src/missing.h \
    src/other.cpp | LC_ALL=C sort)
check "--check changes nothing" bash -c "head -n 1 '$t/src/missing.h' | grep -qx '#pragma once'"

"$spdx" "$t" >/dev/null 2>"$tmp/left"
check "adding fails while a file is left to a person" test $? -ne 0
check "adding leaves the unknown kind and the other licence" diff <(sed -E 's/: .*//' "$tmp/left" | LC_ALL=C sort) \
    <(printf '%s\n' data/notes.txt src/other.cpp)
check "C++ header: line 1" bash -c "head -n 2 '$t/src/missing.h' | diff - <(printf '// $gpl\n#pragma once\n')"
check "script: below the interpreter line" \
    bash -c "diff '$t/scripts/tool' <(printf '#!/bin/sh\n# $gpl\necho hi\n')"
check "script stays executable" test -x "$t/scripts/tool"
check "CMake file: line 1" bash -c "head -n 1 '$t/CMakeLists.txt' | grep -qxF '# $gpl'"
check "SVG: below the XML declaration" bash -c "sed -n 2p '$t/data/icon.svg' | grep -qxF '<!-- $gpl -->'"
check "metainfo: the metadata licence" \
    bash -c "sed -n 2p '$t/data/x.metainfo.xml.in' | grep -qxF '<!-- SPDX-License-Identifier: CC0-1.0 -->'"
check "man page: a roff comment" bash -c "head -n 1 '$t/data/x.1.in' | grep -qxF '.\\\" $gpl'"
check "file that had its line is unchanged" bash -c "[ \$(wc -l <'$t/src/fine.h') = 2 ]"
check "exempt JSON is unchanged" cmp "$t/data/scenario.json" "$tmp/scenario.json"
check "fuzz input is unchanged" bash -c "[ \"\$(cat '$t/fuzz/corpus/x/seed')\" = seed ]"
check "build folder is left alone" test ! -s "$t/build/generated.cpp"

rm "$t/data/notes.txt"
sed -i 1d "$t/src/other.cpp"
"$spdx" "$t" >/dev/null 2>&1
check "a second run mends the rest" "$spdx" --check "$t"
"$spdx" "$t" >"$tmp/again" 2>&1
check "a run on a clean tree adds nothing" grep -q '^spdx: 0 added' "$tmp/again"

finish
