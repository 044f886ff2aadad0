"""The add command under Wine, behind bench/install_under_wine.sh: OK pressed to "情報" shown, medians."""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "gui"))
import quellmark_gui as gui  # noqa: E402
from window_state import wait_real_window  # noqa: E402

tree = gui.build_dir()
runs = int(os.environ["INSTALL_RUNS"])
EXE = tree / "src/app/quellmark.exe"
SEND_KEYS = tree / "tests/gui/send_keys.exe"
IDENTITY = "{6A1F3C20-7B4E-4D2A-9C61-3E5B8F0A2D47}"
STORE = rf"Identities\{IDENTITY}\Software\Microsoft\Outlook Express\5.0\Rules\Mail"


def store_fixture(rule_count):
    fixture = gui.RegFixture()
    fixture.sz("Identities", "Last User ID", IDENTITY)
    fixture.key(STORE)
    names = [f"{n:03X}" for n in range(rule_count)]
    for name in names:
        fixture.sz(STORE + "\\" + name, "Name", f"Rule {name}")
        fixture.dword(STORE + "\\" + name, "Enabled", 1)
    if names:
        fixture.sz(STORE, "Order", " ".join(names))
    return fixture


def prepare(rule_count, scratch):
    """A prefix holding the store, ready to be cloned like the template itself."""
    prefix = gui.WinePrefix(Path(tempfile.mkdtemp(prefix=f"store{rule_count}.", dir=scratch)))
    started = time.monotonic()
    prefix.import_registry(store_fixture(rule_count), timeout=600)
    prefix.end_wineserver()
    print(f"  store of {rule_count} rules imported in {time.monotonic() - started:.1f} s", flush=True)
    # Marked as a current template, so that every run can start from a copy of it.
    shutil.copy(gui.template_dir() / ".quellmark-template", prefix.path / ".quellmark-template")
    return prefix


def send_keys(prefix, display, foreground, *keys):
    subprocess.run(["wine", str(SEND_KEYS), "--to", foreground.encode("cp932").hex(), *keys],
                   env=prefix.env(display), check=True, timeout=120)


def one_run(display, check_keys):
    prefix = gui.WinePrefix()  # a copy of the prepared prefix, which stands in for the template
    try:
        program = prefix.start(EXE, display=display)
        wait_real_window(display, "Quellmark", timeout=60)
        send_keys(prefix, display, "Quellmark", "Right", "Tab", "space", "Tab", "space", "Tab", "Return")
        warning = display.wait_window("警告", timeout=60)
        # The key goes through X to the window that has the X input focus: wait until that is the
        # warning (Wine moves the focus there a little after showing it).
        deadline = time.monotonic() + 10
        while display.focused_window() != warning:
            if time.monotonic() > deadline:
                raise gui.HarnessError("the warning never got the X input focus")
            time.sleep(0.05)
        time.sleep(0.3)
        started = time.perf_counter()
        display.press("Return")
        while not display.find_windows("情報"):
            if time.perf_counter() - started > 600:
                raise gui.HarnessError("no 情報 dialog within 600 s")
        elapsed = time.perf_counter() - started
        send_keys(prefix, display, "情報", "Return")
        send_keys(prefix, display, "Quellmark", "alt+F4")
        if program.wait(60) != 0:
            raise gui.HarnessError("quellmark.exe did not end with exit code 0")
        if check_keys:
            rules = prefix.user_registry().subkeys(STORE)
            missing = [k for k in check_keys if k not in rules]
            if missing:
                raise gui.HarnessError(f"rule keys {missing} were not written")
        return elapsed
    finally:
        prefix.dispose()


with gui.Display() as display:
    scratch = gui.template_dir().parent / "wine-scratch"
    scratch.mkdir(parents=True, exist_ok=True)
    print(f"quellmark.exe: {EXE}\nruns per store: {runs}", flush=True)
    results = {}
    for rule_count, new_keys in ((0, ["000", "001"]), (4096, ["1000", "1001"])):
        prepared = prepare(rule_count, scratch)
        os.environ["QUELLMARK_WINE_TEMPLATE"] = str(prepared.path)
        try:
            times = [one_run(display, new_keys if run == 0 else None) for run in range(runs)]
        finally:
            del os.environ["QUELLMARK_WINE_TEMPLATE"]
            prepared.dispose()
        results[rule_count] = times
        print(f"  {rule_count:4d} rules: " + " ".join(f"{t * 1000:.0f}" for t in times) + " ms", flush=True)
    print("OK pressed -> 情報 shown, both rules (median of {} runs):".format(runs))
    for rule_count, times in results.items():
        print(f"  store of {rule_count:4d} rules: {statistics.median(times) * 1000:8.0f} ms")
