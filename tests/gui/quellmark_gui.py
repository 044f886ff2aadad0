"""GUI test harness: runs a Win32 program under Wine in Xvfb, prepares and reads its registry, drives its windows.

A typical test:

    with Display() as display, WinePrefix() as prefix:
        fixture = RegFixture()
        fixture.sz(r"Identities", "Last User ID", "{00000000-...}")
        prefix.import_registry(fixture)
        program = prefix.start(exe, display=display)
        window = display.wait_window("Quellmark")
        display.key(window, "alt+F4")
        assert program.wait() == 0
        registry = prefix.user_registry()   # ends the wineserver first, so the file is complete

Only the Python standard library and the command-line tools Xvfb, xdotool, xclip and import
(ImageMagick) are used. Every prefix is a copy of the build's template prefix, made and removed by
tests/wine/wine-prefix, under the build tree; nothing touches the invoking user's ~/.wine.
"""

import codecs
import os
import re
import select
import subprocess
import tempfile
import time
from collections import namedtuple
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[2]
WINE_PREFIX_TOOL = REPO_ROOT / "tests" / "wine" / "wine-prefix"

_wine_settings = None

REG_NONE = 0
REG_SZ = 1
REG_EXPAND_SZ = 2
REG_BINARY = 3
REG_DWORD = 4
REG_MULTI_SZ = 7
STRING_TYPES = (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)

# Seconds between 1601-01-01 and 1970-01-01, the offset between FILETIME and Unix time.
_FILETIME_EPOCH_OFFSET = 11644473600


class HarnessError(Exception):
    """Something the harness needed did not happen (a window did not appear, a tool failed)."""


def wine_settings():
    """The variables every Wine process of the tests runs with, as tests/wine/wine-prefix defines them."""
    global _wine_settings
    if _wine_settings is None:
        listing = subprocess.run([str(WINE_PREFIX_TOOL), "env"], check=True, stdout=subprocess.PIPE, text=True).stdout
        _wine_settings = dict(line.split("=", 1) for line in listing.splitlines() if "=" in line)
    return _wine_settings


def _wine_env(prefix, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
    env.pop("WAYLAND_DISPLAY", None)
    env.update(wine_settings())
    env["WINEPREFIX"] = str(prefix)
    if display is not None:
        env["DISPLAY"] = display.name
    else:
        env.pop("DISPLAY", None)
    return env


def build_dir():
    """The CMake build tree the tests belong to (QUELLMARK_BUILD_DIR, set by ctest)."""
    value = os.environ.get("QUELLMARK_BUILD_DIR")
    if not value:
        raise HarnessError("QUELLMARK_BUILD_DIR is not set; run the GUI tests through ctest")
    return Path(value)


def template_dir():
    """The template prefix of this build, booted on first use (QUELLMARK_WINE_TEMPLATE overrides)."""
    located = subprocess.run(
        [str(WINE_PREFIX_TOOL), "locate", str(build_dir())],
        check=True, stdout=subprocess.PIPE, text=True,
    ).stdout.strip()
    subprocess.run([str(WINE_PREFIX_TOOL), "template", located], check=True)
    return Path(located)


# --- Display -----------------------------------------------------------------------------------

Geometry = namedtuple("Geometry", "x y width height")


class Display:
    """A private Xvfb server with the X tools that drive the windows on it."""

    def __init__(self, width=1024, height=768, depth=24):
        self.size = (width, height, depth)
        self.name = None
        self._process = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self, timeout=10):
        # -displayfd makes Xvfb pick a free display and report it once it accepts clients.
        read_end, write_end = os.pipe()
        width, height, depth = self.size
        try:
            self._process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            )
        finally:
            os.close(write_end)
        try:
            number = b""
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                    raise HarnessError("Xvfb did not report a display")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb exited before reporting a display")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self._process is not None:
            self._process.terminate()
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
            self._process = None

    def _tool(self, *args, check=True, timeout=30):
        """Run an X tool on this display; stdout and stderr come back as text."""
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
        env.update(DISPLAY=self.name, LANG="ja_JP.UTF-8")
        result = subprocess.run(list(args), env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=timeout)
        result.stdout = result.stdout.decode("utf-8", errors="replace")
        result.stderr = result.stderr.decode("utf-8", errors="replace")
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed: {result.stderr.strip()}")
        return result

    # Windows

    def find_windows(self, caption):
        """Ids of the visible windows whose caption is exactly `caption`."""
        pattern = "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", caption) + "$"
        result = self._tool("xdotool", "search", "--onlyvisible", "--name", pattern, check=False)
        ids = [int(line) for line in result.stdout.split()]
        return [w for w in ids if self.window_name(w) == caption]

    def wait_window(self, caption, timeout=20, exclude=()):
        """The id of the one visible window captioned exactly `caption`, polling until it appears.

        Windows in `exclude` (say, a main window whose dialog has the same caption) do not count.
        """
        deadline = time.monotonic() + timeout
        while True:
            windows = [w for w in self.find_windows(caption) if w not in exclude]
            if len(windows) == 1:
                return windows[0]
            if len(windows) > 1:
                raise HarnessError(f"{len(windows)} windows captioned {caption!r}")
            if time.monotonic() > deadline:
                raise HarnessError(f"no window captioned {caption!r} within {timeout} s")
            time.sleep(0.1)

    def wait_window_gone(self, window, timeout=20):
        deadline = time.monotonic() + timeout
        while self.window_name(window) is not None:
            if time.monotonic() > deadline:
                raise HarnessError(f"window {window} still there after {timeout} s")
            time.sleep(0.1)

    def window_name(self, window):
        """The window's caption, or None when the window is gone."""
        result = self._tool("xdotool", "getwindowname", str(window), check=False)
        return result.stdout.rstrip("\n") if result.returncode == 0 else None

    def geometry(self, window):
        """Position and size of the X window, which for Wine's unmanaged windows includes the frame."""
        result = self._tool("xdotool", "getwindowgeometry", "--shell", str(window))
        fields = dict(line.split("=", 1) for line in result.stdout.split())
        return Geometry(int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"]))

    def client_origin(self, window, client_width, client_height):
        """Screen position of the client area's top left corner, from the window's known client size.

        Wine's own frame has borders of equal width left, right and at the bottom; everything else
        above the client area is the caption (and menu).
        """
        frame = self.geometry(window)
        border = (frame.width - client_width) // 2
        return frame.x + border, frame.y + frame.height - client_height - border

    # Input

    def key(self, window, *keys):
        """Send key strokes (xdotool names: "Return", "alt+F4", "ctrl+c") to the window."""
        result = self._tool("xdotool", "key", "--window", str(window), *keys, check=False)
        # A key that closes the window leaves its release with no window to go to.
        if result.returncode != 0 and "BadWindow" not in result.stderr:
            raise HarnessError(f"xdotool key {' '.join(keys)} failed: {result.stderr.strip()}")

    def press(self, *keys):
        """Key strokes to whichever window has the X input focus, as a keyboard sends them (XTEST)."""
        self._tool("xdotool", "key", *keys)

    def focused_window(self):
        """The id of the X window that has the input focus."""
        return int(self._tool("xdotool", "getwindowfocus").stdout.strip())

    def type_text(self, window, text):
        self._tool("xdotool", "type", "--window", str(window), text)

    def move_pointer(self, x, y, timeout=5):
        # `mousemove --sync` can hang when the pointer is already there; poll instead.
        self._tool("xdotool", "mousemove", str(x), str(y))
        deadline = time.monotonic() + timeout
        while True:
            fields = dict(f.split(":", 1) for f in self._tool("xdotool", "getmouselocation").stdout.split())
            if (int(fields["x"]), int(fields["y"])) == (x, y):
                return
            if time.monotonic() > deadline:
                raise HarnessError(f"pointer did not reach {x},{y}")
            time.sleep(0.05)

    def click(self, x, y, button=1):
        """Click at screen coordinates."""
        self.move_pointer(x, y)
        self._tool("xdotool", "click", str(button))

    def click_client(self, window, x, y, client_size, button=1):
        """Click at client coordinates of a window whose client area is `client_size` (width, height)."""
        origin_x, origin_y = self.client_origin(window, *client_size)
        self.click(origin_x + x, origin_y + y, button)

    # Output

    def screenshot(self, path):
        """The whole screen as a PNG file."""
        self._tool("import", "-display", self.name, "-window", "root", str(path))
        return Path(path)

    def clipboard_text(self):
        """The clipboard as text. Wine hands it to X with CR LF as LF and without trailing NULs."""
        result = self._tool("xclip", "-o", "-selection", "clipboard", check=False, timeout=10)
        if result.returncode != 0:
            return None
        return result.stdout


# --- Registry fixtures -----------------------------------------------------------------------------

class RegFixture:
    """Registry contents for `wine regedit /s`: keys under HKEY_CURRENT_USER with typed values.

    Paths are relative to HKEY_CURRENT_USER with backslashes; the value name "" is the default value.
    Text is a str, or bytes in code page 932 as the program itself would write them.
    """

    def __init__(self):
        self._sections = {}  # path -> lines, in insertion order

    def _lines(self, path, delete=False):
        if not path or path.startswith("\\") or path.endswith("\\"):
            raise ValueError(f"bad key path {path!r}")
        header = f"[-HKEY_CURRENT_USER\\{path}]" if delete else f"[HKEY_CURRENT_USER\\{path}]"
        return self._sections.setdefault(header, [])

    @staticmethod
    def _name(name):
        return "@" if name == "" else '"' + name.replace("\\", "\\\\").replace('"', '\\"') + '"'

    @staticmethod
    def _text(value):
        return value.decode("cp932") if isinstance(value, bytes) else value

    @staticmethod
    def _hex(prefix, data):
        # Wrapped like regedit's own exports, so no line gets long.
        items = [f"{b:02x}" for b in data]
        lines, line = [], prefix
        for i, item in enumerate(items):
            line += item + ("," if i < len(items) - 1 else "")
            if len(line) > 76 and i < len(items) - 1:
                lines.append(line + "\\")
                line = "  "
        lines.append(line)
        return "\r\n".join(lines)

    def key(self, path):
        """Create the key (with its parents) even if it gets no values."""
        self._lines(path)
        return self

    def delete_key(self, path):
        self._lines(path, delete=True)
        return self

    def sz(self, path, name, text):
        """REG_SZ, terminated. Text with control characters goes in hex form, which keeps them."""
        text = self._text(text)
        if not any(ord(c) < 32 for c in text):
            escaped = text.replace("\\", "\\\\").replace('"', '\\"')
            self._lines(path).append(f'{self._name(name)}="{escaped}"')
        else:
            self.raw(path, name, REG_SZ, text.encode("utf-16-le") + b"\0\0")
        return self

    def expand_sz(self, path, name, text):
        return self.raw(path, name, REG_EXPAND_SZ, self._text(text).encode("utf-16-le") + b"\0\0")

    def dword(self, path, name, value):
        self._lines(path).append(f"{self._name(name)}=dword:{value & 0xFFFFFFFF:08x}")
        return self

    def binary(self, path, name, data):
        return self.raw(path, name, REG_BINARY, data)

    def raw(self, path, name, value_type, data):
        """Any type with exact bytes; string types take UTF-16LE bytes here, as the registry stores them.

        regedit adds a terminator to string-type data that lacks one: a string value without its
        terminator cannot come from a fixture (a program writing it with RegSetValueEx can make one).
        """
        prefix = f"{self._name(name)}=" + ("hex:" if value_type == REG_BINARY else f"hex({value_type:x}):")
        self._lines(path).append(self._hex(prefix, bytes(data)))
        return self

    def delete_value(self, path, name):
        self._lines(path).append(f"{self._name(name)}=-")
        return self

    def text(self):
        parts = ["Windows Registry Editor Version 5.00", ""]
        for header, lines in self._sections.items():
            parts += [header, *lines, ""]
        return "\r\n".join(parts) + "\r\n"

    def write(self, path):
        """The .reg file as regedit writes it: UTF-16LE with a byte order mark."""
        Path(path).write_bytes(codecs.BOM_UTF16_LE + self.text().encode("utf-16-le"))
        return Path(path)


# --- Wine's user.reg -------------------------------------------------------------------------------

RegValue = namedtuple("RegValue", "type data")

_C_ESCAPES = {"a": "\a", "b": "\b", "e": "\x1b", "f": "\f", "n": "\n", "r": "\r", "t": "\t", "v": "\v"}
_HEX_DIGITS = "0123456789abcdefABCDEF"


def _unescape(line, pos, end_char):
    """Wine's escaped string from line[pos:] up to an unescaped end_char: (text, index after end_char)."""
    out = []
    while True:
        if pos >= len(line):
            raise ValueError(f"unterminated string in {line!r}")
        c = line[pos]
        if c == end_char:
            return "".join(out), pos + 1
        if c != "\\":
            out.append(c)
            pos += 1
            continue
        pos += 1
        c = line[pos] if pos < len(line) else ""
        if c in _C_ESCAPES:
            out.append(_C_ESCAPES[c])
            pos += 1
        elif c == "x":
            digits = ""
            pos += 1
            while len(digits) < 4 and pos < len(line) and line[pos] in _HEX_DIGITS:
                digits += line[pos]
                pos += 1
            out.append(chr(int(digits, 16)) if digits else "x")
        elif c and c in "01234567":
            digits = ""
            while len(digits) < 3 and pos < len(line) and line[pos] in "01234567":
                digits += line[pos]
                pos += 1
            out.append(chr(int(digits, 8)))
        elif c:
            out.append(c)
            pos += 1
        else:
            raise ValueError(f"dangling backslash in {line!r}")


def _utf16(text):
    # Wine writes UTF-16 code units one by one, surrogate halves included.
    return text.encode("utf-16-le", errors="surrogatepass")


def to_ansi(utf16_data):
    """UTF-16LE registry string data as the ANSI calls return it under code page 932.

    An odd trailing byte is dropped and characters without a CP932 form become "?", as in Wine's
    conversion (which may map a few of those to look-alikes instead).
    """
    text = utf16_data[: len(utf16_data) // 2 * 2].decode("utf-16-le", errors="surrogatepass")
    return text.encode("cp932", errors="replace")


class UserRegistry(dict):
    """HKEY_CURRENT_USER as Wine saved it: {key path: {value name: RegValue(type, data)}}.

    Key paths are relative to HKEY_CURRENT_USER with their case as written. Keys that Wine stores only
    implicitly (as parents of others) are present with no values. `times` maps each key that Wine wrote
    out to its last-write time as a FILETIME (100 ns units since 1601).
    """

    def __init__(self):
        super().__init__()
        self.times = {}

    def find(self, path):
        """The values of the key whose path matches `path` regardless of case, or None."""
        folded = path.lower()
        for key, values in self.items():
            if key.lower() == folded:
                return values
        return None

    def subkeys(self, path):
        """Names of the direct subkeys of `path` (matched exactly), sorted."""
        prefix = path + "\\"
        return sorted({k[len(prefix):].split("\\")[0] for k in self if k.startswith(prefix)})


def parse_user_reg(text, ansi=True):
    """Parse the text of Wine's user.reg.

    With ansi=True, data of REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ values are re-encoded in code page
    932 (terminator included), so they compare directly with what the program wrote through the ANSI
    calls; with ansi=False they stay the stored UTF-16LE bytes.
    """
    registry = UserRegistry()
    lines = text.splitlines()
    current = None
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if line.startswith("["):
            path, pos = _unescape(line, 1, "]")
            current = path
            registry.setdefault(path, {})
            parts = path.split("\\")
            for n in range(1, len(parts)):
                registry.setdefault("\\".join(parts[:n]), {})
            seconds = line[pos:].strip()
            if seconds.isdigit():
                registry.times[path] = (int(seconds) + _FILETIME_EPOCH_OFFSET) * 10_000_000
        elif line.startswith("#time=") and current is not None:
            registry.times[current] = int(line[len("#time="):], 16)
        elif current is not None and line[:1] in ('"', "@"):
            while line.endswith("\\") and i < len(lines):  # wrapped hex data
                line = line[:-1] + lines[i].lstrip()
                i += 1
            name, value = _parse_value(line)
            if ansi and value.type in STRING_TYPES:
                value = RegValue(value.type, to_ansi(value.data))
            registry[current][name] = value
    return registry


def _parse_value(line):
    if line.startswith("@="):
        name, pos = "", 2
    else:
        name, pos = _unescape(line, 1, '"')
        if line[pos:pos + 1] != "=":
            raise ValueError(f"no '=' in {line!r}")
        pos += 1
    data = line[pos:]
    if data.startswith('"'):
        text, _ = _unescape(data, 1, '"')
        return name, RegValue(REG_SZ, _utf16(text) + b"\0\0")
    match = re.match(r'str\(([0-9a-fA-F]+)\):"', data)
    if match:
        text, _ = _unescape(data, match.end(), '"')
        return name, RegValue(int(match.group(1), 16), _utf16(text) + b"\0\0")
    if data.startswith("dword:"):
        return name, RegValue(REG_DWORD, int(data[6:], 16).to_bytes(4, "little"))
    match = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:", data)
    if match:
        value_type = int(match.group(1), 16) if match.group(1) else REG_BINARY
        items = data[match.end():].replace(" ", "").split(",")
        return name, RegValue(value_type, bytes(int(b, 16) for b in items if b))
    raise ValueError(f"unknown value form in {line!r}")


def read_user_reg(path, ansi=True):
    # Wine escapes everything outside ASCII; should a byte above 127 turn up anyway, Wine's own
    # loader takes it as the character of that number, which is what Latin-1 decoding does.
    return parse_user_reg(Path(path).read_text(encoding="latin-1"), ansi=ansi)


def filetime_to_unix(filetime):
    return filetime / 10_000_000 - _FILETIME_EPOCH_OFFSET


# --- Prefix and program ----------------------------------------------------------------------------

class Program:
    """A Windows program running under Wine."""

    def __init__(self, process):
        self._process = process

    def wait(self, timeout=30):
        """The exit code, once the program has ended."""
        return self._process.wait(timeout=timeout)

    def kill(self):
        self._process.kill()

    @property
    def running(self):
        return self._process.poll() is None

    @property
    def exit_code(self):
        return self._process.poll()


class WinePrefix:
    """A throwaway Wine prefix under the build tree, a copy of the template prefix."""

    def __init__(self, path=None):
        template = template_dir()
        if path is None:
            scratch = template.parent / "wine-scratch"
            scratch.mkdir(parents=True, exist_ok=True)
            path = tempfile.mkdtemp(prefix="gui.", dir=scratch)
        self.path = Path(path)
        self._programs = []
        try:
            subprocess.run([str(WINE_PREFIX_TOOL), "clone", str(template), str(self.path)], check=True)
        except BaseException:
            subprocess.run([str(WINE_PREFIX_TOOL), "dispose", str(self.path)], check=False)
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.dispose()

    def env(self, display=None):
        return _wine_env(self.path, display)

    def import_registry(self, fixture, timeout=60):
        """Import a RegFixture (or the path of a .reg file) with `wine regedit /s`."""
        name = "quellmark-fixture.reg"
        target = self.path / "drive_c" / name
        if isinstance(fixture, RegFixture):
            fixture.write(target)
        else:
            target.write_bytes(Path(fixture).read_bytes())
        try:
            result = subprocess.run(["wine", "regedit", "/s", "C:\\" + name], env=self.env(),
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        finally:
            target.unlink()
        if result.returncode != 0:
            raise HarnessError(f"regedit failed: {result.stdout.decode(errors='replace')}")

    def start(self, exe, *args, display=None, lang=None):
        """Start a program; it runs until it ends by itself or the prefix is disposed of. With lang,
        under that locale instead of the Japanese one (LANG)."""
        env = self.env(display)
        if lang is not None:
            env["LANG"] = lang
        process = subprocess.Popen(["wine", str(exe), *map(str, args)], env=env, stdin=subprocess.DEVNULL)
        self._programs.append(process)
        return Program(process)

    def run(self, exe, *args, display=None, timeout=60):
        """Run a program to its end and return its exit code."""
        return self.start(exe, *args, display=display).wait(timeout)

    def end_wineserver(self):
        """End every process of the prefix and its wineserver, which saves the registry as it goes."""
        env = self.env()
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL)
        for process in self._programs:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self._programs.clear()

    def user_registry(self, ansi=True):
        """HKEY_CURRENT_USER as saved in user.reg. Ends the wineserver first so the file is complete:
        call it after the program has ended."""
        self.end_wineserver()
        return read_user_reg(self.path / "user.reg", ansi=ansi)

    def dispose(self):
        self.end_wineserver()
        subprocess.run([str(WINE_PREFIX_TOOL), "dispose", str(self.path)], check=False)
