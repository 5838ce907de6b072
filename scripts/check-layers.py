#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that the folders of src/ keep the layers: app -> screens -> kit -> core.

A folder named ui (card/ui, search/ui...) holds screens, kit/ the screens' shared layer, app/ the wiring;
every other folder is core. The check fails when
  - a folder includes from a higher layer (core including a screen, kit or app; kit including a screen or
    app; a screen including app),
  - one feature's screens include another feature's screens (kit/ is shared by every screen),
  - folders include each other in a cycle, whatever their layers.
On failure it prints what broke and the whole folder graph. Usage: check-layers.py [src folder]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCES = ('.cpp', '.h')
RANKS = {'core': 0, 'kit': 1, 'screens': 2, 'app': 3}


def layer(folder):
    parts = folder.split('/')
    if parts[0] == 'app':
        return 'app'
    if parts[0] == 'kit':
        return 'kit'
    if 'ui' in parts:
        return 'screens'
    return 'core'


def feature(folder):
    return folder.split('/')[0]


def folder_graph(root):
    """Edges between folders (relative to root), each with the includes that make it."""
    edges = {}
    folders = set()
    for directory, _, files in os.walk(root):
        folder = os.path.relpath(directory, root).replace(os.sep, '/')
        for name in sorted(files):
            if not name.endswith(SOURCES):
                continue
            folders.add(folder)
            path = os.path.join(directory, name)
            with open(path, encoding='utf-8', errors='replace') as source:
                text = source.read()
            for included in INCLUDE.findall(text):
                # An include names a file beside the includer, or a path from the root of src/.
                if os.path.exists(os.path.join(directory, included)):
                    target = os.path.join(directory, included)
                elif os.path.exists(os.path.join(root, included)):
                    target = os.path.join(root, included)
                else:
                    continue  # generated (moc) or outside src/
                target_folder = os.path.relpath(os.path.dirname(target), root).replace(os.sep, '/')
                if target_folder != folder:
                    edges.setdefault((folder, target_folder), []).append(
                        '%s/%s -> %s' % (folder, name, included))
    return folders, edges


def find_cycle(folders, edges):
    successors = {f: sorted(b for (a, b) in edges if a == f) for f in folders}
    state = {}
    stack = []

    def visit(node):
        state[node] = 'open'
        stack.append(node)
        for nxt in successors.get(node, []):
            if state.get(nxt) == 'open':
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 'done'
        return None

    for node in sorted(folders):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), '..', 'src'))
    folders, edges = folder_graph(root)
    problems = []
    for (source, target), includes in sorted(edges.items()):
        upward = RANKS[layer(target)] > RANKS[layer(source)]
        across = (layer(source) == 'screens' and layer(target) == 'screens'
                  and feature(source) != feature(target))
        if upward:
            problems.append('%s (%s) includes %s (%s):' % (source, layer(source), target, layer(target)))
        elif across:
            problems.append('screens of %s include screens of %s:' % (feature(source), feature(target)))
        else:
            continue
        problems.extend('    ' + line for line in includes)
    cycle = find_cycle(folders, edges)
    if cycle:
        problems.append('folders include each other in a cycle: ' + ' -> '.join(cycle))
        for a, b in zip(cycle, cycle[1:]):
            problems.extend('    ' + line for line in edges[(a, b)])

    if not problems:
        print('Layers kept: %d folders, %d folder dependencies, no cycle.' % (len(folders), len(edges)))
        return 0
    print('The folders break the layers (app -> screens -> kit -> core):')
    for line in problems:
        print('  ' + line)
    print('\nThe folder graph (folder [layer] -> what it includes):')
    for folder in sorted(folders):
        targets = sorted(b for (a, b) in edges if a == folder)
        print('  %-16s [%s] -> %s' % (folder, layer(folder), ', '.join(targets) or '-'))
    return 1


if __name__ == '__main__':
    sys.exit(main())
