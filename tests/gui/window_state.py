"""Reads another program's windows through window_inspector.exe, inside the program's own prefix.

Shared by the GUI tests of quellmark.exe and of the application frame's probe.
"""

import os
import subprocess
import sys
import time

import quellmark_gui as gui


def inspector_path():
    return gui.build_dir() / "tests" / "gui" / "window_inspector.exe"


def _text(field):
    return "" if field == "-" else bytes.fromhex(field).decode("cp932")


class Window:
    """What window_inspector.exe reports about one top-level window and its descendants."""

    def __init__(self, text):
        self.children = []
        self.focus = None
        self.modules = {}
        for line in text.splitlines():
            fields = line.split("\t")
            if fields[0] == "top":
                self.window_class, self.caption = fields[1], _text(fields[2])
                self.style, self.ex_style = int(fields[3], 16), int(fields[4], 16)
                self.rect = tuple(int(v) for v in fields[5].split(","))
                self.client_size = tuple(int(v) for v in fields[6].split(","))
                self.visible, self.enabled, self.owner_class = fields[7] == "1", fields[8] == "1", fields[9]
            elif fields[0] == "child":
                self.children.append({
                    "depth": int(fields[1]), "class": fields[2], "text": _text(fields[3]),
                    "style": int(fields[4], 16), "bounds": tuple(int(v) for v in fields[5].split(",")),
                    "visible": fields[6] == "1", "enabled": fields[7] == "1",
                    "check": int(fields[8]), "selection": int(fields[9]),
                })
            elif fields[0] == "focus":
                self.focus = (fields[1], _text(fields[2]))
            elif fields[0] == "module":
                self.modules.setdefault(fields[1].lower(), []).append(_text(fields[2]))

    def child(self, text, window_class="Button"):
        found = [c for c in self.children if c["text"] == text and c["class"].lower() == window_class.lower()]
        if len(found) != 1:
            raise AssertionError(f"{len(found)} {window_class} windows with text {text!r}")
        return found[0]

    def of_class(self, window_class):
        return [c for c in self.children if c["class"].lower() == window_class.lower()]


def inspect(prefix, display, window_class, modules=()):
    """The window of that class, with where the named modules of its process lie, or None when there
    is none."""
    result = subprocess.run(["wine", str(inspector_path()), window_class, *modules], env=prefix.env(display),
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    if result.returncode == 1:
        return None
    if result.returncode != 0:
        raise gui.HarnessError(f"window_inspector {window_class} failed with exit code {result.returncode}")
    return Window(result.stdout.decode("ascii"))


def press(display, *keys):
    """Key strokes to whichever window has the focus, as a real keyboard sends them (XTEST).

    xdotool's --window sends synthetic events to one X window: when a key closes that window, its
    release has nowhere to go and Wine keeps repeating the key into the next window.
    """
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
    env["DISPLAY"] = display.name
    for key in keys:
        subprocess.run(["xdotool", "key", key], env=env, check=True, timeout=30)
        time.sleep(0.15)


def start_showing(prefix, display, caption, start):
    """start() starts the program; returns it and its window captioned `caption`. A fresh Wine
    session now and then maps no window (bench/startup.py repeats such runs too): once more then, in
    a session started anew, at once if the first program has ended. A program that shows no window
    twice fails."""
    program = start()
    try:
        return program, wait_real_window(display, caption, stalled=lambda: not program.running)
    except gui.HarnessError as error:
        print(f"{error}: once more, in a new Wine session", file=sys.stderr)
        program.kill()
        prefix.end_wineserver()
        program = start()
        return program, wait_real_window(display, caption, stalled=lambda: not program.running)


def wait_real_window(display, caption, timeout=30, stalled=None):
    """The X window captioned `caption` that is not the application window (which is one pixel for X).
    stalled(), when given, tells that none will come before the timeout."""
    deadline = time.monotonic() + timeout
    while True:
        windows = [w for w in display.find_windows(caption) if display.geometry(w).width > 1]
        if len(windows) == 1:
            return windows[0]
        if len(windows) > 1:
            raise gui.HarnessError(f"{len(windows)} windows captioned {caption!r}")
        if stalled is not None and stalled():
            raise gui.HarnessError(f"no window captioned {caption!r}, and none coming")
        if time.monotonic() > deadline:
            raise gui.HarnessError(f"no window captioned {caption!r} within {timeout} s")
        time.sleep(0.1)


def wait_until(predicate, what, timeout=20):
    """Polls predicate until it holds; HarnessError naming `what` when it does not within timeout."""
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            raise gui.HarnessError(f"not within {timeout} s: {what}")
        time.sleep(0.2)
