"""Every test case of a GUI test script is registered with ctest: gui_cases.py SCRIPT CASE...

quellmark_add_gui_tests (tests/gui/CMakeLists.txt) reads the cases from the script's text; this
loads the script as unittest does and fails on a case that reading missed (or one that is gone).
"""

import importlib.util
import sys
import unittest
from pathlib import Path

script, registered = Path(sys.argv[1]), set(sys.argv[2:])
sys.path.insert(0, str(script.parent))
spec = importlib.util.spec_from_file_location(script.stem, script)
module = importlib.util.module_from_spec(spec)
spec.loader.exec_module(module)


def cases(suite):
    for test in suite:
        yield from cases(test) if isinstance(test, unittest.TestSuite) else [test.id().split(".", 1)[1]]


found = set(cases(unittest.defaultTestLoader.loadTestsFromModule(module)))
for case in sorted(found - registered):
    print(f"not registered with ctest: {case}")
for case in sorted(registered - found):
    print(f"registered but not in {script.name}: {case}")
sys.exit(1 if found != registered else 0)
