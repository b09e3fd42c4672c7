#!/usr/bin/env python3
"""Checks the layering of the source tree.

  check_layers.py ROOT QT_INCLUDE_DIR

1. No file outside ui/ (tests and benchmarks aside) includes a header of
   ui/, of Qt Widgets or of Qt Gui (the header names are read from the Qt
   include folder, so a class added to Qt is known too).
2. No two files include each other, directly or through a chain.
3. No two components of the program's subsystems include each other. A
   component is a header with its source file (X.h and X.cpp): X.cpp
   including Y.h and Y.cpp including X.h is a cycle as much as two headers
   including each other. engine/ and workbook/ are left out of this rule:
   inside them a base class's factory includes its derived formats
   (Workbook, XlsWorkbook) and a class's private data includes the class
   (ResultSet, ResultSetData), each within one library.
Prints every offence and exits with status 1 when there is one.
"""
import os
import re
import sys

LIBRARIES = ["engine", "workbook", "data", "protocol", "backup", "documents", "register", "reports", "package", "server",
             "tools", "ui"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def sources(root):
    for top in LIBRARIES:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(folder, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/")


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        return INCLUDE.findall(f.read())


def qt_headers(qt_include, module):
    folder = os.path.join(qt_include, module)
    return {name for name in os.listdir(folder) if not name.endswith(".h") or name.startswith("q")}


SELF_CONTAINED = ("engine/", "workbook/")


def component(path):
    return os.path.splitext(path)[0]


def find_cycle(graph):
    """One cycle of the graph as a list of nodes, or None."""
    WHITE, GREY, BLACK = 0, 1, 2
    colour = {node: WHITE for node in graph}
    stack = []

    def visit(node):
        colour[node] = GREY
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if colour.get(nxt, BLACK) == GREY:
                return stack[stack.index(nxt):] + [nxt]
            if colour.get(nxt) == WHITE:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        colour[node] = BLACK
        return None

    for node in sorted(graph):
        if colour[node] == WHITE:
            found = visit(node)
            if found:
                return found
    return None


def main():
    root, qt_include = sys.argv[1], sys.argv[2]
    gui = qt_headers(qt_include, "QtWidgets") | qt_headers(qt_include, "QtGui") | {"QtWidgets", "QtGui"}
    files = sorted(sources(root))
    known = set(files)
    offences = []
    file_graph = {}
    graph = {}
    for path in files:
        below_ui = not path.startswith("ui/")
        for kind, name in includes(root, path):
            if below_ui and kind == '"' and name.startswith("ui/"):
                offences.append(f"{path}: includes the window header {name}")
            if below_ui and kind == "<" and (name in gui or name.split("/")[0] in ("QtWidgets", "QtGui")):
                offences.append(f"{path}: includes the Qt Widgets/Gui header <{name}>")
            if kind != '"' or name not in known:
                continue
            file_graph.setdefault(path, set()).add(name)
            if component(name) != component(path) and not path.startswith(SELF_CONTAINED):
                graph.setdefault(component(path), set()).add(component(name))
    for what, g in (("files", file_graph), ("components", graph)):
        for node in list(g):
            for nxt in g[node]:
                g.setdefault(nxt, set())
        cycle = find_cycle(g)
        if cycle:
            offences.append(what + " that include each other: " + " -> ".join(cycle))
    for line in offences:
        print(line)
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
