// The fault-injecting wrapper, and the error paths of TRegistry that only a failing back end reaches.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/FaultInjectingRegistry.h"
#include "registry/TMemoryRegistry.h"
#include "registry/RegistryHarness.h"
#include "registry/TRegistry.h"

namespace {

struct CallSummary {
  RegCall kind;
  std::string key_path;
  std::string value_name;
  bool operator==(const CallSummary& other) const {
    return kind == other.kind && key_path == other.key_path && value_name == other.value_name;
  }
};

void PrintTo(const CallSummary& call, std::ostream* out) {
  *out << RegCallName(call.kind) << "(" << call.key_path << ", " << call.value_name << ")";
}

std::vector<CallSummary> Summaries(const FaultInjectingRegistry& wrapper) {
  std::vector<CallSummary> result;
  for (const RecordedCall& call : wrapper.Calls()) result.push_back({call.kind, call.key_path, call.value_name});
  return result;
}


TEST(FaultInjectingRegistry, CountsAndRecordsEveryCallWithItsKeyPath) {
  TMemoryRegistry memory;
  FaultInjectingRegistry wrapper(memory);
  {
    TRegistry registry(wrapper);
    ASSERT_TRUE(registry.OpenPath("Rules\\Mail", true));
    ASSERT_TRUE(registry.OpenPath("000", true));
    registry.WriteText("Name", "rule");
    EXPECT_EQ(registry.ReadText("Missing"), "");
    EXPECT_TRUE(registry.SubkeyExists("\\Rules"));
  }
  const std::vector<CallSummary> expected = {
      {RegCall::kCreateKey, "Rules\\Mail", ""},
      {RegCall::kCreateKey, "Rules\\Mail\\000", ""},
      {RegCall::kCloseKey, "Rules\\Mail", ""},
      {RegCall::kSetValue, "Rules\\Mail\\000", "Name"},
      {RegCall::kQueryValue, "Rules\\Mail\\000", "Missing"},
      {RegCall::kOpenKey, "Rules", ""},
      {RegCall::kCloseKey, "Rules", ""},
      {RegCall::kCloseKey, "Rules\\Mail\\000", ""},
  };
  EXPECT_EQ(Summaries(wrapper), expected);
  EXPECT_EQ(wrapper.Calls()[3].type, kRegSz);
  EXPECT_EQ(wrapper.Calls()[4].status, kRegFileNotFound);
  EXPECT_EQ(wrapper.Count(RegCall::kCreateKey), 2u);
  EXPECT_EQ(wrapper.Count(RegCall::kCloseKey), 3u);
  EXPECT_EQ(wrapper.Count(RegCall::kEnumKey), 0u);
  EXPECT_EQ(wrapper.TotalCount(), expected.size());

  wrapper.ResetCounts();
  EXPECT_EQ(wrapper.TotalCount(), 0u);
  EXPECT_TRUE(wrapper.Calls().empty());
  // With the record off the counts still run.
  wrapper.SetRecording(false);
  TStringList list;
  TRegistry registry(wrapper);
  ASSERT_TRUE(registry.OpenPath("Rules\\Mail", false));
  registry.ListSubkeys(list);
  EXPECT_EQ(list.Items(), std::vector<std::string>{"000"});
  EXPECT_EQ(wrapper.Count(RegCall::kEnumKey), 1u);
  EXPECT_EQ(wrapper.Count(RegCall::kQueryInfoKey), 1u);
  EXPECT_TRUE(wrapper.Calls().empty());
}

TEST(FaultInjectingRegistry, TheNthCallOfAKindFailsWithoutReachingTheStore) {
  TMemoryRegistry memory;
  FaultInjectingRegistry wrapper(memory);
  wrapper.FailNth(RegCall::kSetValue, 2, kRegAccessDenied);
  TRegistry registry(wrapper);
  ASSERT_TRUE(registry.OpenPath("Store", true));
  registry.WriteText("First", "1");
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteDword("Name", 2); }),
            "'Name' \x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD");
  registry.WriteText("Third", "3");
  EXPECT_EQ(memory.Dump("Store"),
            "[]\n"
            "\"First\" = 1: 31 00\n"
            "\"Third\" = 1: 33 00\n");
  EXPECT_EQ(wrapper.Count(RegCall::kSetValue), 3u);
  EXPECT_EQ(wrapper.Calls()[2].status, kRegAccessDenied);

  // A failed open hands back no handle, and the store never saw it.
  wrapper.FailNth(RegCall::kOpenKey, 0, kRegFileNotFound);
  RegKey key = 1;
  EXPECT_EQ(wrapper.OpenKey(kHkeyCurrentUser, "Store", kKeyAllAccess, &key), kRegFileNotFound);
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(registry.OpenPath("\\Store", false));
  EXPECT_EQ(memory.OpenHandleCount(), 1u);  // TRegistry's own
}

TEST(FaultInjectingRegistry, ValueFaultsHitEveryCallOnThatName) {
  TMemoryRegistry memory;
  ASSERT_TRUE(PutValue(memory, "Store", "Order", RawValue{kRegSz, std::string("000\0", 4)}));
  ASSERT_TRUE(PutValue(memory, "Store", "Name", RawValue{kRegSz, std::string("n\0", 2)}));
  FaultInjectingRegistry wrapper(memory);
  wrapper.FailValue(RegCall::kQueryValue, "Order", kRegFileNotFound);
  TRegistry registry(wrapper);
  ASSERT_TRUE(registry.OpenPath("Store", false));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(registry.ReadText("Order"), "");
  EXPECT_EQ(registry.ReadText("Name"), "n");
  registry.WriteText("Order", "001");  // only queries were armed
  EXPECT_EQ(GetValue(memory, "Store", "Order"), (RawValue{kRegSz, std::string("001\0", 4)}));
}

TEST(TRegistryFailures, OnlyNotFoundReadsAsMissingAnyOtherFailureRaisesTheGettingError) {
  TMemoryRegistry memory;
  ASSERT_TRUE(PutValue(memory, "Store", "Order", RawValue{kRegSz, std::string("000\0", 4)}));
  FaultInjectingRegistry wrapper(memory);
  wrapper.FailNth(RegCall::kQueryValue, 1, kRegAccessDenied);  // the size query
  wrapper.FailNth(RegCall::kQueryValue, 3, kRegMoreData);      // the read after a good size query
  TRegistry registry(wrapper);
  ASSERT_TRUE(registry.OpenPath("Store", false));
  const std::string getting_failed =
      "'Order' \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";  // の取得に失敗しました
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(RegistryErrorOf([&] { registry.ReadText("Order"); }), getting_failed);
  }
  EXPECT_EQ(registry.CurrentPath(), "Store");
  EXPECT_EQ(registry.ReadText("Order"), "000");
  EXPECT_EQ(registry.ReadText("Missing"), "");
}

TEST(TRegistryFailures, AListingThatFailsAnywhereRaisesAndKeepsNoPartialList) {
  TMemoryRegistry memory;
  for (const char* name : {"000", "001", "002"}) ASSERT_TRUE(MakeKey(memory, std::string("Store\\") + name));
  FaultInjectingRegistry wrapper(memory);
  TRegistry registry(wrapper);
  ASSERT_TRUE(registry.OpenPath("Store", false));
  wrapper.FailNth(RegCall::kQueryInfoKey, 1, kRegAccessDenied);
  wrapper.FailNth(RegCall::kEnumKey, 2, kRegNoMoreItems);  // a key removed since the count
  wrapper.FailNth(RegCall::kEnumKey, 5, kRegAccessDenied);  // the last name refused
  for (int attempt = 0; attempt < 3; ++attempt) {
    TStringList list;
    list.Add("stale");
    // 'Store' のサブキーの一覧を取得できません
    EXPECT_EQ(RegistryErrorOf([&] { registry.ListSubkeys(list); }),
              "'Store' \x82\xCC\x83\x54\x83\x75\x83\x4C\x81\x5B\x82\xCC\x88\xEA\x97\x97\x82\xF0\x8E\xE6\x93\xBE"
              "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1");
    EXPECT_EQ(list.Count(), 0);
  }
  TStringList list;
  registry.ListSubkeys(list);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"000", "001", "002"}));
}

// Every call of a small session fails in turn: whatever fails, TRegistry raises at most its own
// exception and gives back every handle.
TEST(TRegistryFailures, EveryCallFailingInTurnLeaksNoHandle) {
  auto session = [](TRegistryBackend& backend) {
    TRegistry registry(backend);
    if (!registry.OpenPath("Rules\\Mail", true)) return;
    TStringList list;
    registry.ListSubkeys(list);
    registry.SubkeyExists("000");
    if (!registry.OpenPath("000", true)) return;
    registry.WriteText("Name", "rule");
    registry.ReadText("Name");
  };
  std::uint64_t calls = 0;
  {
    TMemoryRegistry memory;
    ASSERT_TRUE(MakeKey(memory, "Rules\\Mail\\Old"));
    FaultInjectingRegistry wrapper(memory);
    session(wrapper);
    calls = wrapper.TotalCount();
  }
  ASSERT_GT(calls, 8u);
  for (std::uint64_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE(nth);
    TMemoryRegistry memory;
    ASSERT_TRUE(MakeKey(memory, "Rules\\Mail\\Old"));
    FaultInjectingRegistry wrapper(memory);
    wrapper.FailNthCall(nth, kRegAccessDenied);
    try {
      session(wrapper);
    } catch (const ERegistryException&) {
    }
    EXPECT_GE(wrapper.TotalCount(), nth);
    EXPECT_EQ(memory.OpenHandleCount(), 0u);
  }
}

}  // namespace
