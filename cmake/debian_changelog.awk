# SPDX-License-Identifier: GPL-3.0-or-later
# Turns the released sections of CHANGELOG.md into a Debian changelog, newest first:
#   awk -v package=P -v version=V -v date=YYYY-MM-DD -v maintainer="NAME <ADDRESS>" -v out=FILE \
#       -f debian_changelog.awk CHANGELOG.md
# The newest release must be VERSION of DATE: a package must not go out with the entry of another
# release at its top. Anything that is not the Keep a Changelog layout is refused rather than
# passed on half understood.

function die(msg) {
    printf "%s:%d: %s\n", FILENAME, FNR, msg > "/dev/stderr"
    failed = 1
    exit 1
}

function weekday(y, m, d,   t) {
    split("0 3 2 5 0 3 5 1 4 6 2 4", t, " ")
    if (m < 3)
        y--
    return substr("SunMonTueWedThuFriSat", 1 + 3 * ((y + int(y / 4) - int(y / 100) + int(y / 400) + t[m] + d) % 7), 3)
}

# Debian wants the date of RFC 5322; the changelog knows only the day.
function longdate(iso,   p) {
    split(iso, p, "-")
    return sprintf("%s, %s %s %s 00:00:00 +0000", weekday(p[1] + 0, p[2] + 0, p[3] + 0), p[3],
                   substr("JanFebMarAprMayJunJulAugSepOctNovDec", 3 * (p[2] - 1) + 1, 3), p[1])
}

# Words of text in lines of at most 79 columns, the first behind first, the others behind rest.
function wrap(first, rest, text,   n, w, i, line) {
    n = split(text, w, " ")
    line = first w[1]
    for (i = 2; i <= n; i++) {
        if (length(line) + 1 + length(w[i]) > 79) {
            print line > out
            line = rest w[i]
        } else {
            line = line " " w[i]
        }
    }
    print line > out
}

# Blank line before a paragraph or group, but not inside a group.
function start_block(kind) {
    if (blocks > 0 && !(kind == "item" && (lastkind == "item" || lastkind == "group")))
        print "" > out
    blocks++
    lastkind = kind
}

function flush() {
    if (para == "")
        return
    gsub(/`/, "", para)
    start_block(parakind)
    if (parakind == "item")
        wrap("  * ", "    ", para)
    else
        wrap("  ", "  ", para)
    para = ""
}

function close_release() {
    flush()
    if (!inrelease)
        return
    if (items == 0)
        die("release " current " lists no change")
    print "" > out
    print " -- " maintainer "  " longdate(currentdate) > out
    inrelease = 0
}

BEGIN {
    if (package == "" || version == "" || date == "" || maintainer == "" || out == "") {
        print "debian_changelog.awk: set package, version, date, maintainer and out" > "/dev/stderr"
        failed = 1
        exit 1
    }
}

/^## \[Unreleased\][ \t]*$/ {
    close_release()
    skipping = 1
    next
}

/^## / {
    close_release()
    skipping = 0
    if (!match($0, /^## \[[^]]+\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9][ \t]*$/))
        die("a release heading is \"## [VERSION] - YYYY-MM-DD\"")
    current = substr($0, 5)
    sub(/\].*/, "", current)
    currentdate = $0
    sub(/.*\] - /, "", currentdate)
    sub(/[ \t]+$/, "", currentdate)
    if (releases == 0 && current != version)
        die("the newest release is " current ", the package is " version)
    if (releases == 0 && currentdate != date)
        die("release " current " is dated " currentdate ", the package " date)
    if (releases > 0)
        print "" > out
    releases++
    inrelease = 1
    items = 0
    blocks = 0
    print package " (" current ") unstable; urgency=medium" > out
    print "" > out
    next
}

# The introduction above the first release and what is not released yet stay out.
!inrelease || skipping { next }

/^### / {
    flush()
    group = substr($0, 5)
    sub(/[ \t]+$/, "", group)
    if (group !~ /^(Added|Changed|Deprecated|Removed|Fixed|Security)$/)
        die("unknown group \"" group "\"")
    start_block("group")
    print "  " group ":" > out
    next
}

/^- / {
    flush()
    para = substr($0, 3)
    parakind = "item"
    items++
    next
}

/^[ \t]*$/ { flush(); next }

/^[ \t]/ {
    if (parakind != "item" || para == "")
        die("an indented line belongs to a list item")
    para = para " " $0
    next
}

{
    if (para != "" && parakind == "item")
        flush()
    para = (para == "" ? "" : para " ") $0
    parakind = "text"
}

END {
    if (failed)
        exit 1
    close_release()
    if (failed)
        exit 1
    if (releases == 0) {
        print FILENAME ": no released section" > "/dev/stderr"
        exit 1
    }
}
