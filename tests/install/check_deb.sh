#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack into a temporary folder and inspects it: control fields,
# dependencies, file list, maintainer scripts, and both validators on the packaged files.
# Usage: check_deb.sh BUILD_DIR APP_ID VERSION
set -uo pipefail
build="$1" id="$2" version="$3"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! (cd "$build" && cpack -G DEB -B "$tmp/out") >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    fail "cpack -G DEB"
    finish
    exit 1
fi
deb="$tmp/out/krx738_${version}_$(dpkg --print-architecture).deb"
check "package file is named after package, version and architecture" test -f "$deb"
[ -f "$deb" ] || { finish; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
check "package name" test "$(field Package)" = krx738
check "package version" test "$(field Version)" = "$version"
check "section" test "$(field Section)" = electronics
check "maintainer is a name and an address" bash -c "[[ '$(field Maintainer)' =~ ^[A-Za-z0-9\ .-]+\ \<[^@\ ]+@[^\ ]+\>$ ]]"
check "description has a summary and a long text" \
    bash -c "dpkg-deb -f '$deb' Description | awk 'NR==1 && length>10 {s=1} NR>1 && /meter/ {l=1} END {exit !(s && l)}'"
check "description lines fit in 80 columns" bash -c "! dpkg-deb -f '$deb' Description | awk 'length > 80' | grep -q ."
check "no -dev package among the dependencies" bash -c "! dpkg-deb -f '$deb' Depends | grep -q -- '-dev'"

# Every run-time library the program links, and the platform plugins Qt loads at start.
depends=$(field Depends | tr ',' '\n' | sed -E 's/^ *//; s/ *\(.*//; s/ *\|.*//')
for p in libqt6core6 libqt6gui6 libqt6widgets6 libusb-1.0-0 qt6-qpa-plugins libc6 libstdc++6 libqt6sql6 \
         libqt6sql6-sqlite qt6-translations-l10n; do
    check "depends on $p" grep -qx -- "$p" <<<"$depends"
done
# The shared history's driver is wanted, not needed: a bench PC without a server does without it.
check "recommends libqt6sql6-psql" bash -c "dpkg-deb -f '$deb' Recommends | grep -qw libqt6sql6-psql"
for p in $depends; do
    check "dependency $p is a package of this distribution" bash -c "apt-cache show '$p' || dpkg-query -W '$p'"
done

check "files are exactly the expected ones under /usr" \
    diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort) \
         <(expected_files "$id")
check "files belong to root" bash -c "! dpkg-deb -c '$deb' | awk '{print \$2}' | grep -v '^root/root$'"

# Maintainer scripts: present, executable, valid, and harmless where udev does not run.
dpkg-deb -I "$deb" >"$tmp/info.txt"
for s in postinst postrm; do
    check "$s is in the package and executable" has "$tmp/info.txt" "^ +[0-9]+ bytes, +[0-9]+ lines +\\* +$s +#!/bin/sh"
done
dpkg-deb -e "$deb" "$tmp/control"
mkdir -p "$tmp/fakebin"
printf '#!/bin/sh\necho "$@" >>"%s"\nexit 1\n' "$tmp/udevadm.calls" >"$tmp/fakebin/udevadm"
chmod +x "$tmp/fakebin/udevadm"
for run in "postinst configure" "postrm remove" "postrm purge" "postrm upgrade"; do
    set -- $run
    check "$run: shell syntax" sh -n "$tmp/control/$1"
    check "$run succeeds without udev" env PATH=/usr/bin:/bin sh "$tmp/control/$1" "$2"
    # A udevadm that fails (no daemon to talk to) must not fail the installation either.
    check "$run succeeds when udevadm fails" env PATH="$tmp/fakebin:/usr/bin:/bin" sh "$tmp/control/$1" "$2"
done
if [ -d /run/udev ]; then
    check "scripts reload the rules where udev runs" has "$tmp/udevadm.calls" '^control --reload$'
else
    check "scripts leave udevadm alone without a running udev" test ! -e "$tmp/udevadm.calls"
fi

# The packaged files themselves.
dpkg-deb -x "$deb" "$tmp/root"
root="$tmp/root/usr"
check "packaged program is stripped" bash -c "! readelf -S '$root/bin/krx738' | grep -q debug_info"
check "packaged krx738-cli is stripped" bash -c "! readelf -S '$root/bin/krx738-cli' | grep -q debug_info"
check_cli "$root" "$version" "$tmp"
check_udev_rules "$root/lib/udev/rules.d/60-krx738.rules" "$root/share/doc/krx738/60-krx738-plugdev.rules"
check_desktop_and_metainfo "$root" "$id" "$version"
check_copyright_and_changelog "$root" "$version" "$id"
check "appstreamcli validate-tree finds the desktop entry" appstreamcli validate-tree --no-net "$tmp/root"

finish
