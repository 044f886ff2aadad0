"""Compares the runtime members rebuilt from GCC's source with the toolchain's prebuilt ones.

    runtime_fidelity.py MANIFEST

The manifest (written by cmake/FloorRuntime.cmake) names the source package and the compiler's
record of its own source on its first line, then per line a member rebuilt with the toolchain's
default flags, the prebuilt archive and the member of it that the rebuilt one must equal: the bytes
and relocations of every loaded section, debug information aside. Prints each member that differs,
with its sections, and exits with 1 then. The release's configuration runs it and stops on a
difference; the win tree's exe-file test (tests/gui/test_exe_file.py) makes the same comparison.
"""

import re
import subprocess
import sys
import tempfile
from pathlib import Path


def tool(name, *args):
    result = subprocess.run([f"i686-w64-mingw32-{name}", *map(str, args)], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, check=True)
    return result.stdout.decode("utf-8", errors="replace")


def loaded_sections(obj):
    """Name -> (bytes, relocations) of an object file's loaded sections, debug information aside."""
    headers = tool("objdump", "-h", obj).splitlines()
    result = {}
    for line, flags in zip(headers, headers[1:]):
        name = re.match(r"\s*\d+\s+(\S+)\s", line)
        if name and "LOAD" in flags and "DEBUG" not in flags and name.group(1) != ".rdata$zzz":
            with tempfile.NamedTemporaryFile() as out:
                tool("objcopy", "-O", "binary", f"--only-section={name.group(1)}", obj, out.name)
                data = Path(out.name).read_bytes()
            relocations = tool("objdump", "-r", "-j", name.group(1), obj).split("\n", 3)[-1]
            result[name.group(1)] = (data, relocations)
    return result


def read_manifest(path):
    """The manifest's first line without its "# ", and its (rebuilt, archive, member) lines."""
    header, *lines = Path(path).read_text().splitlines()
    return header[2:], [tuple(line.split()) for line in lines]


def differences(rebuilt, archive, member):
    """The loaded sections in which the rebuilt member differs from the archive's, each saying how."""
    with tempfile.TemporaryDirectory() as unpacked:
        subprocess.run(["i686-w64-mingw32-ar", "x", archive, member], cwd=unpacked, check=True)
        prebuilt, ours = loaded_sections(str(Path(unpacked) / member)), loaded_sections(rebuilt)
    return [name + (" (missing)" if None in (prebuilt.get(name), ours.get(name)) else
                    " (bytes)" if prebuilt[name][0] != ours[name][0] else " (relocations)")
            for name in sorted(set(prebuilt) | set(ours)) if prebuilt.get(name) != ours.get(name)]


def main():
    header, members = read_manifest(sys.argv[1])
    failed = False
    for rebuilt, archive, member in members:
        found = differences(rebuilt, archive, member)
        if found:
            failed = True
            print(f"runtime member {member}: {len(found)} sections differ from the prebuilt member's in {archive} "
                  f"({', '.join(found[:6])}); {header}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
