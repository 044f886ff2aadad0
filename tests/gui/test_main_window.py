"""The main window of quellmark.exe under Wine: frame, pages, memo text, ticks, tab order, density, exit code.

The window's state is read from inside the prefix by window_inspector.exe (client size, styles,
texts, ticks, the focused control), keys go in through xdotool, and the memo's text comes back
through the clipboard. Screenshots of both pages are saved under <build>/screenshots.
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
from window_state import inspect, press, wait_real_window, wait_until  # noqa: E402

CAPTION = "Quellmark"
CLIENT_SIZE = (339, 217)
SCREEN = (1024, 768)

MEMO_LINES = [
    "ルール追加の仕方",
    "1.Outlook Expressを終了させる。",
    "2.対策したい項目をチェックし、”追加”ボタンをクリックする。",
    "",
    "ルール削除の仕方",
    "1.Outlook Expressを起動し、",
    "ツール(T) - メッセージルール(R) - メール(M)...",
    "で、メッセージルールを削除する。",
]
RULE1 = ".jp以外で、二桁以上の数字を含む送信者"
RULE2 = '.jp以外で、数字と"@"が連続する送信者'
ADD = "追加"
HOME_PAGE = "作者ホームページ"
AFTER_RECEIVING = "受信してから削除"
WITHOUT_RECEIVING = "受信せずに削除"

# Window styles.
WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_CLIPSIBLINGS = 0x04000000
WS_CAPTION = 0x00C00000
WS_VSCROLL = 0x00200000
WS_HSCROLL = 0x00100000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_MAXIMIZE = 0x01000000
ES_MULTILINE = 0x0004
ES_AUTOHSCROLL = 0x0080
ES_READONLY = 0x0800
BS_TYPEMASK = 0x000F
BS_AUTOCHECKBOX = 0x0003

def exe_path():
    value = os.environ.get("QUELLMARK_EXE")
    if not value:
        raise unittest.SkipTest("QUELLMARK_EXE is not set: this build has no quellmark.exe")
    return Path(value)


class MainWindowSession:
    """quellmark.exe running in a fresh prefix on a private display."""

    def __init__(self, test, fixture=None, start_command=(), beside=None):
        self.display = gui.Display()
        self.display.start()
        test.addCleanup(self.display.stop)
        self.prefix = gui.WinePrefix()
        test.addCleanup(self.prefix.dispose)
        fixture = fixture or gui.RegFixture()
        # Wine has no "ＭＳ Ｐゴシック"; its proportional stand-in keeps the captions inside their bounds.
        fixture.sz(r"Software\Wine\Fonts\Replacements", "ＭＳ Ｐゴシック", "IPAPGothic")
        self.prefix.import_registry(fixture)
        # Settings such as the density are read when the Wine session starts.
        self.prefix.end_wineserver()
        if start_command:
            # Through the shell's start command, which hands the program a show command.
            windows_path = "Z:" + str(exe_path()).replace("/", "\\")
            self.program = self.prefix.start("start", *start_command, windows_path, display=self.display)
        elif beside:
            # Started from a folder of its own with these files beside it, as from a download folder.
            folder = self.prefix.path / "drive_c" / "Downloads"
            folder.mkdir()
            shutil.copy(exe_path(), folder / "quellmark.exe")
            for name, data in beside.items():
                (folder / name).write_bytes(data)
            self.program = self.prefix.start(folder / "quellmark.exe", display=self.display)
        else:
            self.program = self.prefix.start(exe_path(), display=self.display)
        # The application window carries the same caption.
        self.window = wait_real_window(self.display, CAPTION)

    def inspect(self, window_class="TForm1", modules=()):
        window = inspect(self.prefix, self.display, window_class, modules)
        if window is None:
            raise gui.HarnessError(f"no window of class {window_class}")
        return window

    def key(self, *keys):
        press(self.display, *keys)

    def task_bar(self, action):
        tool = gui.build_dir() / "tests" / "gui" / "task_bar.exe"
        subprocess.run(["wine", str(tool), action], env=self.prefix.env(self.display), timeout=60, check=True)

    def focus_after(self, *keys):
        self.key(*keys)
        return self.inspect().focus

    def screenshot(self, name):
        frame = self.display.geometry(self.window)
        directory = gui.build_dir() / "screenshots"
        directory.mkdir(exist_ok=True)
        whole = self.display.screenshot(directory / f"{name}-screen.png")
        subprocess.run(["convert", str(whole), "-crop", f"{frame.width}x{frame.height}+{frame.x}+{frame.y}",
                        "+repage", str(directory / f"{name}.png")], check=True)
        whole.unlink()


class MainWindowTest(unittest.TestCase):
    def test_start_pages_keyboard_and_close(self):
        session = MainWindowSession(self)
        main = session.inspect()

        # The frame: title, exact client area, fixed single frame with the close box alone, centred
        # on the desktop, owned by the application window.
        self.assertEqual(CAPTION, main.caption)
        self.assertEqual(CLIENT_SIZE, main.client_size)
        self.assertEqual(WS_CAPTION | WS_SYSMENU, main.style & (WS_CAPTION | WS_SYSMENU))
        self.assertEqual(0, main.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        left, top, right, bottom = main.rect
        self.assertEqual(((SCREEN[0] - (right - left)) // 2, (SCREEN[1] - (bottom - top)) // 2), (left, top))
        self.assertEqual("TApplication", main.owner_class)

        # The application window: hidden class, title, styles, 0 x 0 at the screen's centre, shown
        # while the form is, so that it stands for the program on the task bar.
        application = session.inspect("TApplication")
        self.assertEqual(CAPTION, application.caption)
        self.assertEqual(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                         application.style)
        self.assertEqual((512, 384, 512, 384), application.rect)

        # Page "使い方" in front; the memo fills it, read-only, wrapped, without scroll bars.
        tabs = main.of_class("SysTabControl32")[0]
        self.assertEqual(0, tabs["selection"])
        sheets = main.of_class("TTabSheet")
        self.assertEqual(["使い方", "施行"], [s["text"] for s in sheets])
        self.assertEqual([True, False], [s["visible"] for s in sheets])
        memo = main.of_class("Edit")[0]
        self.assertEqual("\r\n".join(MEMO_LINES), memo["text"])
        self.assertEqual(ES_MULTILINE | ES_READONLY, memo["style"] & (ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL))
        self.assertEqual(0, memo["style"] & (WS_VSCROLL | WS_HSCROLL))
        self.assertEqual(sheets[0]["bounds"], memo["bounds"])
        self.assertEqual(("SysTabControl32", ""), main.focus)
        session.screenshot("main-window-page1")

        # The memo's text can be selected and copied, but not changed.
        self.assertEqual("Edit", session.focus_after("Tab")[0])
        session.key("ctrl+a", "ctrl+c")
        self.assertEqual("\n".join(MEMO_LINES), session.display.clipboard_text())
        session.key("x", "BackSpace", "Return")
        self.assertEqual("\r\n".join(MEMO_LINES), session.inspect().of_class("Edit")[0]["text"])

        # Page "施行": both boxes unticked, item 0 of the deletion method selected.
        self.assertEqual("SysTabControl32", session.focus_after("shift+Tab")[0])
        session.key("Right")
        rules = session.inspect()
        self.assertEqual(1, rules.of_class("SysTabControl32")[0]["selection"])
        self.assertEqual([False, True], [s["visible"] for s in rules.of_class("TTabSheet")])
        for caption in (RULE1, RULE2):
            box = rules.child(caption)
            self.assertEqual(0, box["check"], caption)
            self.assertEqual(BS_AUTOCHECKBOX, box["style"] & BS_TYPEMASK, caption)
        self.assertEqual((1, 0), (rules.child(AFTER_RECEIVING)["check"], rules.child(WITHOUT_RECEIVING)["check"]))
        self.assertTrue(rules.child("削除方法")["visible"])
        session.screenshot("main-window-page2")

        # Tab from the page tabs: both boxes, "追加", the selected deletion method, the home page
        # button, and round to the tabs; Shift+Tab goes back.
        expected = [RULE1, RULE2, ADD, AFTER_RECEIVING, HOME_PAGE, ""]
        self.assertEqual(expected, [session.focus_after("Tab")[1] for _ in expected])
        self.assertEqual(HOME_PAGE, session.focus_after("shift+Tab")[1])

        # The arrow keys choose within the deletion method, and Tab then reaches the chosen item.
        self.assertEqual(AFTER_RECEIVING, session.focus_after("shift+Tab")[1])
        self.assertEqual(WITHOUT_RECEIVING, session.focus_after("Down")[1])
        chosen = session.inspect()
        self.assertEqual((0, 1), (chosen.child(AFTER_RECEIVING)["check"], chosen.child(WITHOUT_RECEIVING)["check"]))
        self.assertEqual(HOME_PAGE, session.focus_after("Tab")[1])
        self.assertEqual(WITHOUT_RECEIVING, session.focus_after("shift+Tab")[1])

        # The window has no default or cancel button: Enter and Escape on a box do nothing.
        self.assertEqual(RULE2, session.focus_after("shift+Tab", "shift+Tab")[1])
        session.key("Return", "Escape")
        self.assertTrue(session.program.running)
        state = session.inspect()
        self.assertEqual(0, state.child(RULE2)["check"])
        self.assertEqual(RULE2, state.focus[1])

        # A box is ticked with the space bar, and stays a two-state box.
        session.key("space")
        self.assertEqual(1, session.inspect().child(RULE2)["check"])
        session.key("space")
        self.assertEqual(0, session.inspect().child(RULE2)["check"])

        # Minimised and restored through its task bar button, the program takes keys where they went
        # before: the restore makes the application window (0 x 0) the active one.
        session.task_bar("minimize")
        wait_until(lambda: not session.inspect().visible, "the form hidden with the application window")
        session.task_bar("restore")
        wait_until(lambda: session.inspect().focus == ("Button", RULE2), "the focus back on the box")
        session.key("space")
        self.assertEqual(1, session.inspect().child(RULE2)["check"])

        # Ctrl+Tab and Ctrl+PageDown select the next page, Ctrl+Shift+Tab and Ctrl+PageUp the previous
        # one, round from the last to the first; the focus goes to the tabs, as a click on one leaves it.
        for keys, page in [("ctrl+Tab", 0), ("ctrl+Tab", 1), ("ctrl+shift+Tab", 0), ("ctrl+shift+Tab", 1),
                           ("ctrl+Next", 0), ("ctrl+Prior", 1)]:
            session.key(keys)
            state = session.inspect()
            self.assertEqual(page, state.of_class("SysTabControl32")[0]["selection"], keys)
            self.assertEqual([page == 0, page == 1], [s["visible"] for s in state.of_class("TTabSheet")], keys)
            self.assertEqual(("SysTabControl32", ""), state.focus, keys)
        # Ctrl+Alt+Tab (AltGr+Tab) is no Ctrl+Tab: the page stays.
        session.key("ctrl+alt+Tab")
        self.assertEqual(1, session.inspect().of_class("SysTabControl32")[0]["selection"])

        # Alt+F4 closes the main window and ends the program with exit code 0.
        session.key("alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_layout_and_font_scale_with_the_density(self):
        fixture = gui.RegFixture()
        fixture.dword(r"Control Panel\Desktop", "LogPixels", 120)
        session = MainWindowSession(self, fixture)
        main = session.inspect()
        self.assertEqual((424, 271), main.client_size)  # 339 x 217 at 120/96, rounded as MulDiv does
        group = main.child("スパム対策ルール")
        self.assertEqual((10, 6, 391, 185), (group["bounds"][0] - main.of_class("TTabSheet")[1]["bounds"][0],
                                             group["bounds"][1] - main.of_class("TTabSheet")[1]["bounds"][1],
                                             group["bounds"][2], group["bounds"][3]))
        session.key("alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_a_comctl32_beside_the_program_is_never_loaded(self):
        # Not imported: loaded at run time from the side-by-side store (or, before XP, the system
        # folder), so the window shows with the system's common controls and the file planted beside
        # the program, no DLL at all, is never read.
        session = MainWindowSession(self, beside={"comctl32.dll": b"MZ planted beside the program"})
        [path] = session.inspect(modules=["comctl32.dll"]).modules["comctl32.dll"]
        self.assertRegex(path.lower(), r"^c:\\windows\\(system32|winsxs)\\")

    def test_started_maximised_the_main_window_is_maximised(self):
        session = MainWindowSession(self, start_command=("/wait", "/max"))
        main = session.inspect()
        self.assertTrue(main.style & WS_MAXIMIZE)
        session.key("alt+F4")
        self.assertEqual(0, session.program.wait(30))


if __name__ == "__main__":
    unittest.main(verbosity=2)
