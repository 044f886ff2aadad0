"""Peak memory benchmark behind bench/memory.sh: quellmark.exe against bare_window.exe, medians and ratio."""

import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "gui"))
import quellmark_gui as gui  # noqa: E402
from window_state import wait_real_window  # noqa: E402

tree = gui.build_dir()
runs = int(os.environ["MEMORY_RUNS"])
PROGRAMS = [("bare_window", tree / "src/app/bare_window.exe", "BareWindow"),
            ("quellmark", tree / "src/app/quellmark.exe", "Quellmark")]


def program_pid(exe_name, prefix):
    """The Linux process of this prefix that runs the Windows program (Wine names it after the .exe)."""
    wanted = b"WINEPREFIX=" + str(prefix.path).encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command = (entry / "cmdline").read_bytes()
            environment = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if exe_name.encode() in command and wanted in environment and not command.startswith(b"python"):
            return int(entry.name)
    return None


def peak_kib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    raise gui.HarnessError("no VmHWM")


peaks = {name: [] for name, _, _ in PROGRAMS}
with gui.Display() as display, gui.WinePrefix() as prefix:
    subprocess.run(["wineserver", "-p"], env=prefix.env(display), check=True)
    for _ in range(runs):
        for name, exe, caption in PROGRAMS:
            program = prefix.start(exe, display=display)
            window = wait_real_window(display, caption, timeout=30)
            time.sleep(1.0)  # let it draw and settle
            pid = program_pid(exe.name, prefix)
            if pid is None:
                listing = subprocess.run(["ps", "-eo", "pid,stat,args"], stdout=subprocess.PIPE, text=True).stdout
                raise gui.HarnessError(f"no process found for {exe.name}:\n{listing}")
            peaks[name].append(peak_kib(pid))
            # Ended without keys: a key sent to a closing window under Wine can reach the next one.
            program.kill()
            program.wait(15)
    prefix.end_wineserver()

for name, _, _ in PROGRAMS:
    print(f"  {name:12s} peak resident set, median of {runs}: {statistics.median(peaks[name]) / 1024:.1f} MiB")
ratio = statistics.median(peaks["quellmark"]) / statistics.median(peaks["bare_window"])
print(f"  ratio quellmark / bare_window: {ratio:.2f}")
