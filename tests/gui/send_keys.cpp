// Types keys into the foreground window of its Wine prefix through SendInput, for the GUI tests.
// Under Wine without a window manager the X input focus can trail behind the activation of a new
// window for a while, and keys sent through X are then lost or land with a modifier left held; input
// made inside Wine goes where Windows would send it, to the focus of the foreground window.
//
//   send_keys.exe [--to CAPTION-HEX] KEY...
//
// KEY is a key name (Return, Escape, Tab, space, Right, Down, F4, a letter or digit) with optional
// "ctrl+", "shift+" and "alt+" in front. With --to, waits (up to 20 s) until the foreground window's
// caption is the code page 932 text given in hexadecimal, and types nothing when it never is.
// Exit code 0, 1 when the window did not come, 2 for a bad argument.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct KeyName {
  const char* name;
  WORD key;
};

const KeyName kKeys[] = {
    {"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},   {"space", VK_SPACE},
    {"Right", VK_RIGHT},   {"Left", VK_LEFT},     {"Down", VK_DOWN}, {"Up", VK_UP},
    {"F4", VK_F4},         {"BackSpace", VK_BACK},
};

bool ParseKey(std::string key_text, std::vector<WORD>& modifiers, WORD& key) {
  const std::pair<const char*, WORD> prefixes[] = {{"ctrl+", VK_CONTROL}, {"shift+", VK_SHIFT}, {"alt+", VK_MENU}};
  for (bool found = true; found;) {
    found = false;
    for (const auto& prefix : prefixes) {
      if (key_text.rfind(prefix.first, 0) == 0) {
        modifiers.push_back(prefix.second);
        key_text.erase(0, std::strlen(prefix.first));
        found = true;
      }
    }
  }
  for (const KeyName& name : kKeys) {
    if (key_text == name.name) {
      key = name.key;
      return true;
    }
  }
  if (key_text.size() == 1 && std::isalnum(static_cast<unsigned char>(key_text[0]))) {
    key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(key_text[0])));
    return true;
  }
  return false;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

std::string FromHex(const char* hex) {
  std::string bytes;
  for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
    const char pair[3] = {hex[i], hex[i + 1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  return bytes;
}

std::string ForegroundCaption() {
  HWND window = GetForegroundWindow();
  char text[512] = {};
  DWORD_PTR length = 0;
  if (window == nullptr ||
      !SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                           &length)) {
    return {};
  }
  return std::string(text, length < sizeof text ? length : 0);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (argc >= 3 && std::strcmp(argv[1], "--to") == 0) {
    const std::string caption = FromHex(argv[2]);
    first = 3;
    bool there = false;
    for (int waited = 0; waited < 20000 && !there; waited += 20) {
      there = ForegroundCaption() == caption;
      if (!there) Sleep(20);
    }
    if (!there) {
      std::fprintf(stderr, "send_keys: the foreground window is not %s\n", argv[2]);
      return 1;
    }
  }
  for (int i = first; i < argc; ++i) {
    std::vector<WORD> modifiers;
    WORD key = 0;
    if (!ParseKey(argv[i], modifiers, key)) {
      std::fprintf(stderr, "send_keys: unknown key %s\n", argv[i]);
      return 2;
    }
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(50);
  }
  return 0;
}
