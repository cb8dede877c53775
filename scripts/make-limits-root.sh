#!/usr/bin/env bash
# Lays out a root folder whose report file's limits changed within a month, for the
# picture of the month view's stepped limit lines: the vaccine store of
# tests/data/reports/A1_Vaccines.rep (year folder 3, 2 .. 8 °C) whose limits were set to
# 2.5 .. 7.5 on 1403/7/15 at 12:00 Tehran time, its header rewritten so, and an audit journal
# that records the file's adoption at that first write and the header change, each entry
# chained to the line before it.
# Usage: make-limits-root.sh ROOT_FOLDER
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${1:?root folder}
mkdir -p "$root/3"
python3 - "$here/tests/data/reports/A1_Vaccines.rep" "$root" <<'EOF'
import hashlib, json, sys
source, root = sys.argv[1], sys.argv[2]
lines = open(source, 'rb').read().decode('cp1256').split('\r\n')
if lines and lines[-1] == '':
    lines.pop()
old = lines[0]
fields = old.split(',')
fields[7], fields[8] = '2.5', '7.5'
new = ','.join(fields)
lines[0] = new
with open(root + '/3/A1_Vaccines.rep', 'wb') as f:
    f.write(''.join(l + '\r\n' for l in lines).encode('cp1256'))

def sha(text):
    return hashlib.sha256(text.encode('utf-8')).hexdigest()

key = '3/A1_Vaccines.rep'
days = [{'month': int(l.split(',')[0]), 'day': int(l.split(',')[1]), 'sha': sha(l)} for l in lines[1:]]
entries = [
    ('2024-10-06T12:00:00+03:30', 'report.adopt',
     {'file': key, 'reason': 'first write', 'header': old, 'days': days, 'remarks': []}),
    ('2024-10-06T12:00:00+03:30', 'report.header', {'file': key, 'old': old, 'new': new}),
]
prev = hashlib.sha256(b'').hexdigest()
out = []
for time, kind, details in entries:
    line = json.dumps({'time': time, 'user': 'lab', 'version': '2.0', 'kind': kind, 'details': details,
                       'prev': prev}, ensure_ascii=False, separators=(',', ':'))
    out.append(line)
    prev = hashlib.sha256(line.encode('utf-8')).hexdigest()
with open(root + '/audit.jsonl', 'wb') as f:
    f.write(''.join(l + '\n' for l in out).encode('utf-8'))
EOF
echo "$root"
