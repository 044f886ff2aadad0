// The main window: components from the form description, the shared rule key list's lifetime, and
// the commands behind its two buttons.
#include "ui/Unit1.h"

#include "base/Exception.h"
#include "base/ResourceStrings.h"
#include "base/SystemFamily.h"
#include "rulestore/RuleFunc.h"
#include "ui/Form1Description.h"
#include "ui/MailClientCheck.h"
#include "ui/ProcessList.h"
#include "ui/RuleStoreWriterLock.h"
#include "ui/ShellOpen.h"
#include "ui/dialog/MessageForm.h"

namespace {

const char kHomePage[] = "http://quellmark.example/";

// Asked before anything is written: the user is expected to have a way back.
const char kConfirmRewrite[] =
    "レジストリを書き換えます。\r\n"
    "実行前に戻せるように準備しておいてください。\r\n"
    "危険を熟知した上で実行しますか？";
const char kRewritten[] = "書き換えました。";

constexpr MessageDialogButtons kOkAlone = ButtonBit(mbOK);
constexpr UINT kJapaneseCodePage = 932;

}  // namespace

TForm1* Form1 = nullptr;

TForm1::TForm1() : TForm(FormArgsOf(Form1Description(), "TForm1", SystemPixelsPerInch())) {
  LoadFormComponents(*this, Form1Description(),
                     {
                         {"FormCreate", [this](TObject* Sender) { FormCreate(Sender); }},
                         {"FormDestroy", [this](TObject* Sender) { FormDestroy(Sender); }},
                         {"Button1Click", [this](TObject* Sender) { Button1Click(Sender); }},
                         {"Button2Click", [this](TObject* Sender) { Button2Click(Sender); }},
                     },
                     SystemPixelsPerInch());
  PageControl1 = FindControlAs<TPageControl>(*this, "PageControl1");
  TabSheet1 = FindControlAs<TTabSheet>(*this, "TabSheet1");
  TabSheet2 = FindControlAs<TTabSheet>(*this, "TabSheet2");
  Memo1 = FindControlAs<TMemo>(*this, "Memo1");
  GroupBox1 = FindControlAs<TGroupBox>(*this, "GroupBox1");
  CheckBox_Rule1 = FindControlAs<TCheckBox>(*this, "CheckBox_Rule1");
  CheckBox_Rule2 = FindControlAs<TCheckBox>(*this, "CheckBox_Rule2");
  Button1 = FindControlAs<TButton>(*this, "Button1");
  Button2 = FindControlAs<TButton>(*this, "Button2");
  RadioGroup1 = FindControlAs<TRadioGroup>(*this, "RadioGroup1");
  DoCreate();
}

TForm1::~TForm1() { DoDestroy(); }

void TForm1::FormCreate(TObject*) {
  RuleKeyNames = new TStringList;
  // Whatever page was in front last time, a new window starts with the instructions.
  PageControl1->SetActivePageIndex(0);
}

void TForm1::FormDestroy(TObject*) {
  if (RuleKeyNames != nullptr) {
    delete RuleKeyNames;
    RuleKeyNames = nullptr;
  }
}

void TForm1::Button1Click(TObject*) {
  if (!CheckBox_Rule1->Checked() && !CheckBox_Rule2->Checked()) return;
  // Every text the program writes is code page 932; on a system whose ANSI code page is another, the
  // registry would convert the rules' names with that one and the mail client show them garbled.
  if (GetACP() != kJapaneseCodePage) throw Exception(ResourceString(kSSystemNotJapanese));
  if (ShowMessageDialog(kConfirmRewrite, dkWarning, mbOKCancel, 0) != mrOk) return;
  // The mail client holds its rules in memory and would lose or ignore what we write meanwhile.
  // A process list that cannot be had does not stop the user.
  if (IsMailClientRunning(ListRunningProcesses(RunningSystemFamily(), IsMailClientFileName))) {
    ShowMessageDialog(ResourceString(kSMailClientRunning), dkWarning, kOkAlone, 0);
    return;
  }
  const bool delete_after_receive = RadioGroup1->ItemIndex() == 0;
  {
    RuleStoreWriterLock lock;
    const WriterLockAttempt attempt = TryRuleStoreWriterLock(lock);
    if (attempt == WriterLockAttempt::kUnavailable) throw Exception(ResourceString(kSWriterLockUnavailable));
    if (attempt == WriterLockAttempt::kHeldElsewhere) {
      ShowMessageDialog(ResourceString(kSAnotherCopyWriting), dkWarning, kOkAlone, 0);
      return;
    }
    // Failures are not caught here: the window's message handling reports them. A rule that fails
    // leaves nothing behind; one completed before it stays.
    if (CheckBox_Rule1->Checked()) AddTwoDigitRule(delete_after_receive);
    if (CheckBox_Rule2->Checked()) AddDigitAtRule(delete_after_receive);
  }
  // Also when both rules were there already: the store holds them either way.
  ShowMessageDialog(kRewritten, dkInformation, kOkAlone, 0);
}

void TForm1::Button2Click(TObject*) {
  // Whatever the shell answers, there is nothing the user could do about it here.
  OpenInShell(kHomePage);
}
