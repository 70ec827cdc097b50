#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and checks every installed file and its contents.
# Usage: check_install.sh BUILD_DIR APP_ID VERSION SETTINGS_PATH_HELPER
set -uo pipefail
build="$1" id="$2" version="$3" helper="$4"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    fail "cmake --install"
    finish
    exit 1
fi

check "installed files are exactly the expected ones" \
    diff <(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort) <(expected_files "$id")
check "program is executable" test -x "$prefix/bin/krx738"
"$prefix/bin/krx738" --help >"$tmp/help.txt" 2>&1
check "installed program answers --help" has "$tmp/help.txt" '^Usage: krx738 '
check "program names its desktop entry" grep -qaF "$id" "$prefix/bin/krx738"

check_cli "$prefix" "$version" "$tmp"
check_udev_rules "$prefix/lib/udev/rules.d/60-krx738.rules" "$prefix/share/doc/krx738/60-krx738-plugdev.rules"
check_desktop_and_metainfo "$prefix" "$id" "$version"
check_copyright_and_changelog "$prefix" "$version" "$id"

# Icon: an SVG that renders at the sizes a desktop asks for.
icon="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 32 128; do
    check "icon renders at $size px" rsvg-convert -w "$size" -h "$size" -o "$tmp/icon$size.png" "$icon"
    check "icon at $size px is $size x $size" \
        test "$(od -An -tu1 -j16 -N8 "$tmp/icon$size.png" | tr -s ' ' | sed 's/^ //')" = "0 0 0 $size 0 0 0 $size"
done

# Man page: compressed, this version, and it documents every switch that --help lists.
zcat "$prefix/share/man/man1/krx738.1.gz" >"$tmp/krx738.1" 2>/dev/null
check "man page is gzip-compressed roff" has "$tmp/krx738.1" '^\.TH KRX738 1 '
check "man page carries this version" has "$tmp/krx738.1" "^\\.TH .*\"krx738 $version\""
sed 's/\\-/-/g' "$tmp/krx738.1" >"$tmp/man.txt"
switches=$(grep -Eo -- '(^|[ ,])--?[a-z][a-z-]*' "$tmp/help.txt" | tr -d ' ,' | sort -u)
check "--help lists switches" test -n "$switches"
for s in $switches; do
    check "man page documents $s" has "$tmp/man.txt" "(^|[^a-z-])$s([^a-z-]|$)"
done
check "man page documents the test-mode parameter" has "$tmp/man.txt" '^\.B T$'
for topic in KRX_SETUP.INI 60-krx738.rules 60-krx738-plugdev.rules 'udevadm control --reload' \
    'License GPL-3.0-or-later'; do
    check "man page names $topic" grep -qF -- "$topic" "$tmp/man.txt"
done

# Settings: beside the installed program only where that is not a bin folder. Run as root the
# prefix is writable, which is exactly the case that must still go to the configuration folder.
cp "$helper" "$prefix/bin/krx738_settings_path"
mkdir -p "$tmp/portable"
cp "$helper" "$tmp/portable/krx738_settings_path"
export XDG_CONFIG_HOME="$tmp/config"
check "installed copy keeps its settings in the configuration folder" \
    test "$("$prefix/bin/krx738_settings_path")" = "$tmp/config/krx738/KRX_SETUP.INI"
check "portable copy keeps its settings beside itself" \
    test "$("$tmp/portable/krx738_settings_path")" = "$tmp/portable/KRX_SETUP.INI"
if [ "$(id -u)" != 0 ]; then
    chmod a-w "$tmp/portable"
    check "read-only portable copy falls back to the configuration folder" \
        test "$("$tmp/portable/krx738_settings_path")" = "$tmp/config/krx738/KRX_SETUP.INI"
    chmod u+w "$tmp/portable"
fi

finish
