"""The add and home-page commands of quellmark.exe under Wine, end to end, with their message dialogs.

Each case runs the real program in a fresh prefix holding a fixture rule store, types into it from
inside the prefix (send_keys.exe, see there why not through X), reads its dialogs with
window_inspector.exe and the clipboard with clipboard_tool.exe, and checks the registry through the
prefix's user.reg afterwards: every value's type and bytes, and for "nothing written" every key's
last-write time too. Screenshots of the dialogs go to <build>/screenshots.
"""

import os
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import quellmark_gui as gui  # noqa: E402
from quellmark_gui import REG_BINARY, REG_DWORD, REG_SZ, RegValue  # noqa: E402
from window_state import inspect, start_showing, wait_until  # noqa: E402

CAPTION = "Quellmark"
SCREEN = (1024, 768)
IDENTITY = "{6A1F3C20-7B4E-4D2A-9C61-3E5B8F0A2D47}"
STORE = rf"Identities\{IDENTITY}\Software\Microsoft\Outlook Express\5.0\Rules\Mail"

WARNING = "警告"
INFORMATION = "情報"
CONFIRMATION = ("レジストリを書き換えます。\r\n"
                "実行前に戻せるように準備しておいてください。\r\n"
                "危険を熟知した上で実行しますか？")
REWRITTEN = "書き換えました。"
MAIL_CLIENT_RUNNING = ("Outlook Express が起動しています。\r\n"
                       "Outlook Express を終了してから、もう一度「追加」ボタンをクリックしてください。")
ANOTHER_COPY_WRITING = ("別の Quellmark がルールを書き込んでいます。\r\n"
                        "そちらが終わってから、もう一度「追加」ボタンをクリックしてください。")
# The writer lock that every copy of the program takes around its registry work: one per user, shared
# by all the user's sessions ({SID}: the user's, as process_standin.exe has the system write it).
WRITER_LOCK = "Global\\Quellmark.RuleStoreWriter.{SID}"
SESSION_WRITER_LOCK = "Quellmark.RuleStoreWriter.{SID}"
NOT_SET_TO_JAPANESE = (
    "Quellmark writes Japanese rule names, so Windows must be set to Japanese for programs that do not use "
    "Unicode. Nothing was written.\r\nOn Windows XP: Control Panel, Regional and Language Options, Advanced, "
    "'Language for non-Unicode programs': Japanese. On Windows 2000: Control Panel, Regional Options, "
    "General, Set default: Japanese. Then restart Windows and try again.")
CANCEL = "キャンセル"
WS_MINIMIZE = 0x20000000
RULE1 = ".jp以外で、二桁以上の数字を含む送信者"
RULE2 = '.jp以外で、数字と"@"が連続する送信者'
AFTER_RECEIVING = "受信してから削除"
WITHOUT_RECEIVING = "受信せずに削除"

# The rules as the mail client reads them, pinned in bytes.
TWO_DIGIT_NAME = bytes.fromhex("94F16A708ADC90948E9A93F18C85")  # 非jp含数字二桁
DIGIT_AT_NAME = bytes.fromhex("94F16A708ADC90948E9A40")  # 非jp含数字@
TWO_DIGIT_CRITERIA = b"".join(b"%02d\0" % n for n in range(100)) + b"\0\0"
DIGIT_AT_CRITERIA = b"".join(b"%d@\0" % n for n in range(10)) + b"\0\0"
JP_DOMAIN_CRITERIA = b".jp\0\0\0"
DELETE_AFTER_RECEIVING, DELETE_WITHOUT_RECEIVING = 7, 8

# Wine keeps its own caches (fonts) in the user's registry; everything else is the program's.
WINE_OWN_KEYS = "Software\\Wine"


def exe_path():
    value = os.environ.get("QUELLMARK_EXE")
    if not value:
        raise unittest.SkipTest("QUELLMARK_EXE is not set: this build has no quellmark.exe")
    return Path(value)


def tool_path(name):
    return gui.build_dir() / "tests" / "gui" / name


def sz(data):
    return RegValue(REG_SZ, data + b"\0")


def dword(value):
    return RegValue(REG_DWORD, value.to_bytes(4, "little"))


def installed_rule(key_name, name, criteria, action_type):
    """Every key and value of one rule as the installer writes it, keyed by path."""
    rule = STORE + "\\" + key_name
    return {
        rule: {"Enabled": dword(1), "Name": sz(name), "Version": dword(1)},
        rule + r"\Actions": {"Order": sz(b"000")},
        rule + r"\Actions\000": {"Flags": dword(0), "Type": dword(action_type)},
        rule + r"\Criteria": {"Order": sz(b"000 001")},
        rule + r"\Criteria\000": {"Flags": dword(0), "Logic": dword(2), "Type": dword(12),
                                  "Value": RegValue(REG_BINARY, criteria), "ValueType": dword(0x41)},
        rule + r"\Criteria\001": {"Flags": dword(1), "Logic": dword(0), "Type": dword(12),
                                  "Value": RegValue(REG_BINARY, JP_DOMAIN_CRITERIA), "ValueType": dword(0x41)},
    }


def program_keys(registry):
    return {path: values for path, values in registry.items()
            if path != WINE_OWN_KEYS and not path.startswith(WINE_OWN_KEYS + "\\")}


# Both rules on an empty store, to be deleted after receiving.
BOTH_RULES_AFTER_RECEIVING = {
    **installed_rule("000", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_AFTER_RECEIVING),
    **installed_rule("001", DIGIT_AT_NAME, DIGIT_AT_CRITERIA, DELETE_AFTER_RECEIVING)}


def put_keys(fixture, keys):
    """Adds keys as installed_rule() gives them to a fixture."""
    for path, values in keys.items():
        for name, value in values.items():
            if value.type == REG_SZ:
                fixture.sz(path, name, value.data[:-1])
            elif value.type == REG_DWORD:
                fixture.dword(path, name, int.from_bytes(value.data, "little"))
            else:
                fixture.binary(path, name, value.data)


def store_fixture(version=""):
    """An empty store; with a version, Wine poses as that Windows (its `Version` value)."""
    fixture = gui.RegFixture()
    fixture.sz("Identities", "Last User ID", IDENTITY)
    fixture.key(STORE)
    if version:
        fixture.sz(r"Software\Wine", "Version", version)
    return fixture


class CommandSession:
    """quellmark.exe in a fresh prefix holding `fixture`, its window on page "施行". key_changes are
    key_lock.exe's arguments (a mode, then paths) for what a fixture cannot hold: links, ACLs; lang a
    locale other than the Japanese one for the program."""

    def __init__(self, test, fixture, key_changes=(), lang=None):
        self.test = test
        self.display = gui.Display()
        self.display.start()
        test.addCleanup(self.display.stop)
        self.prefix = gui.WinePrefix()
        test.addCleanup(self.prefix.dispose)
        # Wine has neither "ＭＳ Ｐゴシック" (the main window's font) nor "MS UI Gothic" (what the
        # message font "MS Shell Dlg" stands for in Japanese); proportional stand-ins keep the
        # screenshots true to size.
        for face in ("ＭＳ Ｐゴシック", "MS UI Gothic"):
            fixture.sz(r"Software\Wine\Fonts\Replacements", face, "IPAPGothic")
        self.prefix.import_registry(fixture)
        # user.reg keeps a link, so it is made before the registry is read; Wine keeps a key's ACL
        # only while its wineserver runs, so that is set once the program does.
        links = [change for change in key_changes if change[0] == "link"]
        self.change_keys(links)
        self.before = self.prefix.user_registry()  # also ends the session, so settings take effect
        self.before_stored = self.prefix.user_registry(ansi=False)  # strings as stored, in UTF-16

        def start():
            program = self.prefix.start(exe_path(), display=self.display, lang=lang)
            self.change_keys([change for change in key_changes if change not in links])
            return program

        self.program, self.window = start_showing(self.prefix, self.display, CAPTION, start)
        self.keys(CAPTION, "Right")  # the tabs have the focus: on to page "施行"

    def change_keys(self, key_changes):
        for mode, *paths in key_changes:
            self.test.assertEqual(0, self.prefix.run(tool_path("key_lock.exe"), mode,
                                                     *(path.encode("cp932").hex() for path in paths)))

    def keys(self, foreground, *keys):
        """Types keys once the foreground window is captioned `foreground` (None: at once, wherever the
        system sends them)."""
        to = ["--to", foreground.encode("cp932").hex()] if foreground is not None else []
        result = subprocess.run(["wine", str(tool_path("send_keys.exe")), *to, *keys], env=self.prefix.env(self.display),
                                stderr=subprocess.PIPE, timeout=60)
        if result.returncode != 0:
            raise gui.HarnessError(f"send_keys {keys}: {result.stderr.decode(errors='replace').strip()}")

    def choose(self, two_digit, digit_at, item):
        """From the page's tabs: ticks the boxes asked for and picks the deletion method (item 0 is
        chosen at start), leaving the focus on "追加"."""
        keys = ["Tab"] + (["space"] if two_digit else []) + ["Tab"] + (["space"] if digit_at else []) + ["Tab"]
        if item == 1:
            keys += ["Tab", "Down", "shift+Tab"]
        self.keys(CAPTION, *keys)
        main = self.inspect("TForm1")
        self.test.assertEqual(("Button", "追加"), main.focus)
        self.test.assertEqual([int(two_digit), int(digit_at)], [main.child(RULE1)["check"], main.child(RULE2)["check"]])
        self.test.assertEqual([int(item == 0), int(item == 1)],
                              [main.child(AFTER_RECEIVING)["check"], main.child(WITHOUT_RECEIVING)["check"]])

    def press_add(self):
        self.keys(CAPTION, "Return")

    def add_and_confirm(self):
        """Presses "追加", answers the warning with OK and closes "書き換えました。" with OK."""
        self.press_add()
        self.dialog(WARNING)
        self.keys(WARNING, "Return")
        self.dialog(INFORMATION)
        self.keys(INFORMATION, "Return")

    def add_and_meet_error(self, message):
        """Presses "追加", answers the warning with OK, and finds the error box saying `message`;
        closed, it leaves the program running with no dialog."""
        self.press_add()
        self.dialog(WARNING)
        self.keys(WARNING, "Return")
        self.test.assertEqual([message], self.error_box())
        self.keys(CAPTION, "Return")
        self.no_dialog_for(1)

    def inspect(self, window_class):
        window = inspect(self.prefix, self.display, window_class)
        if window is None:
            raise gui.HarnessError(f"no window of class {window_class}")
        return window

    def dialog(self, caption):
        """The message dialog captioned `caption`, once it is shown, as window_inspector sees it."""
        self.display.wait_window(caption)
        dialog = self.inspect("TMessageForm")
        self.test.assertEqual(caption, dialog.caption)
        return dialog

    def error_box(self, timeout=30):
        """The text of the application's error box (a system message box captioned with the title)."""
        # Besides the main window, the application window bears the title too (one pixel for X).
        deadline = time.monotonic() + timeout
        while not [w for w in self.display.find_windows(CAPTION)
                   if w != self.window and self.display.geometry(w).width > 1]:
            if time.monotonic() > deadline:
                raise gui.HarnessError(f"no error box within {timeout} s")
            time.sleep(0.1)
        box = self.inspect("#32770")
        self.test.assertEqual(CAPTION, box.caption)
        texts = [c["text"] for c in box.children if c["class"].lower() == "static" and c["text"]]
        self.test.assertEqual(["OK"], [c["text"] for c in box.of_class("Button")])
        return texts

    def no_dialog_for(self, seconds):
        time.sleep(seconds)
        self.test.assertIsNone(inspect(self.prefix, self.display, "TMessageForm"))
        self.test.assertIsNone(inspect(self.prefix, self.display, "#32770"))

    def clipboard(self, form=0):
        """The clipboard's CF_TEXT bytes (form 0), CF_LOCALE (1) or CF_UNICODETEXT (2), read inside the
        prefix, or None when it holds none."""
        result = subprocess.run(["wine", str(tool_path("clipboard_tool.exe")), "read"], env=self.prefix.env(self.display),
                                stdout=subprocess.PIPE, timeout=60, check=True)
        data = result.stdout.decode("ascii").split()[form]
        return None if data == "-" else bytes.fromhex(data)

    def put_on_clipboard(self, data):
        subprocess.run(["wine", str(tool_path("clipboard_tool.exe")), "put", data.hex()],
                       env=self.prefix.env(self.display), timeout=60, check=True)

    def task_bar(self, action):
        """Minimises or restores the program as its task bar button does."""
        subprocess.run(["wine", str(tool_path("task_bar.exe")), action], env=self.prefix.env(self.display),
                       timeout=60, check=True)

    def window_pixels(self, name, window):
        """The X window's pixels as raw RGB bytes (saved as <build>/screenshots/<name>.png too)."""
        self.screenshot(name, window)
        png = gui.build_dir() / "screenshots" / f"{name}.png"
        return subprocess.run(["convert", str(png), "rgb:-"], stdout=subprocess.PIPE, check=True).stdout

    def screenshot(self, name, window):
        """The X window as <build>/screenshots/<name>.png, and the whole screen beside it."""
        frame = self.display.geometry(window)
        directory = gui.build_dir() / "screenshots"
        directory.mkdir(exist_ok=True)
        whole = self.display.screenshot(directory / f"{name}-screen.png")
        subprocess.run(["convert", str(whole), "-crop", f"{frame.width}x{frame.height}+{frame.x}+{frame.y}",
                        "+repage", str(directory / f"{name}.png")], check=True)

    def close(self):
        """Alt+F4 on the main window: the program ends with exit code 0; the registry it left."""
        self.keys(CAPTION, "alt+F4")
        self.test.assertEqual(0, self.program.wait(30))
        return self.prefix.user_registry()

    def assert_nothing_written(self, after, ignoring=()):
        """Every key and value as before, byte for byte as stored, and no key written to at all (Wine
        records each write's time), but for the keys under `ignoring`. Call it after close()."""
        def keys(registry):
            return {k: v for k, v in program_keys(registry).items() if not k.startswith(tuple(ignoring) or "\0")}
        self.test.assertEqual(keys(self.before), keys(after))
        self.test.assertEqual(keys(self.before_stored), keys(self.prefix.user_registry(ansi=False)))
        self.test.assertEqual({k: t for k, t in self.before.times.items() if k in keys(self.before)},
                              {k: t for k, t in after.times.items() if k in keys(after)})

    def assert_written_exactly(self, after, new_keys, store_order, removed=()):
        """The store gained exactly new_keys, lost the keys `removed`, and its "Order" became
        store_order; nothing else changed."""
        expected = {path: values for path, values in program_keys(self.before).items() if path not in removed}
        for path, values in new_keys.items():
            self.test.assertNotIn(path, expected, "the rule went under a key that was there before")
            expected[path] = values
        expected[STORE] = dict(expected[STORE], Order=sz(store_order))
        self.test.assertEqual(expected, program_keys(after))


class DialogShape:
    """Checks what every message dialog of the program shares: frame, icon, text, centred button row."""

    WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
    WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_EX_DLGMODALFRAME = 0x00020000, 0x00010000, 0x00000001
    BS_DEFPUSHBUTTON = 0x1

    @classmethod
    def check(cls, test, dialog, text, buttons):
        test.assertEqual(cls.WS_CAPTION | cls.WS_SYSMENU, dialog.style & (cls.WS_CAPTION | cls.WS_SYSMENU))
        test.assertEqual(0, dialog.style & (cls.WS_THICKFRAME | cls.WS_MINIMIZEBOX | cls.WS_MAXIMIZEBOX))
        test.assertTrue(dialog.ex_style & cls.WS_EX_DLGMODALFRAME)
        test.assertEqual("TApplication", dialog.owner_class)
        # Centred on the screen when shown.
        left, top, right, bottom = dialog.rect
        test.assertEqual(((SCREEN[0] - (right - left)) // 2, (SCREEN[1] - (bottom - top)) // 2), (left, top))

        # Creation order: the icon, the text, the buttons in index order; OK has the focus.
        icon, label, *row = dialog.children
        test.assertEqual(["Static", "Static"] + ["Button"] * len(buttons), [c["class"] for c in dialog.children])
        test.assertEqual(text, label["text"])
        test.assertEqual(buttons, [b["text"] for b in row])
        test.assertEqual(("Button", "OK"), dialog.focus)
        test.assertTrue(row[0]["style"] & cls.BS_DEFPUSHBUTTON)

        # Icon at the margins, 32 x 32; the text beside it; the buttons below both, one size, one row,
        # centred in the client area, with the vertical margin under them.
        margin_x, margin_y, icon_width, icon_height = icon["bounds"]
        test.assertEqual((32, 32), (icon_width, icon_height))
        label_left, label_top, label_width, label_height = label["bounds"]
        test.assertEqual(margin_y, label_top)
        test.assertGreater(label_left, margin_x + 32)
        sizes = {(b["bounds"][2], b["bounds"][3]) for b in row}
        test.assertEqual(1, len(sizes))
        tops = {b["bounds"][1] for b in row}
        test.assertEqual(1, len(tops))
        client_width, client_height = dialog.client_size
        row_left = row[0]["bounds"][0]
        row_right = row[-1]["bounds"][0] + row[-1]["bounds"][2]
        test.assertLessEqual(abs(row_left - (client_width - row_right)), 1, "the button row is centred")
        test.assertEqual(client_width, max(label_left + label_width + margin_x, row_right - row_left + 2 * margin_x))
        test.assertGreater(tops.pop(), max(label_top + label_height, margin_y + 32))
        button_bottom = row[0]["bounds"][1] + row[0]["bounds"][3]
        test.assertEqual(client_height, button_bottom + margin_y)
        return row


class AddCommandTest(unittest.TestCase):
    def test_both_rules_on_an_empty_store_with_the_dialogs_and_their_copy(self):
        session = CommandSession(self, store_fixture())
        session.choose(two_digit=True, digit_at=True, item=1)
        session.screenshot("rules-page", session.window)
        session.press_add()

        warning = session.dialog(WARNING)
        ok, cancel = DialogShape.check(self, warning, CONFIRMATION, ["OK", CANCEL])
        self.assertLess(ok["bounds"][0], cancel["bounds"][0])
        self.assertFalse(cancel["style"] & DialogShape.BS_DEFPUSHBUTTON)
        session.screenshot("warning-dialog", session.display.wait_window(WARNING))
        session.keys(WARNING, "Return")

        information = session.dialog(INFORMATION)
        DialogShape.check(self, information, REWRITTEN, ["OK"])
        # CR LF breaks the warning's text into its three lines, each as high as the one line here.
        self.assertEqual(3 * information.children[1]["bounds"][3], warning.children[1]["bounds"][3])
        session.screenshot("information-dialog", session.display.wait_window(INFORMATION))

        # Ctrl+Shift+C copies nothing; Ctrl+C copies caption, text and buttons between dividers, in
        # CR LF lines, as CF_TEXT (xclip sees the same text with LF).
        sentinel = b"sentinel"
        session.put_on_clipboard(sentinel)
        session.keys(INFORMATION, "ctrl+shift+c", "alt+c")
        self.assertEqual(sentinel, session.clipboard())
        session.keys(INFORMATION, "ctrl+c")
        divider = "2d" * 27 + "0d0a"
        expected = bytes.fromhex(divider + "8fee95f1" "0d0a" +  # 情報
                                 divider + "8f9182ab8ab782a682dc82b582bd8142" "0d0a" +  # 書き換えました。
                                 divider + "4f4b202020" "0d0a" + divider)  # "OK" and three blanks
        self.assertEqual(expected, session.clipboard())
        self.assertEqual(expected.decode("cp932").replace("\r\n", "\n"), session.display.clipboard_text())
        # With its language, Japanese (Japan): the Unicode text that other programs read is the same.
        self.assertEqual(0x0411, int.from_bytes(session.clipboard(1)[:4], "little"))
        self.assertEqual(expected.decode("cp932"), session.clipboard(2).decode("utf-16-le"))
        # The copy leaves the dialog as it was: Enter still presses OK.
        information_window = session.display.wait_window(INFORMATION)
        session.keys(INFORMATION, "Return")
        session.display.wait_window_gone(information_window)

        # A second run asks again and finds both rules: it writes nothing more.
        session.press_add()
        session.dialog(WARNING)
        session.keys(WARNING, "Return")
        session.dialog(INFORMATION)
        session.keys(INFORMATION, "Escape")  # OK is also the cancel button here

        after = session.close()
        new_rules = {**installed_rule("000", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_WITHOUT_RECEIVING),
                     **installed_rule("001", DIGIT_AT_NAME, DIGIT_AT_CRITERIA, DELETE_WITHOUT_RECEIVING)}
        session.assert_written_exactly(after, new_rules, b"000 001")

    def test_two_digit_rule_takes_the_lowest_free_number(self):
        fixture = store_fixture()
        for key_name, name in (("000", "迷惑メール"), ("001", "広告"), ("003", "Other")):
            fixture.sz(STORE + "\\" + key_name, "Name", name)
        fixture.sz(STORE, "Order", "000 001 003")
        session = CommandSession(self, fixture)
        session.choose(two_digit=True, digit_at=False, item=0)
        session.add_and_confirm()
        after = session.close()
        session.assert_written_exactly(
            after, installed_rule("002", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_AFTER_RECEIVING),
            b"000 001 003 002")

    def test_nothing_is_written_unless_the_warning_is_answered_with_ok(self):
        session = CommandSession(self, store_fixture())
        # No box ticked: no dialog at all.
        session.keys(CAPTION, "Tab", "Tab", "Tab")
        self.assertEqual(("Button", "追加"), session.inspect("TForm1").focus)
        session.press_add()
        session.no_dialog_for(2)

        # Escape, Alt+F4, Tab then Enter (Cancel has the focus), the close box, and Escape once the
        # program is minimised and restored through its task bar button (which leaves the application
        # window active): each ends the command, and the main window takes input again.
        session.keys(CAPTION, "shift+Tab", "shift+Tab", "shift+Tab")
        session.choose(two_digit=True, digit_at=True, item=0)
        for answer in (["Escape"], ["alt+F4"], ["Tab", "Return"], "close box", "task bar"):
            session.press_add()
            warning = session.dialog(WARNING)
            if answer == "close box":
                self.click_close_box(session, warning)
            elif answer == "task bar":
                session.task_bar("minimize")
                wait_until(lambda: session.inspect("TApplication").style & WS_MINIMIZE, "the program minimised")
                session.task_bar("restore")
                session.keys(WARNING, "Escape")
            else:
                session.keys(WARNING, *answer)
            session.no_dialog_for(1)
            self.assertEqual(("Button", "追加"), session.inspect("TForm1").focus, answer)
        session.assert_nothing_written(session.close())

    @staticmethod
    def click_close_box(session, dialog):
        # Wine draws the frame itself: the close box sits at the right end of the caption bar.
        window = session.display.wait_window(WARNING)
        frame = session.display.geometry(window)
        client_width, client_height = dialog.client_size
        border = (frame.width - client_width) // 2
        caption_height = frame.height - client_height - 2 * border
        session.display.click(frame.x + frame.width - border - caption_height // 2 - 1,
                              frame.y + border + caption_height // 2)
        session.display.wait_window_gone(window)

    def test_rules_present_under_other_names_are_not_written_again(self):
        fixture = store_fixture()
        fixture.sz(STORE + r"\004", "Name", TWO_DIGIT_NAME)
        fixture.sz(STORE + r"\01F", "Name", DIGIT_AT_NAME)
        fixture.sz(STORE, "Order", "004 01F")
        session = CommandSession(self, fixture)
        session.choose(two_digit=True, digit_at=True, item=0)
        session.press_add()
        session.dialog(WARNING)
        session.keys(WARNING, "Return")
        session.dialog(INFORMATION)

        # A clipboard that another program holds open: the error box tells so, and the dialog goes on.
        holder = subprocess.Popen(["wine", str(tool_path("clipboard_tool.exe")), "hold"],
                                  env=session.prefix.env(session.display), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE)
        try:
            self.assertEqual(b"held", holder.stdout.readline().strip())
            session.keys(INFORMATION, "ctrl+c")
            self.assertEqual(["クリップボードを開くことができません."], session.error_box())
            session.keys(CAPTION, "Return")
            session.display.wait_window(INFORMATION)
        finally:
            holder.stdin.close()
            holder.wait(30)
            holder.stdout.close()
        session.keys(INFORMATION, "ctrl+c")
        self.assertTrue(session.clipboard().startswith(b"-" * 27 + b"\r\n" + "情報".encode("cp932")))
        session.keys(INFORMATION, "Return")
        session.assert_nothing_written(session.close())


    def test_an_unlisted_copy_of_a_rule_is_removed_and_the_rule_installed_afresh(self):
        # What an interrupted installation or a registry export taken before the rule leaves: the
        # whole rule under a key that "Order" does not list, so the mail client never shows it.
        fixture = store_fixture()
        fixture.sz(STORE + r"\000", "Name", "迷惑メール")
        fixture.sz(STORE, "Order", "000")
        remnant = installed_rule("005", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_WITHOUT_RECEIVING)
        put_keys(fixture, remnant)
        session = CommandSession(self, fixture)
        session.choose(two_digit=True, digit_at=False, item=0)
        session.add_and_confirm()
        session.assert_written_exactly(
            session.close(), installed_rule("001", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_AFTER_RECEIVING),
            b"000 001", removed=remnant.keys())


class OlderWindowsTest(unittest.TestCase):
    def test_both_rules_are_written_alike_when_wine_poses_as_an_older_windows(self):
        # Wine posing as 95 or 98 reports a 9x version over its NT registry, as the compatibility
        # modes of XP do: the program must go by what the system is. Double-byte key names (counted
        # in characters by NT's listing, "表" ending in 5C), names that "Order" lists in another
        # letter case (ж for Ж, ｘ for Ｘ) and a remnant named "ソ" make every branch of the
        # listing show. Windows 95 and NT 4.0 also add both rules in the mail client check's cases.
        for version in ("winxp", "win2k", "win98", "win95"):
            with self.subTest(version=version):
                fixture = store_fixture(version)
                fixture.sz(STORE + r"\000", "Name", "迷惑メール")
                for key_name in ("表示表示", "Ж", "Ｘ"):
                    fixture.sz(STORE + "\\" + key_name, "Name", key_name)
                fixture.sz(STORE, "Order", "000 表示表示 ж ｘ")
                remnant = installed_rule("ソ", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_WITHOUT_RECEIVING)
                put_keys(fixture, remnant)
                session = CommandSession(self, fixture)
                session.choose(two_digit=True, digit_at=True, item=0)
                session.add_and_confirm()
                session.assert_written_exactly(
                    session.close(),
                    {**installed_rule("001", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_AFTER_RECEIVING),
                     **installed_rule("002", DIGIT_AT_NAME, DIGIT_AT_CRITERIA, DELETE_AFTER_RECEIVING)},
                    "000 表示表示 ж ｘ 001 002".encode("cp932"), removed=remnant.keys())


class FailureTest(unittest.TestCase):
    def test_values_that_cannot_be_taken_as_they_are_are_reported_and_nothing_is_written(self):
        # "Order" that is no text; a key name and an "Order" that code page 932 cannot hold, as a
        # Unicode program writes them ("é", UTF-16 in the fixture): read through the ANSI calls they
        # would come back as "e", naming no key and losing the user's rule when "Order" is written back.
        # Unlisted copies of the rule (remnants) that cannot be removed whole, or only by reaching
        # outside the store: the second of two with such a name beneath it, one holding a registry
        # link to a key elsewhere (which stays untouched). An unlisted rule key that refuses access,
        # which the rule might otherwise be written over. The cases where a 9x version reported over
        # NT's registry once lost data run again with Wine posing as 98 and 95.
        remnant = f"以前の追加で途中まで作成されたルールのキー '{STORE}\\%s' を削除できません."
        older = ("", "win98", "win95")
        cases = [
            (lambda f: f.dword(STORE, "Order", 3), "'Order' のデータ型が不正です.", ()),
            (lambda f: f.key(STORE + "\\é").sz(STORE, "Order", "000"),
             f"'{STORE}\\?' の名前に Shift_JIS で表せない文字があります.", ()),
            (lambda f: f.key(STORE + "\\é").sz(STORE, "Order", "000 é"),
             f"'{STORE}' の値 'Order' に Shift_JIS で表せない文字があります.", (), older),
            (lambda f: f.sz(STORE + r"\001", "Name", TWO_DIGIT_NAME).sz(STORE + r"\002", "Name", TWO_DIGIT_NAME)
             .key(STORE + r"\002\é"),
             f"'{STORE}\\002\\?' の名前に Shift_JIS で表せない文字があります\r\n" + remnant % "002", ()),
            (lambda f: f.sz(STORE + r"\001", "Name", TWO_DIGIT_NAME).sz(r"Software\Victim\Child", "Kept", "kept"),
             f"'{STORE}\\001\\Link' を開けません\r\n" + remnant % "001",
             [("link", STORE + r"\001\Link", r"Software\Victim")], older),
            (lambda f: f, f"'{STORE}\\000' を開けません.", [("deny", STORE + r"\000")]),
        ]
        runs = [(*case[:3], version) for case in cases for version in (case[3] if len(case) > 3 else ("",))]
        for make, message, key_changes, version in runs:
            with self.subTest(message=message, version=version):
                fixture = store_fixture(version)
                fixture.sz(STORE + "\\000", "Name", "迷惑メール")
                make(fixture)
                session = CommandSession(self, fixture, key_changes)
                session.choose(two_digit=True, digit_at=True, item=0)
                # The program goes on after the error box, and a second attempt ends the same way.
                for _attempt in range(2):
                    session.add_and_meet_error(message)
                    self.assertEqual(("Button", "追加"), session.inspect("TForm1").focus)
                session.assert_nothing_written(session.close())

    def test_without_an_identity_the_error_box_comes_and_nothing_is_written_anywhere(self):
        # No "Last User ID"; one naming an identity whose key is gone (nothing is made beneath
        # "Identities" for it).
        for last_user_id in (None, IDENTITY):
            with self.subTest(last_user_id=last_user_id):
                fixture = gui.RegFixture()
                fixture.key(r"Identities\{00000000-0000-0000-0000-000000000000}")
                if last_user_id:
                    fixture.sz("Identities", "Last User ID", last_user_id)
                session = CommandSession(self, fixture)
                session.choose(two_digit=True, digit_at=False, item=0)
                session.add_and_meet_error("Outlook Express のユーザー (ID) が見つかりません.")
                session.assert_nothing_written(session.close())

    def test_a_listed_rule_key_that_grants_only_reading_carries_no_name_and_the_rules_are_added(self):
        # As some tools leave them: it cannot be opened for its name, so it is taken for another
        # rule's and its number stays taken. Here it holds the two-digit rule, which is then there
        # twice, listed and in effect: the worst this can do.
        fixture = store_fixture()
        fixture.sz(STORE + r"\000", "Name", TWO_DIGIT_NAME)
        fixture.sz(STORE, "Order", "000")
        session = CommandSession(self, fixture, [("read-only", STORE + r"\000")])
        session.choose(two_digit=True, digit_at=True, item=0)
        session.add_and_confirm()
        new_rules = {**installed_rule("001", TWO_DIGIT_NAME, TWO_DIGIT_CRITERIA, DELETE_AFTER_RECEIVING),
                     **installed_rule("002", DIGIT_AT_NAME, DIGIT_AT_CRITERIA, DELETE_AFTER_RECEIVING)}
        session.assert_written_exactly(session.close(), new_rules, b"000 001 002")


class GuardTest(unittest.TestCase):
    """The add command writes nothing while the mail client runs or another copy writes the rules."""

    def other_program(self, session, command):
        """`command` (process_standin.exe in one of its parts) running in the prefix until its standard
        input closes, at the latest when the test ends."""
        other = subprocess.Popen(["wine", *command], env=session.prefix.env(), stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE)
        self.assertEqual(b"running", other.stdout.readline().strip())
        self.addCleanup(other.stdout.close)
        self.addCleanup(other.wait, 30)
        self.addCleanup(other.stdin.close)
        return other

    def refused_while(self, session, command, warning, screenshot):
        """With `command` running, "追加" and OK give `warning` instead of writing."""
        other = self.other_program(session, command)
        session.choose(two_digit=True, digit_at=True, item=0)
        session.press_add()
        session.display.wait_window(WARNING)
        session.dialog(WARNING)
        session.keys(WARNING, "Return")
        DialogShape.check(self, session.dialog(WARNING), warning, ["OK"])
        session.screenshot(screenshot, session.display.wait_window(WARNING))
        session.keys(WARNING, "Return")
        session.no_dialog_for(1)
        other.stdin.close()
        other.wait(30)

    def test_nothing_is_written_while_the_mail_client_runs(self):
        # Wine is of the NT family whatever version it reports, as XP is in a compatibility mode: the
        # processes are listed through ntdll and the user's own told by their tokens in every row.
        for version in ("", "nt40", "win98", "win95"):
            with self.subTest(version=version):
                fixture = store_fixture(version)
                session = CommandSession(self, fixture)
                shutil.copy(tool_path("process_standin.exe"), session.prefix.path / "drive_c" / "msimn.exe")
                self.refused_while(session, ["C:\\msimn.exe"], MAIL_CLIENT_RUNNING,
                                   "mail-client-warning" + (version and "-" + version))
                # Closed: the same command goes through.
                session.add_and_confirm()
                session.assert_written_exactly(session.close(), BOTH_RULES_AFTER_RECEIVING, b"000 001")

    def test_nothing_is_written_on_a_system_not_set_to_japanese(self):
        # Code page 1252 would bring the rules' names to the store garbled: the error box says why
        # in English, before the confirmation, and names the setting that mends it.
        session = CommandSession(self, store_fixture(), lang="C.UTF-8")
        session.keys(CAPTION, "Tab", "space", "Tab", "Tab")
        session.press_add()
        self.assertEqual([NOT_SET_TO_JAPANESE], session.error_box())
        session.screenshot("not-set-to-japanese", session.window)  # the box in the whole screen beside it
        session.keys(CAPTION, "Return")
        # Wine itself writes the settings of the locale it now runs under: its formats and keyboard.
        session.assert_nothing_written(session.close(), ignoring=[r"Control Panel\International", "Keyboard Layout"])

    def test_nothing_is_written_while_another_copy_holds_the_store(self):
        # Told at once, not after a wait. The lock keeps its namespace and the user's SID when Wine
        # reports NT 4.0 or 98 over the system it is, as XP's compatibility modes do.
        for version in ("", "nt40", "win98"):
            with self.subTest(version=version):
                session = CommandSession(self, store_fixture(version))
                self.refused_while(session, [str(tool_path("process_standin.exe")), WRITER_LOCK],
                                   ANOTHER_COPY_WRITING, "another-copy-warning" + (version and "-" + version))
                session.assert_nothing_written(session.close())

    def test_a_lock_name_taken_by_another_does_not_refuse_every_add(self):
        # An object of another kind holds the global name, as one that another user made first and
        # shut this one out of does (Wine grants what such an access list refuses): the add runs
        # with the lock of this session. Where no mutex of either name can be made, whether another
        # copy writes cannot be told, and the error box says so.
        for holders in (["event:" + WRITER_LOCK], ["event:" + WRITER_LOCK, "event:" + SESSION_WRITER_LOCK]):
            with self.subTest(holders=holders):
                session = CommandSession(self, store_fixture())
                self.other_program(session, [str(tool_path("process_standin.exe")), *holders])
                session.choose(two_digit=True, digit_at=True, item=0)
                if len(holders) == 1:
                    session.add_and_confirm()
                    session.assert_written_exactly(session.close(), BOTH_RULES_AFTER_RECEIVING, b"000 001")
                else:
                    session.add_and_meet_error("ルールの書き込みに使うロックを作成できません.")
                    session.assert_nothing_written(session.close())


class HomePageTest(unittest.TestCase):
    def test_the_address_goes_to_the_web_browser(self):
        fixture = store_fixture()
        session = CommandSession(self, fixture)
        # The prefix's handler of http addresses becomes url_recorder.exe instead of Wine's browser.
        shutil.copy(tool_path("url_recorder.exe"), session.prefix.path / "drive_c" / "url_recorder.exe")
        handler = session.prefix.path / "drive_c" / "http-handler.reg"
        handler.write_bytes(b"\xff\xfe" + (
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\http\\shell\\open\\command]\r\n"
            '@="\\"C:\\\\url_recorder.exe\\" \\"%1\\""\r\n').encode("utf-16-le"))
        session.prefix.import_registry(handler)
        session.keys(CAPTION, "Tab", "Tab", "Tab", "Tab", "Tab")
        self.assertEqual(("Button", "作者ホームページ"), session.inspect("TForm1").focus)
        session.keys(CAPTION, "space")
        record = session.prefix.path / "drive_c" / "url_recorder.txt"
        deadline = time.monotonic() + 30
        while not record.exists() and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(b'"C:\\url_recorder.exe" "http://quellmark.example/"', record.read_bytes())
        session.no_dialog_for(0.5)
        session.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
