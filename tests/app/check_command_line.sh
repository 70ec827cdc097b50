#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's command line as a user meets it: unknown options and unusable scenario files are
# named and end with status 2, --help and --version answer without a display, a missing display is
# said in words instead of the toolkit's abort, and the toolkit's own options still work.
# Usage: check_command_line.sh PROGRAM VERSION
set -uo pipefail
program="$1"
version="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../install/common.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
out="$tmp/out"
err="$tmp/err"

# run [ENV...] -- ARGS...: runs the program with a watchdog, without any display unless ENV names
# one; leaves its status in $rc.
run() {
    local env=()
    while [ "$1" != -- ]; do env+=("$1"); shift; done
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$tmp" "${env[@]}" \
        timeout -s KILL 20 "$program" "$@" >"$out" 2>"$err"
    rc=$?
}
status() { [ "$rc" -eq "$1" ]; }
said() { grep -Fq -- "$1" "$err"; }
printed() { grep -Fq -- "$1" "$out"; }
quiet() { ! grep -Fq "krx738:" "$err"; }

run -- --frobnicate
check "unknown option: status 2" status 2
check "unknown option is named" said "unknown option --frobnicate"
run -- --simulte T
check "misspelt --simulate: status 2" status 2
check "misspelt --simulate is named" said "--simulte"
run -- -x
check "unknown single-dash option: status 2" status 2
run -- --trace
check "--trace without its file: status 2" status 2
check "--trace without its file is said" said "--trace needs a file name"

run -- --simulate "$tmp/scen.txt"
check "missing scenario file: status 2" status 2
check "missing scenario file is named" said "$tmp/scen.txt"
echo '{"serialNo": ' >"$tmp/broken.json"
run -- --simulate "$tmp/broken.json" T
check "scenario that is no JSON: status 2" status 2
check "scenario that is no JSON is named" said "$tmp/broken.json"

run -- --help
check "--help: status 0" status 0
for option in --simulate --trace --version --help T; do
    check "--help lists $option" printed "$option"
done
run -- --version
check "--version: status 0" status 0
check "--version names program and version" test "$(sed -n 1p "$out")" = "krx738 (KRX 738 read out program) $version"
check "--version names the license" \
    test "$(sed -n 2p "$out")" = "License GPL-3.0-or-later <https://gnu.org/licenses/gpl.html>"

run -- --simulate
check "no display: status 1, not the toolkit's abort" status 1
check "no display is said" said "no display"
check "no display names xvfb-run" said "xvfb-run"
check "no display names krx738-cli" said "krx738-cli"
# A display that is named but not there: the toolkit finds out, the program says it the same way.
run DISPLAY=:97 -- --simulate
check "unreachable display: status 1" status 1
check "unreachable display names xvfb-run" said "xvfb-run"

# The toolkit's own options and the offscreen platform still start the program, which then runs
# until it is stopped (the watchdog ending it after 3 s, status 124, counts as started).
start() {
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$tmp" "$@" >"$out" 2>"$err"
    rc=$?
}
start QT_QPA_PLATFORM= timeout 3 "$program" -platform offscreen --simulate T
check "-platform offscreen is taken by the toolkit" status 124
start QT_QPA_PLATFORM=offscreen timeout 3 "$program" --simulate -style fusion T
check "QT_QPA_PLATFORM=offscreen starts without a display" status 124
check "no message of the program on a good start" quiet

finish
