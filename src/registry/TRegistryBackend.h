// The registry primitives that everything above them is built on, with the answers of the
// Windows registry's ANSI calls (RegOpenKeyExA ... RegSetValueExA, and RegDeleteKeyA for undoing
// an installation that failed part-way and removing what an interrupted one left). Two back ends
// implement them:
// the real registry (Windows program, cross-compiled tests) and an in-memory store (portable build).
//
// One answer goes beyond the ANSI calls. On the NT family the registry keeps names and strings in
// UTF-16, and a Unicode program may write characters that the ANSI code page (932) has no code for.
// The ANSI calls hand such a name or text back with substitutes ("é" as "e" or "?"): a name that
// opens another key or none, a text that, written back, loses what it said. Both back ends answer
// kRegNoUnicodeTranslation instead, where EnumKey and QueryValue say so below. Windows 98 and Me
// keep an ANSI registry, which holds nothing else.
//
// Registry links (NT): a key created as a link holds only "SymbolicLinkValue" (REG_LINK), the path
// of another key, which every open of the link's path leads to, anywhere in the registry. Only
// OpenKeyItself opens the link key itself; RegDeleteKeyA of a link deletes the key it leads to.
#pragma once

#include <cstdint>
#include <string>

// A key handle as the ANSI calls pass it (an HKEY on Windows); 0 is "no key".
using RegKey = std::uintptr_t;
// A Win32 error code: 0 is success.
using RegStatus = long;

constexpr RegKey kHkeyCurrentUser = 0x80000001u;

constexpr RegStatus kRegSuccess = 0;
constexpr RegStatus kRegFileNotFound = 2;
constexpr RegStatus kRegAccessDenied = 5;
constexpr RegStatus kRegInvalidHandle = 6;
constexpr RegStatus kRegInvalidParameter = 87;
constexpr RegStatus kRegBadPathname = 161;
constexpr RegStatus kRegMoreData = 234;
constexpr RegStatus kRegNoMoreItems = 259;
constexpr RegStatus kRegNoAccess = 998;
constexpr RegStatus kRegKeyDeleted = 1018;
// ERROR_NO_UNICODE_TRANSLATION: a name or text holds characters that the ANSI code page has no code for.
constexpr RegStatus kRegNoUnicodeTranslation = 1113;

// RegCreateKeyExA's disposition: whether the last key of the path was made or already there.
constexpr std::uint32_t kRegCreatedNewKey = 1;
constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Registry type codes.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegLink = 6;
constexpr std::uint32_t kRegMultiSz = 7;

// Access rights.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyRead = 0x20019;  // STANDARD_RIGHTS_READ | QUERY | ENUMERATE | NOTIFY
constexpr std::uint32_t kKeyDelete = 0x10000;  // DELETE
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kKeyReadForExistenceTest = 0x20009;  // STANDARD_RIGHTS_READ | QUERY | ENUMERATE

class TRegistryBackend {
 public:
  virtual ~TRegistryBackend() = default;

  // RegOpenKeyExA: opens an existing key. An empty sub_key opens base itself (a predefined root
  // comes back as itself). On failure *result is 0.
  virtual RegStatus OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) = 0;
  // RegOpenKeyExA with REG_OPTION_OPEN_LINK (on the NT family; 98 and Me have no links): the same,
  // except that a link at the end of the path is opened as itself, not as the key it leads to.
  virtual RegStatus OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) = 0;
  // RegCreateKeyExA: opens sub_key, creating it and every missing key along the path (one
  // component at a time, so a failure part-way leaves the keys made so far). On failure *result is 0
  // and *disposition untouched; on success *disposition tells whether the last key was made
  // (kRegCreatedNewKey) or opened (kRegOpenedExistingKey). A link on the path that leads to a
  // missing key makes that key where its parent is, and answers 2 where its parent is not.
  virtual RegStatus CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                              std::uint32_t* disposition) = 0;
  // The same, for callers that do not care whether the key was new.
  RegStatus CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) {
    std::uint32_t disposition = 0;
    return CreateKey(base, sub_key, access, result, &disposition);
  }
  // RegCloseKey. Closing a predefined root succeeds and changes nothing.
  virtual RegStatus CloseKey(RegKey key) = 0;
  // RegQueryInfoKeyA, the two outputs that are used: the number of subkeys and the length of the
  // longest subkey name in UTF-16 characters, without its NUL.
  virtual RegStatus QueryInfoKey(RegKey key, std::uint32_t* subkey_count, std::uint32_t* max_subkey_name_length) = 0;
  // RegEnumKeyExA: the name of the subkey at index, NUL-terminated, in a buffer of *capacity bytes.
  // On success *capacity becomes the name's length without the NUL. 234 when the buffer is too small
  // (buffer and *capacity untouched), 259 past the last subkey. 1113 when the name holds characters
  // that the code page cannot hold: the buffer and *capacity are then filled as on success, with "?"
  // for each such character, to show the user which key it is; that name does not open the key.
  virtual RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) = 0;
  // RegQueryValueExA. With data null, reports type and size. With a buffer of *size bytes, copies
  // the data; 234 with the required size when it does not fit. 2 when there is no such value.
  // With a buffer, a string (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) holding characters that the code
  // page cannot hold answers 1113 with its type; what the buffer holds then is not its text.
  virtual RegStatus QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type, unsigned char* data,
                               std::uint32_t* size) = 0;
  // RegSetValueExA: stores size bytes with the type code, replacing any value of that name.
  virtual RegStatus SetValue(RegKey key, const std::string& value_name, std::uint32_t type, const unsigned char* data,
                             std::uint32_t size) = 0;

  // RegDeleteKeyA: deletes the key sub_key beneath base (not empty) with its values, which needs
  // DELETE access to it. A key that has subkeys gives 5 and stays, a missing one 2; handles still
  // open on a deleted key answer 1018. A link at the end of the path is followed: what goes is the
  // key it leads to.
  virtual RegStatus DeleteKey(RegKey base, const std::string& sub_key) = 0;

  // Whether RegQueryInfoKeyA's name length counts characters that may take two bytes each in the
  // names RegEnumKeyExA hands back: IsFarEastNtSystem of the running system.
  virtual bool IsFarEastNt() const = 0;
};

// The NT family counts name lengths in UTF-16 characters, which its ANSI calls convert with the
// system's ANSI code page; on a double-byte one (Japanese 932, Chinese 936 and 950, Korean 949) a
// character may take two bytes. Windows 98 and Me count bytes. The code page alone decides: the
// thread locale (the formats of numbers and dates, which a user may set to English on a Japanese
// system) plays no part in the conversion.
constexpr bool IsFarEastNtSystem(bool nt_family, std::uint32_t ansi_code_page) {
  return nt_family &&
         (ansi_code_page == 932 || ansi_code_page == 936 || ansi_code_page == 949 || ansi_code_page == 950);
}

// The back end that TRegistry objects use unless they are given one. The Windows program installs
// the real registry at start; the portable build has none until a test or benchmark installs one.
TRegistryBackend& ActiveRegistryBackend();
void SetActiveRegistryBackend(TRegistryBackend* backend);
