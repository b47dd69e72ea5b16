#!/usr/bin/env python3
"""Checks that the rooms of the house include only downward.

Each room may include from the rooms listed after it below and from no other;
every room it may use comes earlier in the list, so no include can go in a
circle. With --lines, also prints each room's non-blank, non-comment lines.
Exits 1 and names each include that breaks the rule.
"""
import re
import subprocess
import sys
from pathlib import Path

# From the bottom up, in the order the build adds them.
MAY_USE = {
    'classic': [],
    'practice': [],
    'forms': [],
    'keyboard': ['practice', 'forms'],
    'record': ['practice', 'keyboard'],
    'app': ['classic', 'practice', 'forms', 'keyboard', 'record'],
    'recordwindow': ['classic', 'practice', 'forms', 'keyboard', 'record', 'app'],
    'course': ['practice', 'keyboard', 'record'],
    'coursewindow': ['classic', 'practice', 'forms', 'keyboard', 'record', 'app', 'course'],
    # The three trainers share the house below them, never one another.
    'fingerdrill': ['classic', 'practice', 'forms', 'keyboard', 'record', 'app'],
    'keydrill': ['classic', 'practice', 'forms', 'keyboard', 'record', 'app'],
    'wordtype': ['classic', 'practice', 'forms', 'keyboard', 'record', 'app'],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main():
    root = Path(__file__).resolve().parent.parent
    rooms = list(MAY_USE)
    faults = [f'{room} may use {used}, which is not below it'
              for i, room in enumerate(rooms) for used in MAY_USE[room] if used not in rooms[:i]]
    tracked = subprocess.run(['git', 'ls-files', '--', '*.cpp', '*.h'], cwd=root,
                             capture_output=True, text=True, check=True).stdout.split()
    files = {room: [f for f in tracked if f.startswith(room + '/')] for room in rooms}
    headers = {room: {Path(f).name for f in files[room] if f.endswith('.h')} for room in rooms}
    lines = {}
    for room in rooms:
        lines[room] = 0
        for name in files[room]:
            for number, text in enumerate((root / name).read_text(encoding='utf-8').splitlines(), 1):
                stripped = text.strip()
                if stripped and not stripped.startswith('//'):
                    lines[room] += 1
                match = INCLUDE.match(text)
                if not match or Path(match.group(1)).name in headers[room]:
                    continue  # a room's own header comes first on its include path
                header = Path(match.group(1)).name
                owners = [other for other in rooms if header in headers[other]]
                if owners and not any(owner in MAY_USE[room] for owner in owners):
                    faults.append(f'{name}:{number}: {room} includes {header} from {owners[0]}')
    if '--lines' in sys.argv:
        for room in rooms:
            print(f'{room:14} {lines[room]:6}')
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
