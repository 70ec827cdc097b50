#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Release check: builds the Debian package with CPack and runs lintian on it. Any error or warning
# fails, unless the package's override file (/usr/share/lintian/overrides/krx738) explains it; every
# override there needs a comment line with its reason right above it, and none may go unused.
# Then the same judgement must refuse packages made faulty on purpose, so that a check which
# passes everything cannot go unnoticed.
# Usage: check_lintian.sh BUILD_DIR VERSION
set -uo pipefail
build="$1" version="$2"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if ! command -v lintian >/dev/null; then
    fail "lintian is not installed (scripts/test installs it)"
    finish
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! (cd "$build" && cpack -G DEB -B "$tmp/out") >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    fail "cpack -G DEB"
    finish
    exit 1
fi
deb="$tmp/out/krx738_${version}_$(dpkg --print-architecture).deb"

# lintian_clean DEB REPORT: lintian's tags for DEB go to REPORT; prints what is not acceptable and
# fails when there is anything.
lintian_clean() {
    local deb="$1" report="$2" rc bad=0
    timeout 300 lintian --display-level '>=pedantic' --fail-on error,warning --show-overrides \
        --tag-display-limit 0 "$deb" >"$report" 2>&1
    rc=$?
    # 2 only says that lintian found an error or a warning, which the lines below tell; 1 is
    # lintian's own failure, 124 the time-out.
    if [ "$rc" -ne 0 ] && [ "$rc" -ne 2 ]; then
        echo "lintian did not finish (exit status $rc)"
        return 1
    fi
    if grep -E '^[EW]: ' "$report"; then
        bad=1
    fi
    if grep -E '^[A-Z]: [^ ]+: unused-override ' "$report"; then
        bad=1
    fi
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/lintian/overrides/krx738 >"$report.overrides" 2>/dev/null
    if ! awk '/^[ \t]*$/ { prev = ""; next }
              /^#/ { prev = "#"; next }
              prev != "#" { print "override without its reason: " $0; bad = 1 }
              { prev = "" }
              END { exit bad }' "$report.overrides"; then
        bad=1
    fi
    return "$bad"
}

if lintian_clean "$deb" "$tmp/lintian.txt" >"$tmp/faults"; then
    checks=$((checks + 1))
else
    checks=$((checks + 1))
    sed 's/^/  /' "$tmp/faults" >&2
    fail "lintian: no error and no unexplained warning"
fi
grep -E '^[A-Z]: ' "$tmp/lintian.txt"
for kind in E:errors W:warnings I:info P:pedantic O:overridden; do
    printf '%s %s, ' "$(grep -c "^${kind%%:*}: " "$tmp/lintian.txt")" "${kind#*:}"
done
echo "from lintian $(lintian --print-version)"

# Faulty packages: the man page taken out raises a warning (no-manual-page); the overrides are
# written into the package as a maintainer would ship them.
dpkg-deb -R "$deb" "$tmp/raw"
doctored() {
    local name="$1" drop_manpage="$2" overrides="$3"
    local root="$tmp/$name"
    cp -a "$tmp/raw" "$root"
    [ "$drop_manpage" = yes ] && rm -r "$root/usr/share/man"
    if [ -n "$overrides" ]; then
        mkdir -p "$root/usr/share/lintian/overrides"
        printf '%s\n' "$overrides" >"$root/usr/share/lintian/overrides/krx738"
    fi
    (cd "$root" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
    dpkg-deb -b --root-owner-group "$root" "$tmp/$name.deb" >/dev/null
}
refused() { ! lintian_clean "$@" >/dev/null; }
reason="# Made faulty for the check's own test."
doctored unexplained yes ""
check "a warning without an override is refused" refused "$tmp/unexplained.deb" "$tmp/unexplained.txt"
check "... and it is the warning that was caused" has "$tmp/unexplained.txt" '^W: krx738: no-manual-page'
doctored explained yes "$reason"$'\n'"krx738: no-manual-page"
check "a warning with an override and its reason passes" lintian_clean "$tmp/explained.deb" "$tmp/explained.txt"
doctored no_reason yes "krx738: no-manual-page"
check "an override without its reason is refused" refused "$tmp/no_reason.deb" "$tmp/no_reason.txt"
doctored unused no "$reason"$'\n'"krx738: no-manual-page"
check "an override that nothing needs is refused" refused "$tmp/unused.deb" "$tmp/unused.txt"

finish
