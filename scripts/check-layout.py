#!/usr/bin/env python3
"""Checks that every #include in src/ keeps to the layers.

The targets, lowest first: core, audio, platform, ui, then main.cpp. An include may point to
the same layer or a lower one. Inside core and ui the folders are subsystems: ui/widgets is
below the page folders, and ui/app is above them; the page folders never include each other,
and no two folders of core include each other, directly or round a longer cycle.

  check-layout.py SRC            check the tree; name every offending include, exit 1
  check-layout.py --self-test SRC  copy the tree, add one upward include, and check that it
                                   is named
"""
import os
import re
import shutil
import sys
import tempfile

TARGET_RANK = {"core": 0, "audio": 1, "platform": 2, "ui": 3, "main": 4}
UI_RANK = {"widgets": 0, "timed": 1, "holidays": 1, "immediate": 1, "settings": 1, "app": 2}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """'core/timed' for core/timed/x.h, 'audio' for audio/x.h, 'main' for main.cpp."""
    parts = path.split("/")
    if len(parts) == 1:
        return "main"
    if parts[0] in ("core", "ui"):
        return "/".join(parts[:2])
    return parts[0]


def rank(folder):
    target = folder.split("/")[0]
    sub = UI_RANK.get(folder.split("/")[1], 0) if target == "ui" and "/" in folder else 0
    return TARGET_RANK.get(target, -1), sub


def find_cycle(edges):
    """One cycle of the folder graph as a list of folders, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def check(src):
    problems = []
    edges = {}
    witnesses = {}
    folders = set()
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.relpath(os.path.join(root, name), src)
            here = folder_of(path)
            folders.add(here)
            if here != "main" and rank(here)[0] < 0:
                problems.append(f"{path}: the folder {here} belongs to no layer")
            with open(os.path.join(root, name), encoding="utf-8") as f:
                text = f.read()
            for include in INCLUDE.findall(text):
                if include.endswith(".moc") or "/" not in include:
                    continue
                there = folder_of(include)
                if there == here:
                    continue
                if not os.path.exists(os.path.join(src, include)):
                    problems.append(f"{path}: includes {include}, which is not in src/")
                    continue
                if rank(there) > rank(here):
                    problems.append(f"{path}: includes {include}, a layer above {here}")
                elif there.split("/")[0] == "ui" and rank(there) == rank(here):
                    problems.append(f"{path}: includes {include}; pages share code through "
                                    "ui/widgets only")
                edges.setdefault(here, set()).add(there)
                witnesses.setdefault((here, there), f"{path} includes {include}")
    cycle = find_cycle(edges)
    if cycle:
        steps = "; ".join(witnesses[(a, b)] for a, b in zip(cycle, cycle[1:]))
        problems.append("folder cycle " + " -> ".join(cycle) + ": " + steps)
    return problems


def self_test(src):
    with tempfile.TemporaryDirectory() as scratch:
        tree = os.path.join(scratch, "src")
        shutil.copytree(src, tree)
        victim = os.path.join(tree, "core", "support", "text.cpp")
        with open(victim, "a", encoding="utf-8") as f:
            f.write('\n#include "ui/app/program.h"\n')
        problems = check(tree)
    expected = "core/support/text.cpp: includes ui/app/program.h, a layer above core/support"
    if expected not in problems:
        print("the upward include core/support/text.cpp -> ui/app/program.h was not named:")
        print("\n".join(problems) or "(nothing reported)")
        return 1
    print("named: " + expected)
    return 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        return self_test(argv[2])
    if len(argv) != 2:
        print(__doc__)
        return 2
    problems = check(argv[1])
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layers")
        return 1
    print("every include keeps to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
