#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text a person reads has its German: lupdate run over the sources into a copy of the
# catalogue must change nothing (a new or changed text would come in unfinished, a removed one
# would go), no entry may be unfinished, vanished or obsolete, and each German text carries the
# same placeholders as its English one, so that no number or name is lost in translation.
import pathlib, re, shutil, subprocess, sys, tempfile
import xml.etree.ElementTree as ET

lupdate, lrelease, source_dir = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
faults = []

def placeholders(text):
    return sorted(re.findall(r'%(?:n|L?[1-9][0-9]?)', text or ''))

for ts in sorted((source_dir / 'translations').glob('krx738_*.ts')):
    with tempfile.TemporaryDirectory() as tmp:
        copy = pathlib.Path(tmp) / ts.name
        shutil.copy(ts, copy)
        subprocess.run([lupdate, '-silent', '-locations', 'none', '-no-obsolete', '-extensions', 'cpp,h',
                        str(source_dir / 'src'), '-ts', str(copy)], check=True)
        if copy.read_bytes() != ts.read_bytes():
            faults.append(f'{ts.name}: lupdate changes it; run cmake --build build --target krx_lupdate and translate')
        qm = pathlib.Path(tmp) / 'check.qm'
        out = subprocess.run([lrelease, str(ts), '-qm', str(qm)], capture_output=True, text=True, check=True).stdout
        if not re.search(r'\(\d+ finished and 0 unfinished\)', out):
            faults.append(f'{ts.name}: lrelease reports unfinished texts: {out.strip()}')
    for context in ET.parse(ts).getroot().iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            source = message.findtext('source')
            translation = message.find('translation')
            kind = translation.get('type')
            if kind in ('unfinished', 'vanished', 'obsolete'):
                faults.append(f'{ts.name} [{name}] {kind}: {source!r}')
                continue
            forms = [f.text for f in translation.iter('numerusform')] or [translation.text]
            for form in forms:
                if not form:
                    faults.append(f'{ts.name} [{name}] empty: {source!r}')
                    continue
                wanted = placeholders(source)
                # A singular form may say "one" in words instead of %n.
                got = placeholders(form)
                if got != wanted and not (len(forms) > 1 and sorted(got + ['%n']) == wanted):
                    faults.append(f'{ts.name} [{name}] placeholders {got} for {wanted}: {source!r}')
                if source.endswith('\n') != form.endswith('\n') or source.startswith('\n') != form.startswith('\n'):
                    faults.append(f'{ts.name} [{name}] line breaks at the ends differ: {source!r}')

for f in faults:
    print(f)
sys.exit(1 if faults else 0)
