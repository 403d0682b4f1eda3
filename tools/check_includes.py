#!/usr/bin/env python3
"""Holds the tree's layout as a fact: which folder may include which, and that
every source file belongs to a target of its own folder.

    tools/check_includes.py [source dir]

Prints every offending include (file and line) or source, and exits 1 if
there is one.
"""

import os
import re
import sys

# Folder -> the folders its files may include besides their own. A folder's
# tests (<folder>/tests/) may include the same, the folder itself and testing/.
# Every folder may include common/.
ALLOWED = {
    "common": set(),
    "platform": set(),
    "geometry": {"platform"},
    "coordsys/core": {"platform"},
    "coordsys/datum": {"coordsys/core", "platform"},
    "projections": {"coordsys/core"},
    "coordsys": {"projections", "coordsys/datum", "coordsys/core", "platform"},
    "data": {"coordsys", "projections", "coordsys/datum", "coordsys/core", "platform"},
    "loader/core": {"geometry", "coordsys", "coordsys/core", "platform"},
    "nativeformat": {"loader/core", "geometry", "coordsys", "coordsys/core", "platform"},
    "foreign": set(),
    "readers": {"foreign", "loader/core", "geometry", "coordsys", "coordsys/core", "platform"},
    "dgn": {"foreign", "platform"},
    "coverage/lib": {"platform"},
    "coverage/plugin": {"coverage/lib", "foreign", "platform"},
    "installer": {"platform"},
    # Helpers for the tests of the folders below the program.
    "testing": {"loader/core", "geometry", "coordsys", "coordsys/core", "coverage/lib", "foreign",
                "platform"},
}
# One folder per text format's reader, each over the loader core.
for _reader in ("loader/bna", "loader/csv", "loader/mif", "loader/shapefile"):
    ALLOWED[_reader] = {"loader/core"} | ALLOWED["loader/core"]

PROGRAM = "loader/app"
# The program names everything; benchmarks and fuzz targets anything below it.
ANYTHING = {"fuzz", "bench"}
# Of those, the ones configured after the program, which reach it too (the
# switch-file fuzz target parses a command line).
ABOVE_PROGRAM = {"fuzz"}
# Tests that need more than their folder's own set, and why.
TEST_EXTRAS = {
    # The families are tested on blocks the library builds from the dictionaries.
    "projections": {"coordsys"},
    # The methods are tested on the datums of the shipped dictionary.
    "coordsys/datum": {"coordsys"},
}

FOLDERS = sorted(set(ALLOWED) | ANYTHING | {PROGRAM}, key=len, reverse=True)
SOURCE_SUFFIXES = (".cpp", ".cc", ".c")
HEADER_SUFFIXES = (".h", ".hpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def folder_of(path):
    """(folder, is_test) of a path from the top of the tree; folder is None
    outside every known folder."""
    for folder in FOLDERS:
        if path.startswith(folder + "/"):
            rest = path[len(folder) + 1:]
            # Tests of a subfolder (readers/drawing/tests/) count as the folder's tests.
            return folder, ("/" + rest).find("/tests/") >= 0
    return None, False


def allowed_for(folder, is_test):
    if folder == PROGRAM or folder in ABOVE_PROGRAM:
        return None  # anything
    if folder in ANYTHING:
        return {f for f in FOLDERS if f != PROGRAM}
    allowed = set(ALLOWED[folder]) | {"common"}
    if is_test:
        allowed |= {folder, "testing"} | TEST_EXTRAS.get(folder, set())
    return allowed


def project_files(top):
    skip = {".git", ".cache"}
    for root, dirs, files in os.walk(top):
        rel_root = os.path.relpath(root, top)
        dirs[:] = sorted(
            d for d in dirs
            if d not in skip and not (rel_root == "." and d.startswith("build")))
        for name in sorted(files):
            path = os.path.normpath(os.path.join(rel_root, name))
            yield path.replace(os.sep, "/")


def check_includes(top, files, problems):
    top_folders = {f.split("/")[0] for f in FOLDERS}
    for path in files:
        if not path.endswith(SOURCE_SUFFIXES + HEADER_SUFFIXES):
            continue
        folder, is_test = folder_of(path)
        if folder is None:
            problems.append(f"{path}: a source outside every folder of the layout")
            continue
        allowed = allowed_for(folder, is_test)
        with open(os.path.join(top, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                quote, name = m.groups()
                first = name.split("/")[0]
                if quote == "<" and first not in top_folders:
                    continue  # a system or outside library header
                if not os.path.isfile(os.path.join(top, name)):
                    problems.append(
                        f"{path}:{number}: \"{name}\" is not a path from the top of the tree")
                    continue
                target, target_is_test = folder_of(name)
                if target == folder and (target_is_test == is_test or is_test):
                    continue
                if target_is_test:
                    problems.append(f"{path}:{number}: includes another folder's test file "
                                    f"\"{name}\" (shared test helpers belong in testing/)")
                    continue
                if target is None:
                    problems.append(
                        f"{path}:{number}: \"{name}\" lies outside every folder of the layout")
                elif allowed is not None and target not in allowed:
                    problems.append(f"{path}:{number}: {folder}{'/tests' if is_test else ''} "
                                    f"may not include {target}/ (\"{name}\")")


def cmake_commands(text):
    """(command, [arguments]) of a CMakeLists.txt, comments and quotes handled
    well enough for this tree's files."""
    text = re.sub(r"#[^\n]*", "", text)
    for m in re.finditer(r"([A-Za-z_][A-Za-z0-9_]*)\s*\(", text):
        depth, i, start = 1, m.end(), m.end()
        while i < len(text) and depth:
            depth += {"(": 1, ")": -1}.get(text[i], 0)
            i += 1
        yield m.group(1).lower(), re.findall(r'"[^"]*"|[^\s"]+', text[start:i - 1])


TARGET_KEYWORDS = {"STATIC", "SHARED", "MODULE", "OBJECT", "INTERFACE", "EXCLUDE_FROM_ALL",
                   "WIN32", "MACOSX_BUNDLE", "IMPORTED", "ALIAS", "GLOBAL"}


def check_sources(top, files, problems):
    cmake_dirs = {os.path.dirname(p) for p in files if os.path.basename(p) == "CMakeLists.txt"}
    listed = {}  # source path -> the CMakeLists.txt that lists it
    for cmake_dir in sorted(cmake_dirs):
        lists = f"{cmake_dir}/CMakeLists.txt" if cmake_dir else "CMakeLists.txt"
        with open(os.path.join(top, lists), encoding="utf-8") as f:
            commands = list(cmake_commands(f.read()))
        defined = {args[0] for cmd, args in commands
                   if (cmd in ("add_library", "add_executable") or cmd.startswith("wlx_add_"))
                   and args}
        for cmd, args in commands:
            sources = []
            if cmd in ("add_library", "add_executable") and args:
                sources = [a for a in args[1:] if a not in TARGET_KEYWORDS]
            elif cmd.startswith("wlx_add_") and "SOURCES" in args:
                # The project's own target functions: wlx_add_<kind>(name SOURCES ... LIBS ...).
                after = args[args.index("SOURCES") + 1:]
                sources = after[:after.index("LIBS")] if "LIBS" in after else after
            elif cmd == "target_sources" and args:
                if args[0] not in defined:
                    problems.append(f"{lists}: target_sources reaches target {args[0]} "
                                    "of another folder")
                sources = [a for a in args[1:] if a not in ("PRIVATE", "PUBLIC", "INTERFACE")]
            for source in sources:
                source = source.strip('"')
                if "$" in source or not source.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.normpath(os.path.join(cmake_dir, source)).replace(os.sep, "/")
                if path in listed:
                    problems.append(f"{lists}: {source} is listed by {listed[path]} too")
                listed[path] = lists
    for path in files:
        if not path.endswith(SOURCE_SUFFIXES):
            continue
        directory = os.path.dirname(path)
        while directory and directory not in cmake_dirs:
            directory = os.path.dirname(directory)
        own = f"{directory}/CMakeLists.txt" if directory else "CMakeLists.txt"
        if path not in listed:
            problems.append(f"{path}: belongs to no target of {own}")
        elif listed[path] != own:
            problems.append(f"{path}: belongs to a target of {listed[path]}, not of its "
                            f"own folder's {own}")


def main():
    top = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                          os.path.join(os.path.dirname(__file__), ".."))
    files = list(project_files(top))
    problems = []
    check_includes(top, files, problems)
    check_sources(top, files, problems)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layout problem(s)")
        return 1
    print(f"layout holds: {len(files)} files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
