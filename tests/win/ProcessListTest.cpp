// The process list under Wine, which is of the NT family whatever version it reports: with owners
// read from the tokens, and taken for 95, 98 and Me, through Toolhelp with no owners at all.
#include <gtest/gtest.h>

#include "base/Cp932Text.h"
#include "win/ProcessList.h"

namespace {

bool IsThisProgram(const std::string& exe_name) { return FoldAsciiCase(FileNamePart(exe_name)) == "win_lock_tests.exe"; }

TEST(ProcessList, ListsOnlyTheProcessesAskedForWithTheOwnersTheirSystemHas) {
  const struct {
    SystemFamily family;
    ProcessOwner owner;
  } rows[] = {{SystemFamily::kNt5AndLater, ProcessOwner::kCurrentUser},
              {SystemFamily::kNt4, ProcessOwner::kCurrentUser},
              {SystemFamily::kWindows9x, ProcessOwner::kNoOwners}};
  for (const auto& row : rows) {
    const std::optional<ProcessSnapshot> listed = ListRunningProcesses(row.family, IsThisProgram);
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(1u, listed->size()) << static_cast<int>(row.family);
    EXPECT_EQ(row.owner, listed->front().owner) << static_cast<int>(row.family);
  }
}

}  // namespace
