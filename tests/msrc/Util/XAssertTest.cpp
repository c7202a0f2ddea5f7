#include "msrc/Util/XAssert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "tests/msrc/Util/AssertRecorder.h"

namespace {

// Puts the stop thread back to none whatever the test does.
class XAssertTest : public testing::Test {
 protected:
  void TearDown() override { XAssertSetStopThread(0); }
};

TEST_F(XAssertTest, ReturnsFalseWithTheExactReport) {
  AssertRecorder recorder;
  EXPECT_FALSE(XASSERT("msrc/File/flatfile", 88, "ValidFile()", "closing an unopened file"));
  ASSERT_EQ(recorder.Count(), 1u);
  EXPECT_EQ(recorder.Reports()[0],
            "XASSERT failure in file msrc/File/flatfile, line 88 : (ValidFile()) closing an unopened file");
}

TEST_F(XAssertTest, NullFieldsFormatAsEmpty) {
  AssertRecorder recorder;
  EXPECT_FALSE(XASSERT(nullptr, -3, nullptr, nullptr));
  EXPECT_EQ(recorder.Reports().at(0), "XASSERT failure in file , line -3 : () ");
}

TEST_F(XAssertTest, LongFieldIsCutTo1023Characters) {
  AssertRecorder recorder;
  const std::string message(5000, 'm');
  EXPECT_FALSE(XASSERT("msrc/Util/x", 1, "false", message.c_str()));
  const std::string& report = recorder.Reports().at(0);
  ASSERT_EQ(report.size(), 1023u);
  const std::string prefix = "XASSERT failure in file msrc/Util/x, line 1 : (false) ";
  EXPECT_EQ(report, prefix + message.substr(0, 1023 - prefix.size()));
}

TEST_F(XAssertTest, RecordersNestAndRestore) {
  AssertRecorder outer;
  {
    AssertRecorder inner;
    XASSERT("a", 1, "c", "m");
    EXPECT_EQ(inner.Count(), 1u);
  }
  XASSERT("a", 2, "c", "m");
  EXPECT_EQ(outer.Count(), 1u);
}

TEST_F(XAssertTest, StopThreadThrowsTerminateWithTheReport) {
  XAssertSetStopThread(XAssertCurrentThreadId());
  try {
    XASSERT("msrc/Util/StringBuffer", 17, "fCapacity>0", "bad capacity");
    FAIL() << "no Terminate";
  } catch (const Terminate& stop) {
    EXPECT_STREQ(stop.Text(), "XASSERT failure in file msrc/Util/StringBuffer, line 17 : (fCapacity>0) bad capacity");
    EXPECT_STREQ(stop.what(), stop.Text());
  }
}

TEST_F(XAssertTest, StopThreadStopsOnlyThatThread) {
  uint32_t otherId = 0;
  bool otherResult = true;
  std::thread other([&] { otherId = XAssertCurrentThreadId(); });
  other.join();
  EXPECT_NE(otherId, 0u);
  EXPECT_NE(otherId, XAssertCurrentThreadId());

  XAssertSetStopThread(otherId);
  EXPECT_FALSE(XASSERT("a", 1, "c", "m"));

  XAssertSetStopThread(XAssertCurrentThreadId());
  std::thread reporter([&] { otherResult = XASSERT("a", 1, "c", "m"); });
  reporter.join();
  EXPECT_FALSE(otherResult);
}

TEST(Terminate, KeepsAtMost1023Characters) {
  AssertRecorder recorder;
  const std::string text(2000, 't');
  const Terminate stop(text.c_str());
  EXPECT_EQ(std::strlen(stop.Text()), 1023u);
  EXPECT_EQ(recorder.Count(), 0u);
}

}  // namespace
