"""The source tree as its layout promises: the parts' four rooms and the base, dependencies one way
(app, then ui, then rulestore, then registry, then base), no loop between units (a .cpp with its
.h), and no two headers of one name."""

import re
import unittest
from pathlib import Path

SOURCES = Path(__file__).resolve().parents[1] / "src"
ROOMS = ["base", "registry", "rulestore", "ui", "app"]  # each may include only rooms before it
INCLUDE = re.compile(r'^#include "([^"]+\.(?:h|def|inc))"', re.MULTILINE)


def units():
    """unit (path without extension, from src) -> the units it includes."""
    graph = {}
    for path in SOURCES.rglob("*"):
        if path.suffix in (".h", ".cpp"):
            unit = str(path.relative_to(SOURCES).with_suffix(""))
            graph.setdefault(unit, set()).update(
                str(Path(target).with_suffix("")) for target in INCLUDE.findall(path.read_text(encoding="utf-8"))
                if (SOURCES / target).exists())
    return graph


class SourceLayoutTest(unittest.TestCase):
    def test_rooms_one_way_no_loops_one_header_per_name(self):
        self.assertEqual(sorted(ROOMS), sorted(p.name for p in SOURCES.iterdir() if p.is_dir()))
        graph = units()
        for unit, targets in graph.items():
            for target in targets - {unit}:
                self.assertLessEqual(ROOMS.index(target.split("/")[0]), ROOMS.index(unit.split("/")[0]),
                                     f"{unit} includes {target}")
        visiting, done = [], set()

        def visit(unit):
            if unit in visiting:
                self.fail("include loop: " + " -> ".join(visiting[visiting.index(unit):] + [unit]))
            if unit not in done:
                visiting.append(unit)
                for target in sorted(graph.get(unit, set()) - {unit}):
                    visit(target)
                visiting.pop()
                done.add(unit)

        for unit in sorted(graph):
            visit(unit)
        names = [path.name for path in SOURCES.rglob("*.h")]
        self.assertEqual([], sorted({name for name in names if names.count(name) > 1}), "headers of one name")


if __name__ == "__main__":
    unittest.main(verbosity=2)
