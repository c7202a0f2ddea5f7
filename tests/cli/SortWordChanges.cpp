#include "tests/cli/SortWordChanges.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "msrc/File/IFFFormat.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

using Key = std::pair<std::string, int16_t>;

constexpr size_t kMapOffsetField = 60;
constexpr size_t kBlockHeaderSize = 76;
constexpr size_t kFlagsLowByte = 11;
constexpr size_t kSortWords[] = {78, 80, 188, 190};

std::map<Key, IFF2Reader::Block> ResourcesOf(const std::string& bytes) {
  std::map<Key, IFF2Reader::Block> resources;
  for (const IFF2Reader::Block& block : IFF2Reader(bytes).Resources()) {
    if (block.type != "rsmp") resources[{block.type, block.id}] = block;
  }
  return resources;
}

}  // namespace

void ExpectOnlySortWordsChanged(const std::string& before, const std::string& after,
                                const std::map<int16_t, StoredSorts>& changed) {
  const auto old = ResourcesOf(before);
  const auto now = ResourcesOf(after);
  ASSERT_EQ(old.size(), now.size());
  std::set<size_t> allowed;
  for (size_t i = 0; i < 4; ++i) allowed.insert(kMapOffsetField + i);
  for (const auto& [key, block] : old) {
    ASSERT_EQ(now.count(key), 1u) << key.first << key.second;
    const IFF2Reader::Block& saved = now.at(key);
    EXPECT_EQ(saved.name, block.name);
    EXPECT_EQ(saved.offset, block.offset) << key.first << key.second;
    const auto change = key.first == "OBJD" ? changed.find(key.second) : changed.end();
    if (change == changed.end()) {
      EXPECT_EQ(saved.payload, block.payload) << key.first << key.second;
      EXPECT_EQ(saved.flags, block.flags) << key.first << key.second;
      continue;
    }
    const StoredSorts& sorts = change->second;
    EXPECT_EQ(saved.payload, WithSorts(block.payload, sorts.room, sorts.function, sorts.subsort, sorts.downtown))
        << key.second;
    EXPECT_EQ(saved.flags, block.flags | kSwizzled) << key.second;
    const size_t at = static_cast<size_t>(block.offset);
    allowed.insert(at + kFlagsLowByte);
    for (size_t word : kSortWords) {
      allowed.insert(at + kBlockHeaderSize + word);
      allowed.insert(at + kBlockHeaderSize + word + 1);
    }
  }
  const uint32_t oldMap = IFF2Reader(before).MapOffset();
  ASSERT_GE(after.size(), oldMap);
  for (size_t i = 0; i < oldMap; ++i) {
    if (after[i] != before[i]) {
      EXPECT_EQ(allowed.count(i), 1u) << "byte " << i;
    }
  }
}
