"""The application frame under Wine, through frame_probe.exe on the real widget layer and TApplication.

Error box (closing period, title as caption, other windows disabled meanwhile, the program goes on),
EAbort (silent), objects that are no Exception (fatal error box, the program goes on), a failing
create handler (reported, the form still comes), a failing constructor before the loop (fatal error
box, exit code 1), and ShowModal (first button focused, Enter/Escape/Tab, close box, KeyPreview,
the owner disabled and active again afterwards, the application ending meanwhile).
"""

import re
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import quellmark_gui as gui  # noqa: E402
from window_state import inspect, press, start_showing, wait_real_window  # noqa: E402

TITLE = "FrameProbe"
FATAL_CAPTION = "アプリケーション エラー"
FATAL_LINE = re.compile(r"^(\S+) がモジュール frame_probe\.exe の ([0-9A-F]{8}) で発生しました。\r\n(.*)\r\n$", re.DOTALL)


def probe_path():
    return gui.build_dir() / "tests" / "gui" / "frame_probe.exe"


class ProbeSession:
    def __init__(self, test, scenario, show=True):
        self.test = test
        self.display = gui.Display()
        self.display.start()
        test.addCleanup(self.display.stop)
        self.prefix = gui.WinePrefix()
        test.addCleanup(self.prefix.dispose)
        self.scenario = scenario
        # Started, and with show its window waited for.
        if show:
            self.program, self.window = start_showing(self.prefix, self.display, "Probe", self.start)
        else:
            self.program = self.start()

    def start(self):
        return self.prefix.start(probe_path(), self.scenario, display=self.display)

    def inspect(self, window_class):
        return inspect(self.prefix, self.display, window_class)

    def key(self, window, *keys):
        # Keys go to the active window; window names the one the test expects to be active.
        del window
        press(self.display, *keys)

    def wait(self, predicate, what, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError(f"{what} within {timeout} s")
            time.sleep(0.1)

    def message_box(self):
        """The message box that is up (caption, text), or None."""
        box = self.inspect("#32770")
        if box is None:
            return None
        texts = [c["text"] for c in box.of_class("Static") if c["text"]]
        return box.caption, texts[0] if texts else ""

    def close_message_box(self, caption):
        window = wait_real_window(self.display, caption)
        self.key(window, "Return")
        self.display.wait_window_gone(window)


class ProbeTest(unittest.TestCase):
    def start(self, scenario):
        return ProbeSession(self, scenario)

    def fatal_box(self, session):
        """The fatal error box's text, matched against its template, once the box is shown."""
        caption, text = session.wait(session.message_box, "the fatal error box")
        self.assertEqual(FATAL_CAPTION, caption)
        match = FATAL_LINE.match(text)
        self.assertIsNotNone(match, repr(text))
        return match

    def press_action(self, session, clicks):
        session.key(session.window, "space")
        session.wait(lambda: session.inspect("TProbeForm").caption == f"Probe clicks={clicks}", f"click {clicks}")

    def test_exception_is_shown_with_period_and_the_program_goes_on(self):
        session = self.start("error")
        for clicks in (1, 2):
            self.press_action(session, clicks)
            box = session.wait(session.message_box, "the error box")
            self.assertEqual((TITLE, "'Order' の設定に失敗しました."), box)
            # Every other window of the program is disabled while the box is up.
            self.assertFalse(session.inspect("TProbeForm").enabled)
            self.assertFalse(session.inspect("TApplication").enabled)
            session.close_message_box(TITLE)
            form = session.inspect("TProbeForm")
            self.assertTrue(form.enabled)
            self.assertEqual(("Button", "Action"), form.focus)
        session.key(session.window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_abort_is_silent(self):
        session = self.start("abort")
        self.press_action(session, 1)
        self.press_action(session, 2)
        self.assertIsNone(session.message_box())
        self.assertTrue(session.inspect("TProbeForm").enabled)
        session.key(session.window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_an_object_that_is_no_exception_gets_the_fatal_box_and_the_program_goes_on(self):
        session = self.start("foreign")
        self.press_action(session, 1)
        match = self.fatal_box(session)
        self.assertEqual(("int", ""), (match.group(1), match.group(3)))  # an int: no message, no "."
        session.close_message_box(FATAL_CAPTION)
        self.press_action(session, 2)
        session.wait(session.message_box, "the fatal error box again")
        session.close_message_box(FATAL_CAPTION)
        session.key(session.window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_a_standard_library_failure_gets_the_fatal_box_with_its_class_and_no_message(self):
        session = self.start("runtime")
        self.press_action(session, 1)
        match = self.fatal_box(session)
        self.assertEqual(("std::out_of_range", ""), (match.group(1), match.group(3)))  # no Exception: no message, no "."
        session.close_message_box(FATAL_CAPTION)
        session.key(session.window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_failing_create_handler_is_reported_and_the_form_still_comes(self):
        session = ProbeSession(self, "create", show=False)
        box = session.wait(session.message_box, "the error box")
        self.assertEqual((TITLE, "create failed."), box)
        session.close_message_box(TITLE)
        window = wait_real_window(session.display, "Probe")
        session.key(window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_exception_before_the_loop_ends_with_the_fatal_box_and_exit_code_1(self):
        session = ProbeSession(self, "startup", show=False)
        match = self.fatal_box(session)
        self.assertEqual(("Exception", "start failed."), (match.group(1), match.group(3)))
        self.assertNotEqual("00000000", match.group(2))
        self.assertIsNone(session.inspect("TProbeForm"))
        session.close_message_box(FATAL_CAPTION)
        self.assertEqual(1, session.program.wait(30))

    def test_application_window_system_menu_has_no_maximize_size_or_move(self):
        session = self.start("sysmenu")
        session.key(session.window, "space")
        caption = session.wait(lambda: session.inspect("TProbeForm").caption.startswith("Probe menu=")
                               and session.inspect("TProbeForm").caption, "the menu listing")
        ids = {int(item, 16) for item in caption.split("=")[1].split(",") if item}
        SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE = 0xF000, 0xF010, 0xF020, 0xF030, 0xF060
        self.assertEqual(set(), ids & {SC_SIZE, SC_MOVE, SC_MAXIMIZE})
        self.assertLessEqual({SC_MINIMIZE, SC_CLOSE}, ids)
        session.key(session.window, "alt+F4")
        self.assertEqual(0, session.program.wait(30))

    def test_a_restore_that_brings_no_activation_gives_the_focus_back(self):
        session = self.start("restored")
        self.press_action(session, 1)
        session.wait(lambda: session.inspect("TProbeForm").focus == ("Button", "Action"), "the focus on the form")

    def test_show_modal(self):
        session = self.start("modal")

        def open_dialog():
            session.key(session.window, "space")
            dialog = wait_real_window(session.display, "ProbeDialog")
            state = session.wait(lambda: session.inspect("TProbeDialog"), "the dialog")
            return dialog, state

        def result_after(dialog, *keys):
            session.key(dialog, *keys)
            session.display.wait_window_gone(dialog)
            form = session.wait(lambda: session.inspect("TProbeForm"), "the probe form")
            self.assertTrue(form.enabled)
            self.assertEqual(("Button", "Action"), form.focus)  # active again, focus where it was
            return int(form.caption.split("=")[1])

        dialog, state = open_dialog()
        self.assertEqual(("Button", "OK"), state.focus)  # the first button has the focus
        self.assertFalse(session.inspect("TProbeForm").enabled)
        self.assertFalse(session.inspect("TApplication").enabled)
        self.assertEqual(1, result_after(dialog, "Return"))

        dialog, _ = open_dialog()
        self.assertEqual(2, result_after(dialog, "Escape"))

        dialog, _ = open_dialog()
        session.key(dialog, "Tab")
        self.assertEqual(("Button", "Cancel"), session.inspect("TProbeDialog").focus)
        self.assertEqual(2, result_after(dialog, "Return"))

        dialog, _ = open_dialog()
        self.assertEqual(2, result_after(dialog, "alt+F4"))  # the close box's way

        # KeyPreview: the dialog sees Ctrl+C before the focused button; Ctrl+Shift+C is not Ctrl+C.
        dialog, _ = open_dialog()
        session.key(dialog, "ctrl+c", "ctrl+shift+c", "alt+c")
        self.assertEqual("ProbeDialog copies=1", session.inspect("TProbeDialog").caption)
        self.assertEqual(1, result_after(dialog, "Return"))

        # The application told to end while the dialog is up: the dialog ends with 2, then the program.
        dialog, _ = open_dialog()
        session.key(dialog, "Tab", "Tab", "space")
        self.assertEqual(2, session.program.wait(30))


if __name__ == "__main__":
    unittest.main(verbosity=2)
