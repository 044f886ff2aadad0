// The main window: components from the form description, the shared rule key list's lifetime.
#include "ui/Unit1.h"

#include "rulestore/RuleFunc.h"
#include "ui/Form1Description.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
  LoadFormDescription(*this, Form1Description(),
                      {
                          {"FormCreate", [this](TObject* Sender) { FormCreate(Sender); }},
                          {"FormDestroy", [this](TObject* Sender) { FormDestroy(Sender); }},
                          {"Button1Click", [this](TObject* Sender) { Button1Click(Sender); }},
                          {"Button2Click", [this](TObject* Sender) { Button2Click(Sender); }},
                      },
                      SystemPixelsPerInch());
  PageControl1 = FindComponentAs<TPageControl>(*this, "PageControl1");
  TabSheet1 = FindComponentAs<TTabSheet>(*this, "TabSheet1");
  TabSheet2 = FindComponentAs<TTabSheet>(*this, "TabSheet2");
  Memo1 = FindComponentAs<TMemo>(*this, "Memo1");
  GroupBox1 = FindComponentAs<TGroupBox>(*this, "GroupBox1");
  CheckBox_Rule1 = FindComponentAs<TCheckBox>(*this, "CheckBox_Rule1");
  CheckBox_Rule2 = FindComponentAs<TCheckBox>(*this, "CheckBox_Rule2");
  Button1 = FindComponentAs<TButton>(*this, "Button1");
  Button2 = FindComponentAs<TButton>(*this, "Button2");
  RadioGroup1 = FindComponentAs<TRadioGroup>(*this, "RadioGroup1");
  DoCreate();
}

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
  // The add command ("追加") comes with the rule commands.
}

void TForm1::Button2Click(TObject*) {
  // Opening the author's home page comes with the rule commands.
}
