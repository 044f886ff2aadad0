"""The source tree as its layout promises: the four rooms and the base, each including only rooms
below it (app, ui, rulestore, registry, base), no loop between units (a .cpp with its .h), and no
two headers of one name."""

import re
import unittest
from pathlib import Path

SOURCES = Path(__file__).resolve().parents[1] / "src"
ROOMS = ["base", "registry", "rulestore", "ui", "app"]


class SourceLayoutTest(unittest.TestCase):
    def test_rooms_one_way_no_loops_one_header_per_name(self):
        self.assertEqual(sorted(ROOMS), sorted(p.name for p in SOURCES.iterdir() if p.is_dir()))
        graph = {}
        for path in [*SOURCES.rglob("*.h"), *SOURCES.rglob("*.cpp")]:
            unit = str(path.relative_to(SOURCES).with_suffix(""))
            graph.setdefault(unit, set()).update(str(Path(t).with_suffix("")) for t in re.findall(
                r'^#include "(\w+/[\w/]+)\.h"', path.read_text(encoding="utf-8"), re.MULTILINE))
        for unit, targets in graph.items():
            for target in targets:
                self.assertLessEqual(ROOMS.index(target.split("/")[0]), ROOMS.index(unit.split("/")[0]), unit)
        done, path = set(), []

        def visit(unit):
            if unit in path:
                self.fail("include loop: " + " -> ".join(path[path.index(unit):] + [unit]))
            if unit not in done:
                path.append(unit)
                for target in sorted(graph.get(unit, set()) - {unit}):
                    visit(target)
                done.add(path.pop())

        for unit in sorted(graph):
            visit(unit)
        names = [p.name for p in SOURCES.rglob("*.h")]
        self.assertEqual([], sorted({n for n in names if names.count(n) > 1}), "headers of one name")


if __name__ == "__main__":
    unittest.main(verbosity=2)
