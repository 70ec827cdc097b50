#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# krx738-cli measure in a terminal (standard output and standard error the same pseudo-terminal):
# every record must stand on a line of its own, never after a progress line. Usage: pty_records.py CLI
import os
import pty
import re
import select
import sys
import time

cli = sys.argv[1]
pid, fd = pty.fork()
if pid == 0:
    os.execv(cli, [cli, "--simulate", "measure", "--count", "5", "--interval", "200", "--format", "jsonl"])

out = b""
deadline = time.monotonic() + 20  # watchdog
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.5)
    if not ready:
        continue
    try:
        chunk = os.read(fd, 4096)
    except OSError:
        break
    if not chunk:
        break
    out += chunk
else:
    os.kill(pid, 9)
    sys.exit("krx738-cli did not end within 20 s")
_, status = os.waitpid(pid, 0)
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit("exit status %d:\n%r" % (os.waitstatus_to_exitcode(status), out))

# What the terminal shows: "\r" and erase-line end what was drawn before them on that line.
lines = []
for raw in out.replace(b"\r\n", b"\n").split(b"\n"):
    shown = re.split(rb"\r\x1b\[K|\r", raw)[-1]
    lines.append(shown.decode("utf-8", "replace"))
records = [l for l in lines if "{" in l]
if len(records) != 5:
    sys.exit("expected 5 records, the terminal shows %d:\n%s" % (len(records), "\n".join(lines)))
for r in records:
    if not r.startswith("{") or not r.endswith("}"):
        sys.exit("a record shares its line: %r" % r)
# The progress was drawn at all (else this test could not fail).
if b"readings," not in out:
    sys.exit("no progress line was drawn:\n%r" % out)
print("5 records, each on its own line")
