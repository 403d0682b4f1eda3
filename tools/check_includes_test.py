#!/usr/bin/env python3
"""The layout check on small made-up trees: it passes a tree that keeps the
layout and names the file and line of each kind of breach."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_includes.py")


class LayoutCheck(unittest.TestCase):
    def run_on(self, files):
        with tempfile.TemporaryDirectory() as top:
            for path, text in files.items():
                full = os.path.join(top, path)
                os.makedirs(os.path.dirname(full), exist_ok=True)
                with open(full, "w") as f:
                    f.write(text)
            result = subprocess.run([sys.executable, CHECK, top], capture_output=True, text=True)
            return result.returncode, result.stdout

    BASE = {
        "common/Status.h": "#pragma once\n",
        "common/CMakeLists.txt": "add_library(common STATIC Codec.cpp)\n",
        "common/Codec.cpp": '#include "common/Status.h"\n#include <vector>\n',
        "coordsys/core/CMakeLists.txt": "add_library(coordsys_core STATIC Core.cpp)\n"
                                        "wlx_add_test(t SOURCES tests/CoreTest.cpp LIBS x)\n",
        "coordsys/core/Core.h": '#include "common/Status.h"\n',
        "coordsys/core/Core.cpp": '#include "coordsys/core/Core.h"\n',
        "coordsys/core/tests/CoreTest.cpp": '#include "coordsys/core/Core.h"\n'
                                            '#include "testing/TestSupport.h"\n',
        "testing/TestSupport.h": "#pragma once\n",
        "projections/CMakeLists.txt": "add_library(projections STATIC Tm.cpp)\n",
        "projections/Tm.cpp": '#include "coordsys/core/Core.h"\n',
    }

    def test_a_tree_that_keeps_the_layout_passes(self):
        code, out = self.run_on(self.BASE)
        self.assertEqual(code, 0, out)

    def test_fuzz_targets_reach_the_program(self):
        code, out = self.run_on({**self.BASE,
                                 "fuzz/CMakeLists.txt": "wlx_add_fuzzer(f SOURCES F.cpp LIBS x)\n",
                                 "fuzz/F.cpp": '#include "loader/app/App.h"\n'
                                               '#include "projections/Tm.h"\n',
                                 "loader/app/App.h": "", "projections/Tm.h": ""})
        self.assertEqual(code, 0, out)

    def test_each_breach_is_named_with_file_and_line(self):
        cases = [
            ("an upward include", {"coordsys/core/Core.cpp":
                                   '#include "coordsys/core/Core.h"\n#include "projections/Tm.h"\n',
                                   "projections/Tm.h": ""},
             'coordsys/core/Core.cpp:2: coordsys/core may not include projections/'),
            ("product code including tests", {"coordsys/core/Core.cpp":
                                              '#include "testing/TestSupport.h"\n'},
             "coordsys/core/Core.cpp:1: coordsys/core may not include testing/"),
            ("another folder's test helper", {"projections/Tm.cpp":
                                              '#include "coordsys/core/tests/Helper.h"\n',
                                              "coordsys/core/tests/Helper.h": ""},
             "projections/Tm.cpp:1: includes another folder's test file"),
            ("a relative include", {"projections/Tm.cpp": '#include "Tm.h"\n',
                                    "projections/Tm.h": ""},
             'projections/Tm.cpp:1: "Tm.h" is not a path from the top of the tree'),
            ("a source in no target", {"projections/Lm.cpp": ""},
             "projections/Lm.cpp: belongs to no target of projections/CMakeLists.txt"),
            ("a target reached from another folder",
             {"projections/CMakeLists.txt": "add_library(projections STATIC Tm.cpp)\n"
                                            "target_sources(coordsys_core PRIVATE Lm.cpp)\n",
              "projections/Lm.cpp": ""},
             "projections/CMakeLists.txt: target_sources reaches target coordsys_core"),
            ("a benchmark reaching the program",
             {"bench/CMakeLists.txt": "add_executable(b Run.cpp)\n",
              "bench/Run.cpp": '#include "loader/app/App.h"\n', "loader/app/App.h": ""},
             "bench/Run.cpp:1: bench may not include loader/app/"),
            ("a source listed from above", {"CMakeLists.txt":
                                            "add_library(x STATIC projections/Lm.cpp)\n",
                                            "projections/Lm.cpp": ""},
             "projections/Lm.cpp: belongs to a target of CMakeLists.txt"),
        ]
        for name, change, expected in cases:
            with self.subTest(name):
                code, out = self.run_on({**self.BASE, **change})
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)


if __name__ == "__main__":
    unittest.main()
