"""gui_cases.py SCRIPT: the test cases of a GUI test script as unittest finds them, one Class.method
a line, which quellmark_add_gui_tests (tests/gui/CMakeLists.txt) registers each as a test of its own."""

import importlib
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # nothing left in the source tree
script = Path(sys.argv[1])
sys.path.insert(0, str(script.parent))
module = importlib.import_module(script.stem)
for suite in unittest.defaultTestLoader.loadTestsFromModule(module):
    for test in suite:
        print(test.id().split(".", 1)[1])
