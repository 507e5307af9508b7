#!/usr/bin/python3
"""check-layers.py DOT: fails when the target graph that CMake's --graphviz
wrote has a cycle, printing it. Static libraries may link each other in a
circle without CMake complaining, so the layering is checked here."""
import re
import sys


def main():
    labels, edges = {}, {}
    for line in open(sys.argv[1], encoding="utf-8"):
        node = re.match(r'\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]*)"', line)
        if node:
            labels[node.group(1)] = node.group(2)
            continue
        edge = re.match(r'\s*"(node\d+)"\s*->\s*"(node\d+)"', line)
        # CMake draws an edge from a test program to itself (its test
        # discovery step); only edges between two targets can make a cycle
        if edge and edge.group(1) != edge.group(2):
            edges.setdefault(edge.group(1), set()).add(edge.group(2))
    state, path = {}, []

    def visit(node):
        state[node] = "open"
        path.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                cycle = path[path.index(nxt):] + [nxt]
                raise SystemExit("dependency cycle: " + " -> ".join(labels.get(n, n) for n in cycle))
            if nxt not in state:
                visit(nxt)
        path.pop()
        state[node] = "done"

    for node in sorted(labels):
        if node not in state:
            visit(node)
    print(f"layers: {len(labels)} targets, no cycle")


if __name__ == "__main__":
    main()
