// Unit1: the main window TForm1 (Form1), built from its form description, and its handlers.
#pragma once

#include "ui/widgets/Forms.h"

class TForm1 : public TForm {
 public:
  // Builds the window of class "TForm1" from Form1Description(), then runs FormCreate.
  TForm1();
  // Runs FormDestroy, then the window and its components go.
  ~TForm1() override;

  // The components, owned by the form, made from Form1Description().
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TMemo* Memo1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TCheckBox* CheckBox_Rule1 = nullptr;
  TCheckBox* CheckBox_Rule2 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;

  // Creates the shared RuleKeyNames and brings the page "使い方" to the front.
  void FormCreate(TObject* Sender);
  // Frees RuleKeyNames.
  void FormDestroy(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
};

extern TForm1* Form1;
