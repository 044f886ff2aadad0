"""Start-up benchmark behind bench/startup.sh: quellmark.exe against bare_window.exe, medians and ratio."""

import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "gui"))
import quellmark_gui as gui  # noqa: E402
from window_state import press  # noqa: E402

tree = gui.build_dir()
runs = int(os.environ["STARTUP_RUNS"])
PROGRAMS = [("bare_window", tree / "src/app/bare_window.exe", "BareWindow"),
            ("quellmark", tree / "src/app/quellmark.exe", "Quellmark")]


def shown(display, caption):
    """Whether a window with this caption is mapped (the application window, one pixel, does not count)."""
    return any(display.geometry(w).width > 1 for w in display.find_windows(caption))


def start_to_shown(display, prefix, exe, caption):
    began = time.monotonic()
    program = prefix.start(exe, display=display)
    while not shown(display, caption):
        time.sleep(0.01)  # a busy loop of X clients slows Wine's own start-up down
        if time.monotonic() - began > 30:
            program.kill()
            raise gui.HarnessError(f"{exe.name} showed no window within 30 s")
    elapsed = time.monotonic() - began
    # Closed the ordinary way once it is active; killing it could leave Wine's session half set up.
    time.sleep(0.5)
    press(display, "alt+F4")
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait(10)
    return elapsed


results = {}
for mode in os.environ.get("STARTUP_MODES", "process session").split():
    # A fresh display and prefix per mode: a session that was kept up must not shape the other mode.
    with gui.Display() as display, gui.WinePrefix() as prefix:
        env = prefix.env(display)
        if mode == "process":
            subprocess.run(["wineserver", "-p"], env=env, check=True)  # stays up between runs
        stalls = 0

        def measure(exe, caption):
            global stalls
            while True:
                if mode == "session":
                    prefix.end_wineserver()
                try:
                    return start_to_shown(display, prefix, exe, caption)
                except gui.HarnessError as error:
                    # Now and then a fresh Wine session never maps a window (either program); such
                    # a run is no start-up time. Counted and repeated; given up after three.
                    stalls += 1
                    print(f"  stalled: {error}", file=sys.stderr)
                    prefix.end_wineserver()
                    if stalls > 3:
                        raise

        for name, exe, caption in PROGRAMS:  # one run each to warm the file cache, not counted
            measure(exe, caption)
        times = {name: [] for name, _, _ in PROGRAMS}
        for _ in range(runs):
            for name, exe, caption in PROGRAMS:
                times[name].append(measure(exe, caption))
        if mode == "process":
            prefix.end_wineserver()
        results[mode] = {name: statistics.median(values) for name, values in times.items()}
        spread = {name: (min(values), max(values)) for name, values in times.items()}
        print(f"{mode}: {runs} runs each" + (f" ({stalls} stalled runs repeated)" if stalls else ""))
        for name, _, _ in PROGRAMS:
            low, high = spread[name]
            print(f"  {name:12s} median {results[mode][name] * 1000:7.1f} ms  (min {low * 1000:.1f}, max {high * 1000:.1f})")
        print(f"  ratio quellmark / bare_window: {results[mode]['quellmark'] / results[mode]['bare_window']:.2f}")
