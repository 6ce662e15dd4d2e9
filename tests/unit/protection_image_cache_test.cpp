#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "protection/image_cache.h"

namespace {

std::vector<void*> g_released;
void record_release(void* handle) { g_released.push_back(handle); }

void* handle_of(int n) { return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + n)); }

ImageCacheEntry entry(uint32_t pid, uint32_t parent, const wchar_t* name, int tool, void* handle) {
  ImageCacheEntry e = {};
  e.process_id = pid;
  e.parent_id = parent;
  e.name_hash = image_name_hash(name);
  e.tool_index = tool;
  e.created = handle ? 1234 : 0;
  e.handle = handle;
  return e;
}

class ImageCacheTest : public ::testing::Test {
protected:
  void SetUp() override {
    cache_.reset(new ImageCache);
    image_cache_reset(cache_.get());
    g_released.clear();
  }
  const ImageCacheEntry* carry(uint32_t pid, uint32_t parent, const wchar_t* name) {
    return image_cache_carry(cache_.get(), pid, parent, image_name_hash(name));
  }
  std::unique_ptr<ImageCache> cache_;
};

TEST_F(ImageCacheTest, AProcessSeenInOneSweepIsKnownInTheNextAndForgottenOnceItIsGone) {
  ASSERT_EQ(carry(1000, 8, L"invoice.exe"), nullptr);
  ASSERT_TRUE(image_cache_add(cache_.get(), entry(1000, 8, L"invoice.exe", 0, handle_of(1))));
  ASSERT_TRUE(image_cache_add(cache_.get(), entry(1004, 8, L"notes.exe", -1, handle_of(2))));
  EXPECT_EQ(image_cache_finish(cache_.get(), record_release), 0u);

  for (int sweep = 0; sweep < 3; sweep++) {
    const ImageCacheEntry* known = carry(1000, 8, L"invoice.exe");
    ASSERT_NE(known, nullptr) << sweep;
    EXPECT_EQ(known->tool_index, 0);
    EXPECT_EQ(known->handle, handle_of(1));
    ASSERT_NE(carry(1004, 8, L"NOTES.EXE"), nullptr) << "names compare as Windows does";
    EXPECT_EQ(image_cache_finish(cache_.get(), record_release), 0u);
  }
  EXPECT_TRUE(g_released.empty()) << "nothing is closed while its process runs";

  // notes.exe has ended: its handle is closed once, and it is read again if its id comes back.
  ASSERT_NE(carry(1000, 8, L"invoice.exe"), nullptr);
  EXPECT_EQ(image_cache_finish(cache_.get(), record_release), 1u);
  ASSERT_EQ(g_released.size(), 1u);
  EXPECT_EQ(g_released[0], handle_of(2));
  EXPECT_EQ(carry(1004, 8, L"notes.exe"), nullptr);
}

TEST_F(ImageCacheTest, AnUnopenedProcessIsReadAgainWhenItsParentOrNameChanges) {
  ASSERT_TRUE(image_cache_add(cache_.get(), entry(2000, 8, L"svchost.exe", -1, nullptr)));
  image_cache_finish(cache_.get(), record_release);
  ASSERT_NE(carry(2000, 8, L"svchost.exe"), nullptr);
  image_cache_finish(cache_.get(), record_release);
  EXPECT_EQ(carry(2000, 9, L"svchost.exe"), nullptr) << "another parent: the id was reused";
  image_cache_finish(cache_.get(), record_release);
  ASSERT_TRUE(image_cache_add(cache_.get(), entry(2000, 8, L"svchost.exe", -1, nullptr)));
  image_cache_finish(cache_.get(), record_release);
  EXPECT_EQ(carry(2000, 8, L"invoice.exe"), nullptr) << "another name";
  EXPECT_TRUE(g_released.empty());
}

TEST_F(ImageCacheTest, ManyProcessesWithCollidingIdsAllStayFindableUntilTheTableIsFull) {
  size_t added = 0;
  for (uint32_t i = 0; i < IMAGE_CACHE_CAPACITY; i++) {
    if (image_cache_add(cache_.get(), entry(8 + i * 4, 4, L"helper.exe", -1, handle_of(i))))
      added++;
  }
  EXPECT_EQ(added, static_cast<size_t>(IMAGE_CACHE_MOST));
  image_cache_finish(cache_.get(), record_release);
  for (uint32_t i = 0; i < added; i++)
    ASSERT_NE(carry(8 + i * 4, 4, L"helper.exe"), nullptr) << i;
  EXPECT_EQ(image_cache_finish(cache_.get(), record_release), 0u);
  image_cache_clear(cache_.get(), record_release);
  EXPECT_EQ(g_released.size(), added) << "clearing closes every remembered handle once";
  EXPECT_EQ(carry(8, 4, L"helper.exe"), nullptr);
}

TEST_F(ImageCacheTest, AnIdListedTwiceInOneSweepKeepsTheFirstAnswer) {
  EXPECT_TRUE(image_cache_add(cache_.get(), entry(3000, 8, L"a.exe", 3, handle_of(1))));
  EXPECT_FALSE(image_cache_add(cache_.get(), entry(3000, 8, L"a.exe", -1, handle_of(2))));
  image_cache_finish(cache_.get(), record_release);
  const ImageCacheEntry* known = carry(3000, 8, L"a.exe");
  ASSERT_NE(known, nullptr);
  EXPECT_EQ(known->tool_index, 3);
  EXPECT_EQ(carry(3000, 8, L"a.exe"), nullptr) << "already carried in this sweep";
}

} // namespace
