// The vocabulary of a form description: the form's own properties and one row per component, with
// the values the form designer would store (pixels at kDesignPixelsPerInch, code page 932 texts).
// Portable on purpose: the descriptions are plain data that tests read without any window.
#pragma once

#include <cstddef>

enum class TComponentKind { PageControl, TabSheet, Memo, GroupBox, CheckBox, RadioGroup, Button };

enum class TAlign { alNone, alClient };
enum class TBorderStyle { bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter };
enum class TScrollStyle { ssNone, ssVertical, ssHorizontal, ssBoth };

// Title-bar icons, a set of bits.
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// The system colours the descriptions name, by their system colour index.
enum class TSystemColor : int { clWindowText = 8, clBtnFace = 15 };

// A list of texts given in place (memo lines, radio items).
struct TTextList {
  const char* const* items = nullptr;
  std::size_t count = 0;
};
template <std::size_t N>
constexpr TTextList TextList(const char* const (&items)[N]) {
  return {items, N};
}

struct TFontDescription {
  const char* name;  // face name, code page 932
  int height;        // negative: character height in design pixels
  int charset;       // SHIFTJIS_CHARSET is 128
  TSystemColor color;
  bool bold;
  bool italic;
  bool underline;
};

// The further properties of a component; each setter returns a changed copy, so a row reads like
// the designer's property list: TProperties().Align(TAlign::alClient).ReadOnly().
struct TProperties {
  TAlign align = TAlign::alNone;
  bool read_only = false;
  bool word_wrap = true;
  TScrollStyle scroll_bars = TScrollStyle::ssNone;
  TTextList lines;            // memo lines or radio group items
  int item_index = -1;        // radio group
  bool checked = false;       // check box
  bool allow_grayed = false;  // check box: a third, grey state
  const char* active_page = nullptr;  // page control: the name of the page in front
  bool is_default = false;    // button pressed by Enter
  bool is_cancel = false;     // button pressed by Escape
  int modal_result = 0;
  const char* on_click = nullptr;  // the name of the form's handler

  constexpr TProperties Align(TAlign value) const { TProperties p = *this; p.align = value; return p; }
  constexpr TProperties ReadOnly() const { TProperties p = *this; p.read_only = true; return p; }
  constexpr TProperties WordWrap(bool value) const { TProperties p = *this; p.word_wrap = value; return p; }
  constexpr TProperties ScrollBars(TScrollStyle value) const { TProperties p = *this; p.scroll_bars = value; return p; }
  constexpr TProperties Lines(TTextList value) const { TProperties p = *this; p.lines = value; return p; }
  constexpr TProperties Items(TTextList value) const { TProperties p = *this; p.lines = value; return p; }
  constexpr TProperties ItemIndex(int value) const { TProperties p = *this; p.item_index = value; return p; }
  constexpr TProperties Checked(bool value) const { TProperties p = *this; p.checked = value; return p; }
  constexpr TProperties AllowGrayed(bool value) const { TProperties p = *this; p.allow_grayed = value; return p; }
  constexpr TProperties ActivePage(const char* name) const { TProperties p = *this; p.active_page = name; return p; }
  constexpr TProperties Default(bool value) const { TProperties p = *this; p.is_default = value; return p; }
  constexpr TProperties Cancel(bool value) const { TProperties p = *this; p.is_cancel = value; return p; }
  constexpr TProperties ModalResult(int value) const { TProperties p = *this; p.modal_result = value; return p; }
  constexpr TProperties OnClick(const char* handler) const { TProperties p = *this; p.on_click = handler; return p; }
};

struct TComponentDescription {
  TComponentKind kind;
  const char* name;
  const char* parent;  // a component's name, or the form's
  int left;
  int top;
  int width;
  int height;
  const char* caption;  // nullptr: none
  int tab_order;        // among the parent's children; for a page, its page index
  TProperties properties;
};

struct TFormDescription {
  const char* name;
  const char* caption;
  int left;  // the stored position, used only when the form is not centred
  int top;
  int client_width;
  int client_height;
  TBorderStyle border_style;
  unsigned border_icons;
  TPosition position;
  TSystemColor color;
  TFontDescription font;
  int pixels_per_inch;  // the density the values were designed at
  int text_height;      // the font's text height at that density
  const char* on_create;
  const char* on_destroy;
  const TComponentDescription* components;  // parents before their children
  std::size_t component_count;
};
