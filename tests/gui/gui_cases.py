"""gui_cases.py SCRIPT CASE...: the cases that quellmark_add_gui_tests (tests/gui/CMakeLists.txt) read
from the script's text and registered are every test case unittest finds in it."""

import importlib.util
import sys
import unittest
from pathlib import Path

script = Path(sys.argv[1])
sys.path.insert(0, str(script.parent))
spec = importlib.util.spec_from_file_location(script.stem, script)
module = importlib.util.module_from_spec(spec)
spec.loader.exec_module(module)
found = {test.id().split(".", 1)[1] for suite in unittest.defaultTestLoader.loadTestsFromModule(module)
         for test in suite}
print("\n".join([f"not registered: {case}" for case in sorted(found - set(sys.argv[2:]))] +
                [f"registered, not in the script: {case}" for case in sorted(set(sys.argv[2:]) - found)]))
sys.exit(found != set(sys.argv[2:]))
