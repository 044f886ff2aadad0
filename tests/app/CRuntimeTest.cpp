// The program's own C runtime functions held against the library's, on the edges where a slip shows:
// overlap both ways, zero lengths, bytes above 127, NULs, padding; under Wine also the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "app/CRuntimeFunctions.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CRuntime, MemoryFunctionsAnswerAsTheLibrarys) {
  const std::string text = std::string("ab\0\x81\xFF" "cab", 8);
  // memmove: every overlap, either way, and none.
  for (std::size_t from = 0; from < 8; ++from) {
    for (std::size_t to = 0; to < 8; ++to) {
      for (std::size_t count = 0; count + std::max(from, to) <= 8; ++count) {
        std::string ours = text, theirs = text;
        EXPECT_EQ(&ours[to], MoveBytes(&ours[to], &ours[from], count));
        std::memmove(&theirs[to], &theirs[from], count);
        EXPECT_EQ(theirs, ours) << from << " -> " << to << " x " << count;
      }
    }
  }
  const std::string other = std::string("ab\0\x81\x01" "cab", 8);
  for (std::size_t count = 0; count <= 8; ++count) {
    EXPECT_EQ(Sign(std::memcmp(text.data(), other.data(), count)), CompareBytes(text.data(), other.data(), count));
    EXPECT_EQ(Sign(std::memcmp(other.data(), text.data(), count)), CompareBytes(other.data(), text.data(), count));
    for (const int value : {0x61, 0x62, 0, 0x81, 0xFF, -1, 0x181, 0x7A}) {  // a, b, ..., z
      EXPECT_EQ(std::memchr(text.data(), value, count), FindByte(text.data(), value, count)) << value << " in " << count;
    }
  }
}

TEST(CRuntime, StringFunctionsAnswerAsTheLibrarys) {
  const char* const texts[] = {"", "a", "ab", "abc", "ab\x81", "\xFF", "b"};
  for (const char* left : texts) {
    EXPECT_EQ(std::strlen(left), StringLength(left));
    for (const char* right : texts) EXPECT_EQ(Sign(std::strcmp(left, right)), CompareStrings(left, right)) << left << right;
    // strncpy: cut without a NUL, or padded with NULs to the count.
    for (std::size_t count = 0; count <= 5; ++count) {
      char ours[6] = "xxxxx", theirs[6] = "xxxxx";
      EXPECT_EQ(ours, CopyStringPadded(ours, left, count));
      std::strncpy(theirs, left, count);
      EXPECT_EQ(0, std::memcmp(theirs, ours, sizeof ours)) << left << " x " << count;
    }
  }
}

#ifdef _WIN32
TEST(CRuntime, TheHeapKeepsContentsAndRefusesWhatCannotBeSized) {
  auto* block = static_cast<char*>(AllocateBlock(0));
  ASSERT_NE(nullptr, block);  // a block of its own, as malloc(0) gives
  block = static_cast<char*>(ResizeBlock(block, 4));
  ASSERT_NE(nullptr, block);
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(ResizeBlock(block, 1 << 20));
  ASSERT_NE(nullptr, block);
  EXPECT_STREQ("abc", block);
  EXPECT_EQ(nullptr, ResizeBlock(block, 0));  // freed
  const auto* zeroed = static_cast<const unsigned char*>(AllocateZeroedBlock(1000, 3));
  ASSERT_NE(nullptr, zeroed);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(0, zeroed[i]);
  FreeBlock(const_cast<unsigned char*>(zeroed));
  FreeBlock(nullptr);
  EXPECT_EQ(nullptr, AllocateZeroedBlock(SIZE_MAX / 2, 3));  // the product overflows
  void* small = AllocateBlock(1);
  EXPECT_EQ(nullptr, ResizeBlock(small, SIZE_MAX - 4096));  // refused, and the block stays the caller's
  FreeBlock(small);
}
#endif

}  // namespace
