// The main window's form description: the code page 932 bytes that reach the window, a component
// tree that can be built (parents first, tab orders without gaps), and the tab order of the rules page.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/Form1Description.h"
#include "HexBytes.h"

namespace {

const TComponentDescription& Row(const char* name) {
  const TFormDescription& form = Form1Description();
  for (std::size_t i = 0; i < form.component_count; ++i) {
    if (std::strcmp(form.components[i].name, name) == 0) return form.components[i];
  }
  throw std::runtime_error(std::string("no row ") + name);
}

TEST(Form1Description, FontIsMsPGothicInShiftJis) {
  const TFontDescription& font = Form1Description().font;
  // Full-width "ＭＳ", an ASCII blank, full-width "Ｐ", ゴシック.
  EXPECT_EQ("82 6C 82 72 20 82 6F 83 53 83 56 83 62 83 4E", Hex(font.name));
  EXPECT_EQ(-12, font.height);
  EXPECT_EQ(128, font.charset);
  EXPECT_FALSE(font.bold || font.italic || font.underline);
}

TEST(Form1Description, MemoTextBytes) {
  const TTextList lines = std::get<TMemoArgs>(Row("Memo1").args).lines;
  ASSERT_EQ(8u, lines.count);
  EXPECT_STREQ("", lines.items[3]);
  // Line 3 puts 追加 (92 C7 89 C1) between two right double quotation marks (81 68).
  EXPECT_NE(std::string(lines.items[2]).find("\x81\x68\x92\xC7\x89\xC1\x81\x68"), std::string::npos);
  EXPECT_STREQ("ツール(T) - メッセージルール(R) - メール(M)...", lines.items[6]);
  EXPECT_EQ("83 63 81 5B 83 8B 28 54 29 20 2D 20", Hex(std::string(lines.items[6]).substr(0, 12)));
  // The second rule's caption keeps its two ASCII quotation marks around the at sign.
  EXPECT_NE(std::string(Row("CheckBox_Rule2").caption).find("\"@\""), std::string::npos);
}

TEST(Form1Description, TreeCanBeBuiltRowByRow) {
  const TFormDescription& form = Form1Description();
  std::set<std::string> containers = {form.name};
  std::set<std::string> names;
  std::map<std::string, std::vector<int>> tab_orders;
  for (std::size_t i = 0; i < form.component_count; ++i) {
    const TComponentDescription& row = form.components[i];
    EXPECT_TRUE(names.insert(row.name).second) << "duplicate " << row.name;
    EXPECT_TRUE(containers.count(row.parent)) << row.name << " comes before its parent " << row.parent;
    tab_orders[row.parent].push_back(row.tab_order);
    if (std::holds_alternative<TPageControlArgs>(row.args) || std::holds_alternative<TTabSheetArgs>(row.args) ||
        std::holds_alternative<TGroupBoxArgs>(row.args) || std::holds_alternative<TRadioGroupArgs>(row.args)) {
      containers.insert(row.name);
    }
  }
  // Among the children of one parent, the tab orders are 0, 1, 2 ... with no gap and no repeat.
  for (auto& [parent, orders] : tab_orders) {
    std::set<int> distinct(orders.begin(), orders.end());
    EXPECT_EQ(orders.size(), distinct.size()) << parent;
    EXPECT_EQ(static_cast<int>(orders.size()) - 1, *distinct.rbegin()) << parent;
  }
}

TEST(Form1Description, RulesPageTabsToTheDeletionMethodAfterTheAddButton) {
  const TFormDescription& form = Form1Description();
  std::map<int, std::string> in_group;
  for (std::size_t i = 0; i < form.component_count; ++i) {
    if (std::strcmp(form.components[i].parent, "GroupBox1") == 0) {
      in_group[form.components[i].tab_order] = form.components[i].name;
    }
  }
  const std::vector<std::string> expected = {"CheckBox_Rule1", "CheckBox_Rule2", "Button1", "RadioGroup1"};
  std::vector<std::string> actual;
  for (auto& [order, name] : in_group) actual.push_back(name);
  EXPECT_EQ(expected, actual);
  EXPECT_EQ(0, Row("GroupBox1").tab_order);
  EXPECT_EQ(1, Row("Button2").tab_order);
}

TEST(Form1Description, NoButtonAnswersEnterOrEscape) {
  for (const char* name : {"Button1", "Button2"}) {
    const auto& button = std::get<TButtonArgs>(Row(name).args);
    EXPECT_FALSE(button.is_default) << name;
    EXPECT_FALSE(button.is_cancel) << name;
    EXPECT_EQ(mrNone, button.modal_result) << name;
  }
  EXPECT_STREQ("Button1Click", Row("Button1").on_click);
  EXPECT_STREQ("Button2Click", Row("Button2").on_click);
}

TEST(Form1Description, StartsOnTheInstructionsWithTheFirstMethod) {
  EXPECT_STREQ("TabSheet1", std::get<TPageControlArgs>(Row("PageControl1").args).active_page);
  EXPECT_EQ(0, Row("TabSheet1").tab_order);
  const auto& methods = std::get<TRadioGroupArgs>(Row("RadioGroup1").args);
  EXPECT_EQ(0, methods.item_index);
  ASSERT_EQ(2u, methods.items.count);
  for (const char* name : {"CheckBox_Rule1", "CheckBox_Rule2"}) {
    const auto& box = std::get<TCheckBoxArgs>(Row(name).args);
    EXPECT_FALSE(box.checked) << name;
    EXPECT_FALSE(box.allow_grayed) << name;
  }
}

}  // namespace
