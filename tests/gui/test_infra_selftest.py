"""Proves the GUI harness for real: fixture import, window search, keys, clicks, clipboard, exit code and user.reg parsing."""

import os
import struct
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import quellmark_gui as gui  # noqa: E402

# Fixed by gui_probe.cpp.
PROBE_CAPTION = "探針ウィンドウ"
PROBE_CLIENT_SIZE = (320, 200)
PROBE_KEY = "Software\\Quellmark Probe"
PROBE_EXIT_CODE = 7
CLIPBOARD_TEXT = "クリップボード試験"

DATA_KEY = PROBE_KEY + "\\試験データ [1]"
TEXT = "日本語のテキスト　ＡＢＣ abc"
BLOB = bytes(range(256)) + bytes(46)  # 302 bytes: wraps over several lines in user.reg


def utf16(text):
    return text.encode("utf-16-le")


# (key, value name, type, stored bytes as UTF-16LE/raw). Chosen so that Wine's writer uses each of its
# escapes: \x with four digits before a hex digit and fewer otherwise, octal before an octal digit and
# not, C escapes, \\ and \", [ and ] in key names, wrapped hex lines.
FIXTURE = [
    (PROBE_KEY, "Text", gui.REG_SZ, utf16(TEXT + "\0")),
    (DATA_KEY, "", gui.REG_SZ, utf16("既定の値\0")),
    (DATA_KEY, "名前\\\"引用\"", gui.REG_SZ, utf16('パス\\"引用"\n改行\t終わり\0')),
    (DATA_KEY, "kana then hex digit", gui.REG_SZ, utf16("ア1アzé!éa\0")),
    (DATA_KEY, "octal", gui.REG_SZ, utf16("\x015\x01z\x1b\0")),
    (DATA_KEY, "count", gui.REG_DWORD, struct.pack("<I", 0x12345678)),
    (DATA_KEY, "minus two", gui.REG_DWORD, struct.pack("<I", 0xFFFFFFFE)),
    (DATA_KEY, "blob", gui.REG_BINARY, BLOB),
    (DATA_KEY, "empty blob", gui.REG_BINARY, b""),
    (DATA_KEY, "path", gui.REG_EXPAND_SZ, utf16("%USERPROFILE%\\日本\0")),
    (DATA_KEY, "list", gui.REG_MULTI_SZ, utf16("ab\0日本\0\0")),
]


def build_fixture():
    fixture = gui.RegFixture()
    for key, name, value_type, data in FIXTURE:
        text = data.decode("utf-16-le") if value_type == gui.REG_SZ else ""
        if text.endswith("\0") and "\0" not in text[:-1]:
            fixture.sz(key, name, text[:-1])  # written as text, or in hex form for control characters
        elif value_type == gui.REG_DWORD:
            fixture.dword(key, name, struct.unpack("<I", data)[0])
        else:
            fixture.raw(key, name, value_type, data)
    return fixture


def png_size(path):
    header = Path(path).read_bytes()[:24]
    if header[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError(f"{path} is not a PNG")
    return struct.unpack(">II", header[16:24])


class ProbeSession(unittest.TestCase):
    """One run of the probe under Xvfb; the checks below look at what it left."""

    @classmethod
    def setUpClass(cls):
        probe = os.environ.get("QUELLMARK_GUI_PROBE")
        if not probe:
            raise RuntimeError("QUELLMARK_GUI_PROBE (the path of gui_probe.exe) is not set")
        cls.started = time.time()
        cls.display = gui.Display()
        cls.display.start()
        cls.prefix = gui.WinePrefix()
        try:
            cls.prefix.import_registry(build_fixture())
            program = cls.prefix.start(probe, PROBE_EXIT_CODE, display=cls.display)
            window = cls.display.wait_window(PROBE_CAPTION)
            cls.display.key(window, "w")
            cls.display.click_client(window, 100, 50, PROBE_CLIENT_SIZE)
            cls.display.key(window, "c")
            cls.clipboard = cls.display.clipboard_text()
            cls.screenshot = cls.display.screenshot(Path(tempfile.mkdtemp(dir=cls.prefix.path)) / "probe.png")
            cls.screenshot_size = png_size(cls.screenshot)
            cls.display.key(window, "alt+F4")
            cls.exit_code = program.wait(timeout=30)
            cls.window_left = cls.display.window_name(window) is None
            cls.registry = cls.prefix.user_registry()
            cls.registry_utf16 = gui.read_user_reg(cls.prefix.path / "user.reg", ansi=False)
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.prefix.dispose()
        cls.display.stop()

    def test_alt_f4_closes_the_window_and_the_exit_code_comes_through(self):
        self.assertTrue(self.window_left)
        self.assertEqual(self.exit_code, PROBE_EXIT_CODE)

    def test_click_lands_on_the_client_coordinates(self):
        values = self.registry[PROBE_KEY]
        self.assertEqual(values["ClickX"], (gui.REG_DWORD, b"\x64\0\0\0"))
        self.assertEqual(values["ClickY"], (gui.REG_DWORD, b"\x32\0\0\0"))

    def test_clipboard_shows_the_programs_text(self):
        self.assertEqual(self.clipboard, CLIPBOARD_TEXT)

    def test_screenshot_covers_the_screen(self):
        self.assertEqual(self.screenshot_size, (1024, 768))

    def test_fixture_comes_back_byte_for_byte(self):
        for key, name, value_type, data in FIXTURE:
            with self.subTest(key=key, name=name):
                self.assertEqual(self.registry_utf16[key][name], (value_type, data))

    def test_string_values_come_back_in_code_page_932(self):
        values = self.registry[DATA_KEY]
        self.assertEqual(values[""], (gui.REG_SZ, bytes.fromhex("8AF9 92E8 82CC 926C 00")))
        self.assertEqual(values["list"], (gui.REG_MULTI_SZ, b"ab\0" + "日本".encode("cp932") + b"\0\0"))

    def test_program_reads_fixture_text_as_code_page_932(self):
        # Echo holds what RegQueryValueExA returned for Text, written back unchanged; the second copy
        # leaves out the terminator, which Wine then keeps in hex form.
        expected = TEXT.encode("cp932")
        self.assertEqual(self.registry[PROBE_KEY]["Echo"], (gui.REG_SZ, expected + b"\0"))
        self.assertEqual(self.registry[PROBE_KEY]["EchoNoTerminator"], (gui.REG_SZ, expected))
        self.assertEqual(self.registry_utf16[PROBE_KEY]["EchoNoTerminator"], (gui.REG_SZ, utf16(TEXT)))

    def test_keys_carry_last_write_times(self):
        data_time = self.registry.times[DATA_KEY]
        probe_time = self.registry.times[PROBE_KEY]
        self.assertLess(abs(gui.filetime_to_unix(data_time) - self.started), 120)
        # The probe wrote Echo and the clicks after the import.
        self.assertGreater(probe_time, data_time)
        self.assertEqual(self.registry.subkeys(PROBE_KEY), ["試験データ [1]"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
