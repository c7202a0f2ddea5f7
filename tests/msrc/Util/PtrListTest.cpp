#include "msrc/Util/PtrList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The objects and positions a walk visits.
struct Walk {
  std::vector<int*> objects;
  std::vector<int32_t> positions;
};

Walk WalkOf(const PtrList<int>* list) {
  Walk walk;
  for (PtrList<int>::Cursor cursor(list); cursor.IsValid(); cursor.Next()) {
    walk.objects.push_back(cursor.Current());
    walk.positions.push_back(cursor.Position());
  }
  return walk;
}

TEST(PtrListTest, AddIgnoresNullAndPointersAlreadyHeld) {
  AssertRecorder reports;
  int a = 1;
  PtrList<int> list;
  list.Add(nullptr);
  EXPECT_EQ(list.Count(), 0);
  list.Add(&a);
  list.Add(&a);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THAT(WalkOf(&list).objects, ElementsAre(&a));
  EXPECT_TRUE(reports.Reports().empty());
}

TEST(PtrListTest, AWalkVisitsTheNewestFirst) {
  int a = 1;
  int b = 2;
  int c = 3;
  PtrList<int> list;
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  const Walk walk = WalkOf(&list);
  EXPECT_THAT(walk.objects, ElementsAre(&c, &b, &a));
  EXPECT_THAT(walk.positions, ElementsAre(0, 1, 2));

  // Past the end the cursor stays put.
  PtrList<int>::Cursor cursor(&list);
  for (int i = 0; i < 5; ++i) cursor.Next();
  EXPECT_FALSE(cursor.IsValid());
  EXPECT_EQ(cursor.Current(), nullptr);
  EXPECT_EQ(cursor.Position(), 3);
}

TEST(PtrListTest, RemoveUnlinksOnlyAHeldPointer) {
  AssertRecorder reports;
  int a = 1;
  int b = 2;
  int c = 3;
  int stranger = 4;
  PtrList<int> list;
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  list.Remove(&stranger);
  list.Remove(nullptr);
  EXPECT_EQ(list.Count(), 3);
  list.Remove(&b);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THAT(WalkOf(&list).objects, ElementsAre(&c, &a));
  list.Remove(&c);
  list.Remove(&c);
  EXPECT_THAT(WalkOf(&list).objects, ElementsAre(&a));
  EXPECT_TRUE(list.Contains(&a));
  EXPECT_FALSE(list.Contains(&c));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THAT(WalkOf(&list).objects, IsEmpty());
  // The objects themselves are untouched.
  EXPECT_EQ(a + b + c, 6);
  EXPECT_TRUE(reports.Reports().empty());
}

TEST(PtrListTest, AWalkOverAMissingList) {
  PtrList<int>::Cursor cursor(nullptr);
  EXPECT_FALSE(cursor.IsValid());
  EXPECT_EQ(cursor.Position(), -1);
  cursor.Next();
  EXPECT_EQ(cursor.Position(), -1);

  PtrList<int> empty;
  PtrList<int>::Cursor onEmpty(&empty);
  EXPECT_FALSE(onEmpty.IsValid());
  EXPECT_EQ(onEmpty.Position(), 0);
}

TEST(PtrListTest, AFullListRefusesOneMore) {
  AssertRecorder reports;
  std::vector<int> objects(PtrList<int>::kMaxCount + 1);
  {
    PtrList<int> list;
    for (int& object : objects) list.Add(&object);
    EXPECT_EQ(list.Count(), PtrList<int>::kMaxCount);
    ASSERT_EQ(reports.Count(), 1u);
    EXPECT_NE(reports.Reports()[0].find("msrc/util/PtrList"), std::string::npos);
    EXPECT_NE(reports.Reports()[0].find("whoops"), std::string::npos);
    EXPECT_FALSE(list.Contains(&objects.back()));
  }
  // Destruction frees every link with the count matching.
  EXPECT_EQ(reports.Count(), 1u);
}

}  // namespace
