// The program's own C runtime functions held against the library's where a slip shows: overlap
// both ways, zero lengths, bytes above 127, NULs, padding; under Wine also the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "app/CRuntimeFunctions.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CRuntime, MemoryAndStringFunctionsAnswerAsTheLibrarys) {
  const std::string text("ab\0\x81\xFF" "cab", 8), other("ab\0\x81\x01" "cab", 8);
  for (std::size_t from = 0; from < 8; ++from) {
    for (std::size_t to = 0; to < 8; ++to) {
      for (std::size_t count = 0; count + std::max(from, to) <= 8; ++count) {
        std::string ours = text, theirs = text;
        EXPECT_EQ(&ours[to], MoveBytes(&ours[to], &ours[from], count));
        std::memmove(&theirs[to], &theirs[from], count);
        EXPECT_EQ(theirs, ours) << from << " -> " << to << " x " << count;
      }
      EXPECT_EQ(Sign(std::memcmp(&text[from], &other[to], 8 - std::max(from, to))),
                CompareBytes(&text[from], &other[to], 8 - std::max(from, to)));
    }
    for (const int value : {0x61, 0, 0x81, 0xFF, -1, 0x181, 0x7A}) {  // a, NUL, ..., z
      EXPECT_EQ(std::memchr(text.data(), value, from), FindByte(text.data(), value, from)) << value << " " << from;
    }
  }
  const char* const texts[] = {"", "a", "ab", "abc", "ab\x81", "\xFF", "b"};
  for (const char* left : texts) {
    EXPECT_EQ(std::strlen(left), StringLength(left));
    for (const char* right : texts) EXPECT_EQ(Sign(std::strcmp(left, right)), CompareStrings(left, right));
    for (std::size_t count = 0; count <= 5; ++count) {  // cut without a NUL, or padded with NULs
      char ours[6] = "xxxxx", theirs[6] = "xxxxx";
      EXPECT_EQ(ours, CopyStringPadded(ours, left, count));
      std::strncpy(theirs, left, count);
      EXPECT_EQ(0, std::memcmp(theirs, ours, sizeof ours)) << left << " x " << count;
    }
  }
}

#ifdef _WIN32
TEST(CRuntime, TheHeapKeepsContentsAndRefusesWhatCannotBeSized) {
  auto* block = static_cast<char*>(ResizeBlock(AllocateBlock(0), 4));  // malloc(0) gives a block
  ASSERT_NE(nullptr, block);
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(ResizeBlock(block, 1 << 20));
  ASSERT_NE(nullptr, block);
  EXPECT_STREQ("abc", block);
  EXPECT_EQ(nullptr, ResizeBlock(block, 0));  // freed
  auto* zeroed = static_cast<unsigned char*>(AllocateZeroedBlock(1000, 3));
  ASSERT_NE(nullptr, zeroed);
  EXPECT_EQ(std::string(3000, '\0'), std::string(zeroed, zeroed + 3000));
  FreeBlock(zeroed);
  EXPECT_EQ(nullptr, AllocateZeroedBlock(SIZE_MAX / 2, 3));  // the product overflows
  void* small = AllocateBlock(1);
  EXPECT_EQ(nullptr, ResizeBlock(small, SIZE_MAX - 4096));  // refused; the block stays the caller's
  FreeBlock(small);
}
#endif

}  // namespace
