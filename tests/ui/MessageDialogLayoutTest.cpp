// The message dialog's layout arithmetic and its clipboard text, without any window.
#include <gtest/gtest.h>

#include "ui/dialog/MessageDialogLayout.h"

namespace {

// A 6 x 12 font on a 1024 x 768 screen, a dialog frame of 6 x 25.
MessageDialogMetrics Metrics(int text_width, int text_height) {
  MessageDialogMetrics metrics;
  metrics.char_width = 6;
  metrics.char_height = 12;
  metrics.text_width = text_width;
  metrics.text_height = text_height;
  metrics.screen_width = 1024;
  metrics.screen_height = 768;
  metrics.frame_width = 6;
  metrics.frame_height = 25;
  return metrics;
}

void ExpectRect(const DialogRect& rect, int left, int top, int width, int height) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

TEST(MessageDialogLayout, WarningWithOkAndCancel) {
  const MessageDialogLayout layout = LayOutMessageDialog(dkWarning, mbOKCancel, Metrics(200, 36));
  ASSERT_TRUE(layout.has_icon);
  // Block 200 + 32 + 15 wide; margins 12; buttons 75 x 21, 6 apart.
  EXPECT_EQ(layout.client_width, 271);
  EXPECT_EQ(layout.client_height, 36 + 21 + 15 + 24);
  ExpectRect(layout.icon, 12, 12, 32, 32);
  ExpectRect(layout.message, 59, 12, 200, 36);
  ASSERT_EQ(layout.buttons.size(), 2u);
  EXPECT_EQ(layout.buttons[0].kind, mbOK);
  ExpectRect(layout.buttons[0].bounds, 57, 63, 75, 21);
  EXPECT_EQ(layout.buttons[1].kind, mbCancel);
  ExpectRect(layout.buttons[1].bounds, 138, 63, 75, 21);
  EXPECT_TRUE(layout.buttons[0].is_default);
  EXPECT_TRUE(layout.buttons[1].is_cancel);
  // Centred on the screen with its frame: 277 x 121 outside.
  EXPECT_EQ(layout.left, 512 - 138);
  EXPECT_EQ(layout.top, 384 - 60);
}

TEST(MessageDialogLayout, AnIconMakesTheBlockAtLeast32High) {
  const MessageDialogLayout with_icon = LayOutMessageDialog(dkInformation, ButtonBit(mbOK), Metrics(90, 12));
  EXPECT_EQ(with_icon.client_height, 32 + 21 + 15 + 24);
  EXPECT_EQ(with_icon.buttons[0].bounds.top, 32 + 12 + 15);
  const MessageDialogLayout without = LayOutMessageDialog(dkCustom, ButtonBit(mbOK), Metrics(90, 12));
  EXPECT_FALSE(without.has_icon);
  EXPECT_EQ(without.client_height, 12 + 21 + 15 + 24);
  ExpectRect(without.message, 12, 12, 90, 12);
}

TEST(MessageDialogLayout, AWideButtonRowSetsTheWidthAndStartsAtTheMargin) {
  MessageDialogMetrics metrics = Metrics(20, 12);
  metrics.cached_button_widths[mbNo] = 90;  // the widest caption sets every button's width
  metrics.cached_button_widths[mbHelp] = 400;  // not in the set: plays no part
  const MessageDialogButtons buttons = ButtonBit(mbYes) | ButtonBit(mbNo) | ButtonBit(mbCancel);
  const MessageDialogLayout layout = LayOutMessageDialog(dkCustom, buttons, metrics);
  EXPECT_EQ(layout.button_width, 90);
  EXPECT_EQ(layout.client_width, 3 * 90 + 2 * 6 + 24);
  ASSERT_EQ(layout.buttons.size(), 3u);
  EXPECT_EQ(layout.buttons[0].bounds.left, 12);
  EXPECT_EQ(layout.buttons[2].bounds.left, 12 + 2 * 96);
}

TEST(MessageDialogLayout, DefaultAndCancelButtonsFollowTheirFallbacks) {
  struct Case {
    MessageDialogButtons buttons;
    int default_button;
    int cancel_button;
  };
  const Case cases[] = {
      {ButtonBit(mbOK), mbOK, mbOK},
      {ButtonBit(mbYes) | ButtonBit(mbNo), mbYes, mbNo},
      {ButtonBit(mbRetry) | ButtonBit(mbCancel), mbRetry, mbCancel},
      {ButtonBit(mbYes) | ButtonBit(mbOK) | ButtonBit(mbNo), mbOK, mbNo},
      {ButtonBit(mbAbort) | ButtonBit(mbIgnore), -1, -1},  // neither Retry nor OK is there
      {0, -1, -1},
  };
  for (const Case& test : cases) {
    const MessageDialogLayout layout = LayOutMessageDialog(dkConfirmation, test.buttons, Metrics(50, 12));
    EXPECT_EQ(layout.default_button, test.default_button) << test.buttons;
    EXPECT_EQ(layout.cancel_button, test.cancel_button) << test.buttons;
    for (const PlacedButton& button : layout.buttons) {
      EXPECT_EQ(button.is_default, button.kind == test.default_button);
      EXPECT_EQ(button.is_cancel, button.kind == test.cancel_button);
    }
  }
}

TEST(MessageDialogLayout, NoButtonsLeaveNoRow) {
  const MessageDialogLayout layout = LayOutMessageDialog(dkError, 0, Metrics(100, 12));
  EXPECT_TRUE(layout.buttons.empty());
  EXPECT_EQ(layout.client_width, 100 + 32 + 15 + 24);
}

TEST(MessageDialogLayout, TextWrapsAtHalfTheScreen) {
  EXPECT_EQ(TextWrapWidth(1024), 512);
  EXPECT_EQ(TextWrapWidth(1023), 511);
}

TEST(ComposeDialogText, CaptionMessageAndButtonsBetweenDividers) {
  const std::string divider = "---------------------------\r\n";
  EXPECT_EQ(ComposeDialogText("情報", "書き換えました。", {"OK"}),
            divider + "\x8F\xEE\x95\xF1\r\n" + divider + "\x8F\x91\x82\xAB\x8A\xB7\x82\xA6\x82\xDC\x82\xB5\x82\xBD\x81\x42\r\n" +
                divider + "OK   \r\n" + divider);
  // Accelerator marks go from the button line only.
  EXPECT_EQ(ComposeDialogText("A&B", "x", {"はい(&Y)", "&&No"}),
            divider + "A&B\r\n" + divider + "x\r\n" + divider + "はい(Y)   No   \r\n" + divider);
}

}  // namespace
