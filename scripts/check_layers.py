#!/usr/bin/env python3
"""Checks the direction of dependencies in the tree.

  scripts/check_layers.py [BUILD_DIR]     (default: build, configured)

Two rules:
  1. A library of a lower layer never links one of a higher layer
     (base < controllers < windows; programs, tests and benchmarks sit on top).
     The links come from BUILD_DIR/tarvolo-targets.tsv, which CMake writes at
     configure time (cmake/target_list.cmake).
  2. Folders form no cycle, counting both links between targets and
     `#include "folder/..."` lines between source folders.

Every library must match a row of LAYERS; a new library that matches none is
an error, so that its layer is decided when it is added.
Exits 1 on any finding, 2 when the target list is missing.
"""
import fnmatch
import os
import re
import sys
from collections import defaultdict

BASE, CONTROLLERS, WINDOWS, TOP = 0, 1, 2, 3
LAYER_NAMES = {BASE: "base", CONTROLLERS: "controllers", WINDOWS: "windows", TOP: "top"}

# Target name pattern -> layer; the first matching row wins.
LAYERS = [
    # Not a dependency: compile flags only.
    ("tv_warnings", None),
    # Base: plain C++20, libcurl, SQLite; no Qt.
    ("tv_core", BASE),
    ("tv_net", BASE),
    ("tv_settings", BASE),
    ("tv_regions", BASE),
    ("tv_platform", BASE),
    ("tv_grid", BASE),
    ("tv_editor_edits", BASE),
    ("tv_publish", BASE),
    ("tv_account", BASE),
    ("tv_service", BASE),
    ("tv_http_server", BASE),
    ("tv_*_logic", BASE),
    ("tv_*_base", BASE),
    # Controllers: QtCore only (QObject, timers, signals); they run headless.
    ("tv_core_qt", CONTROLLERS),
    ("tv_*_ctrl", CONTROLLERS),
    # Files compiled in with Qt's resource system, and the object libraries
    # qt_add_resources makes for them.
    ("tv_sounds", CONTROLLERS),
    ("*_resources_*", CONTROLLERS),
    # Windows: widgets, web views, sounds.
    ("tv_regions_qt", WINDOWS),
    ("tv_widgets", WINDOWS),
    ("tv_message_editor", WINDOWS),
    ("tv_shell", WINDOWS),
    ("tv_feed", WINDOWS),
    ("tv_detail", WINDOWS),
    ("tv_app", WINDOWS),
    ("tv_client", WINDOWS),
    ("tv_*_ui", WINDOWS),
    # The commands of tarvolo-cli, shared by the program and its test build.
    ("tv_cli_commands", TOP),
    # Libraries from elsewhere. Qt6::Platform carries Qt's compile settings.
    ("Qt6::Platform", None),
    ("Qt6::Core", CONTROLLERS),
    # The session bus: the controllers' desktop notifications run headless.
    ("Qt6::DBus", CONTROLLERS),
    # The keyring (Secret Service over the session bus), for the controllers.
    ("Qt6Keychain::*", CONTROLLERS),
    ("Qt6::*", WINDOWS),
    ("*::*", BASE),
]

# Whatever is built in these folders is on top: it may use every layer.
TOP_FOLDERS = ("tests", "bench", "fuzz")

# Folders whose `#include "x/..."` lines count, and where "x/" is looked for.
INCLUDE_SCAN = ("src", "service", "cli")
INCLUDE_ROOTS = ("src", ".")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE_LINE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
# Link items as CMake keeps them: names, or names inside generator expressions.
LINK_NAME = re.compile(r"[A-Za-z0-9_.+-]+(?:::[A-Za-z0-9_.+-]+)?")


def layer_of(name):
    for pattern, layer in LAYERS:
        if fnmatch.fnmatchcase(name, pattern):
            return layer, True
    return None, False


def folder_of(path):
    """src/feed/x.cpp -> src/feed; service/x.cpp -> service; tests/feed -> tests/feed."""
    parts = [p for p in path.replace("\\", "/").split("/") if p and p != "."]
    if not parts:
        return "."
    if parts[0] in ("src",) + TOP_FOLDERS and len(parts) > 1:
        return "/".join(parts[:2])
    return parts[0]


def read_targets(path):
    targets = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            name, kind, folder, links = (line.split("\t") + ["", "", ""])[:4]
            targets[name] = {"type": kind, "folder": folder_of(folder) if folder else ".",
                             "links": links}
    return targets


def link_names(raw, known):
    """The libraries a LINK_LIBRARIES value names: our targets and imported
    targets (Pkg::Name); flags, paths and generator-expression words drop out."""
    names = []
    for token in LINK_NAME.findall(raw):
        if token in known or "::" in token:
            if token not in names:
                names.append(token)
    return names


def find_cycles(edges):
    """Strongly connected components with more than one folder (Tarjan)."""
    index, low, on_stack, stack, out = {}, {}, set(), [], []
    counter = [0]
    nodes = set(edges) | {b for bs in edges.values() for b in bs}

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                out.append(sorted(component))

    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return out


def include_edges(root):
    """folder -> {folder: first "file: include" that makes the edge}."""
    edges = defaultdict(dict)
    for top in INCLUDE_SCAN:
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                here = folder_of(rel)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for include in INCLUDE_LINE.findall(text):
                    if "/" not in include:
                        continue  # beside the file
                    for inc_root in INCLUDE_ROOTS:
                        target = os.path.join(root, inc_root, include)
                        if os.path.exists(target):
                            there = folder_of(os.path.relpath(target, root))
                            if there != here and there not in edges[here]:
                                edges[here][there] = f"{rel}: #include \"{include}\""
                            break
    return edges


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build")
    listing = os.path.join(build, "tarvolo-targets.tsv")
    if not os.path.exists(listing):
        print(f"check_layers: no {listing}; configure the build first", file=sys.stderr)
        return 2
    targets = read_targets(listing)
    problems = []

    # 1. Layers.
    layers = {}
    for name, t in sorted(targets.items()):
        if t["folder"].split("/")[0] in TOP_FOLDERS or t["type"] == "EXECUTABLE":
            layers[name] = TOP
        elif t["type"] == "UTILITY":
            layers[name] = None
        else:
            layer, known = layer_of(name)
            if not known:
                problems.append(f"{name} ({t['folder']}): no layer; add it to LAYERS in "
                                "scripts/check_layers.py")
            layers[name] = layer
    links = 0
    link_edges = defaultdict(dict)
    for name, t in sorted(targets.items()):
        for dep in link_names(t["links"], targets):
            links += 1
            mine = layers.get(name)
            theirs = layers[dep] if dep in targets else layer_of(dep)[0]
            if mine is not None and theirs is not None and theirs > mine:
                problems.append(f"{name} ({LAYER_NAMES[mine]}) links {dep} "
                                f"({LAYER_NAMES[theirs]})")
            if dep in targets:
                a, b = t["folder"], targets[dep]["folder"]
                if a != b and b not in link_edges[a]:
                    link_edges[a][b] = f"{name} links {dep}"

    # 2. Folders.
    folder_edges = defaultdict(dict)
    for source in (link_edges, include_edges(root)):
        for a, bs in source.items():
            for b, why in bs.items():
                folder_edges[a].setdefault(b, why)
    for component in find_cycles(folder_edges):
        members = set(component)
        why = [f"    {a} -> {b}: {folder_edges[a][b]}"
               for a in component for b in sorted(folder_edges.get(a, {})) if b in members]
        problems.append("folders in a cycle: " + ", ".join(component) + "\n" + "\n".join(why))

    counted = sum(1 for v in layers.values() if v is not None)
    edges = sum(len(bs) for bs in folder_edges.values())
    print(f"check_layers: {counted} targets, {links} links; "
          f"{len(folder_edges)} folders with {edges} dependencies")
    by_layer = defaultdict(list)
    for name, layer in layers.items():
        if layer is not None and layer != TOP:
            by_layer[layer].append(name)
    for layer in (BASE, CONTROLLERS, WINDOWS):
        print(f"  {LAYER_NAMES[layer]:<12} {' '.join(sorted(by_layer[layer]))}")
    for p in problems:
        print("  PROBLEM " + p)
    print("check_layers: " + ("ok" if not problems else f"{len(problems)} problem(s)"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
