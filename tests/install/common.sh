# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the install checks: counts failed checks and prints one line per failure.
failures=0
checks=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check DESCRIPTION COMMAND...: runs the command, counts a failure when it fails.
check() {
    local what="$1"
    shift
    checks=$((checks + 1))
    if ! "$@" >/dev/null 2>&1; then
        fail "$what"
    fi
}

# has FILE PATTERN: FILE has a line matching the extended regular expression.
has() {
    grep -Eq -- "$2" "$1"
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# The files an install puts under the prefix, relative to it, sorted.
expected_files() {
    local id="$1"
    printf '%s\n' \
        bin/krx738 \
        bin/krx738-cli \
        lib/udev/rules.d/60-krx738.rules \
        "share/applications/$id.desktop" \
        share/doc/krx738/60-krx738-plugdev.rules \
        share/doc/krx738/README.md \
        share/doc/krx738/changelog.gz \
        share/doc/krx738/copyright \
        share/krx738/limits/iec-61340-5-1-2016.json \
        share/krx738/limits/packaging-classes.json \
        share/krx738/limits/s20.20-2021.json \
        share/krx738/translations/krx738_de.qm \
        "share/icons/hicolor/scalable/apps/$id.svg" \
        share/bash-completion/completions/krx738-cli \
        share/man/man1/krx738-cli.1.gz \
        share/man/man1/krx738.1.gz \
        "share/metainfo/$id.metainfo.xml" | LC_ALL=C sort
}

# The udev rules: the active one tags the meter for the seat's user, the example grants the group.
check_udev_rules() {
    local active="$1" example="$2"
    local meter='SUBSYSTEM=="usb".*ATTRS?\{idVendor\}=="16c0".*ATTRS?\{idProduct\}=="2b5f"'
    check "active rule matches the meter and tags it uaccess" \
        has "$active" "^$meter.*TAG\+=\"uaccess\""
    check "active rule has exactly one rule line" \
        test "$(grep -Evc '^[[:space:]]*(#|$)' "$active")" -eq 1
    check "active rule grants no group or mode" bash -c "! grep -Eq '^[^#]*(GROUP|MODE)' '$active'"
    check "example rule gives the meter to plugdev" \
        has "$example" "^$meter.*MODE=\"0660\".*GROUP=\"plugdev\""
    check "example rule says how to install and reload it" \
        bash -c "grep -q 'udevadm control --reload' '$example' && grep -q 'usermod -aG plugdev' '$example'"
}

# The desktop entry and the metainfo agree with each other and with the installed files.
check_desktop_and_metainfo() {
    local root="$1" id="$2" version="$3"
    local desktop="$root/share/applications/$id.desktop"
    local metainfo="$root/share/metainfo/$id.metainfo.xml"
    check "desktop-file-validate" desktop-file-validate "$desktop"
    check "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
    check "desktop entry starts the installed program" has "$desktop" '^Exec=krx738$'
    check "desktop action starts the simulated meter" has "$desktop" '^Exec=krx738 --simulate$'
    check "desktop entry names the installed icon" has "$desktop" "^Icon=$id\$"
    check "metainfo id is the desktop entry's name" has "$metainfo" "<id>$id</id>"
    check "metainfo launches the desktop entry" has "$metainfo" "<launchable type=\"desktop-id\">$id.desktop</launchable>"
    check "metainfo names the program's licence" has "$metainfo" '<project_license>GPL-3.0-or-later</project_license>'
    check "metainfo carries this version" has "$metainfo" "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\""
    check "metainfo names the meter's USB id" has "$metainfo" '<modalias>usb:v16C0p2B5F\*</modalias>'
    check "no template variable left" bash -c "! grep -rq '@[A-Z_]*@' '$root/share'"
}

# The copyright file in Debian's machine-readable format, and the changelog in Debian's format with
# this release at its top, dated as the metainfo dates it. Writes into the caller's $tmp.
check_copyright_and_changelog() {
    local root="$1" version="$2" id="$3"
    local doc="$root/share/doc/krx738"
    check "copyright file is in the machine-readable format" \
        has "$doc/copyright" '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$'
    check "copyright file: every file is GPL-3+ of the program's developers" \
        bash -c "grep -A2 -x 'Files: \*' '$doc/copyright' | tr '\n' '|' |
                 grep -qx 'Files: \*|Copyright: [0-9-]* The KRX 738 read-out program developers|License: GPL-3+|'"
    check "copyright file points to the system's GPL-3 text" has "$doc/copyright" '"/usr/share/common-licenses/GPL-3"'
    check "changelog is compressed at maximum" bash -c "file -L '$doc/changelog.gz' | grep -q 'max compression'"
    zcat "$doc/changelog.gz" >"$tmp/changelog" 2>/dev/null
    check "changelog parses" dpkg-parsechangelog -l "$tmp/changelog"
    check "changelog starts with this version" \
        test "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version 2>/dev/null)" = "$version"
    local released
    released=$(sed -nE 's/.*<release version="[^"]*" date="([0-9-]+)".*/\1/p' "$root/share/metainfo/$id.metainfo.xml")
    check "changelog dates this release as the metainfo does" \
        test "$(date -u -d "$(dpkg-parsechangelog -l "$tmp/changelog" -S Date 2>/dev/null)" +%F)" = "$released"
}

# krx738-cli beside the program: it runs without a display, its man page documents every switch
# its help lists, and bash finds its completion.
check_cli() {
    local root="$1" version="$2" tmp="$3"
    check "krx738-cli is executable" test -x "$root/bin/krx738-cli"
    check "krx738-cli links no widgets" bash -c "! ldd '$root/bin/krx738-cli' | grep -q Qt6Widgets"
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/bin/krx738-cli" --version >"$tmp/cli-version.txt" 2>&1
    check "krx738-cli --version names this version" has "$tmp/cli-version.txt" "^krx738-cli $version\$"
    check "krx738-cli --version names the licence" has "$tmp/cli-version.txt" '^License GPL-3.0-or-later '
    local help="$tmp/cli-help.txt"
    : >"$help"
    for cmd in "" list info measure memory setup; do
        "$root/bin/krx738-cli" $cmd --help >>"$help" 2>&1
    done
    zcat "$root/share/man/man1/krx738-cli.1.gz" >"$tmp/krx738-cli.1" 2>/dev/null
    check "krx738-cli man page carries this version" has "$tmp/krx738-cli.1" "^\\.TH KRX738-CLI 1 .*\"krx738-cli $version\""
    sed 's/\\-/-/g' "$tmp/krx738-cli.1" >"$tmp/cli-man.txt"
    local s switches
    switches=$(grep -Eo -- '(^|[ ,])--[a-z][a-z-]*' "$help" | tr -d ' ,' | sort -u)
    check "krx738-cli --help lists switches" test -n "$switches"
    for s in $switches; do
        check "krx738-cli man page documents $s" has "$tmp/cli-man.txt" "(^|[^a-z-])$s([^a-z-]|\$)"
    done
    for code in 0 1 2 3 4 5 6 7 8 9 10; do
        check "krx738-cli help and man page document exit status $code" \
            bash -c "grep -Eq '^  $code  ' '$help' && grep -Eq '^\\.B $code\$' '$tmp/cli-man.txt'"
    done
    check "bash completion defines the krx738-cli completion" \
        bash -c "source '$root/share/bash-completion/completions/krx738-cli' && complete -p krx738-cli"
}
