// Form1 as designed: one row per component, parents first, in the order of the component tree.
#include "ui/Form1Description.h"

namespace {

// The instructions on the first page; line 3 puts 追加 between two U+201D marks.
constexpr const char* kMemo1Lines[] = {
    "ルール追加の仕方",
    "1.Outlook Expressを終了させる。",
    "2.対策したい項目をチェックし、”追加”ボタンをクリックする。",
    "",
    "ルール削除の仕方",
    "1.Outlook Expressを起動し、",
    "ツール(T) - メッセージルール(R) - メール(M)...",
    "で、メッセージルールを削除する。",
};

constexpr const char* kRadioGroup1Items[] = {
    "受信してから削除",
    "受信せずに削除",
};

constexpr TMemoArgs kMemo1 = {/* read_only */ true, /* word_wrap */ true, TScrollStyle::ssNone, TextList(kMemo1Lines)};
constexpr TCheckBoxArgs kTwoStateUnticked = {/* checked */ false, /* allow_grayed */ false};
constexpr TRadioGroupArgs kRadioGroup1 = {TextList(kRadioGroup1Items), /* item_index */ 0};

constexpr TAlign kNone = TAlign::alNone;
constexpr TAlign kClient = TAlign::alClient;

constexpr TComponentDescription kComponents[] = {
    // name            parent          left top  width height caption                                   tab  align
    {"PageControl1",   "Form1",         0,   0,  339, 217, nullptr,                                    0, kClient,
     TPageControlArgs{"TabSheet1"}, nullptr},
    {"TabSheet1",      "PageControl1",  0,   0,    0,   0, "使い方",                                   0, kNone,
     TTabSheetArgs{}, nullptr},
    {"Memo1",          "TabSheet1",     0,   0,  331, 190, nullptr,                                    0, kClient,
     kMemo1, nullptr},
    {"TabSheet2",      "PageControl1",  0,   0,    0,   0, "施行",                                     1, kNone,
     TTabSheetArgs{}, nullptr},
    {"GroupBox1",      "TabSheet2",     8,   5,  313, 148, "スパム対策ルール",                         0, kNone,
     TGroupBoxArgs{}, nullptr},
    {"CheckBox_Rule1", "GroupBox1",    16,  24,  225,  17, ".jp以外で、二桁以上の数字を含む送信者",    0, kNone,
     kTwoStateUnticked, nullptr},
    {"CheckBox_Rule2", "GroupBox1",    16,  48,  233,  17, ".jp以外で、数字と\"@\"が連続する送信者",   1, kNone,
     kTwoStateUnticked, nullptr},
    {"Button1",        "GroupBox1",   224, 112,   75,  25, "追加",                                     2, kNone,
     TButtonArgs{}, "Button1Click"},
    {"RadioGroup1",    "GroupBox1",    16,  72,  185,  65, "削除方法",                                 3, kNone,
     kRadioGroup1, nullptr},
    {"Button2",        "TabSheet2",     8, 160,  313,  25, "作者ホームページ",                         1, kNone,
     TButtonArgs{}, "Button2Click"},
};

constexpr TFormDescription kForm1 = {
    "Form1",
    "Quellmark",
    199, 418,   // stored position; the desktop centring overrides it
    339, 217,   // client area
    TBorderStyle::bsSingle,
    biSystemMenu,
    TPosition::poDesktopCenter,
    {"ＭＳ Ｐゴシック", -12, 128 /* SHIFTJIS_CHARSET */, false, false, false},
    96,
    "FormCreate",
    "FormDestroy",
    kComponents,
    sizeof(kComponents) / sizeof(kComponents[0]),
};

}  // namespace

const TFormDescription& Form1Description() { return kForm1; }
