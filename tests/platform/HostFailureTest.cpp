// The cause each failing host call leaves, as the host reports it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostEnv;
using platform::HostFailure;

namespace {

FileOpenOptions Reader() { return {platform::kAccessRead, platform::kShareRead, FileDisposition::kOpenExisting, false}; }
FileOpenOptions Writer() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead, FileDisposition::kOpenExisting, false};
}
FileOpenOptions Creator() {
  return {platform::kAccessWrite, platform::kShareRead, FileDisposition::kCreateAlways, false};
}

struct Case {
  const char* what;
  std::function<bool(HostEnv&)> call;  // true when the call succeeded
  HostFailure cause;
};

TEST(HostFailureTest, EachFailingCallLeavesItsCause) {
  ScratchHost scratch;
  scratch.folder().WriteFile("drive_c/Objects/Chair.iff", "chair");
  scratch.folder().WriteFile("drive_c/Objects/Locked.iff", "locked");
  scratch.folder().MakeReadOnly("drive_c/Objects/Locked.iff");
  std::unique_ptr<platform::HostFile> holder = scratch.Env().OpenFile("C:\\Objects\\Chair.iff", Writer());
  ASSERT_NE(holder, nullptr);
  // One name longer than any file system takes.
  const std::string longName = "C:\\Objects\\" + std::string(300, 'n') + ".iff";

  const Case cases[] = {
      {"a missing file", [](HostEnv& env) { return env.OpenFile("C:\\Objects\\Sofa.iff", Reader()) != nullptr; },
       HostFailure::kNotFound},
      {"a file in a missing folder",
       [](HostEnv& env) { return env.OpenFile("C:\\Nowhere\\Sofa.iff", Reader()) != nullptr; },
       HostFailure::kNotFound},
      {"a missing folder listed", [](HostEnv& env) { return env.ListFolder("C:\\Nowhere") != nullptr; },
       HostFailure::kNotFound},
      {"a file held by another open",
       [](HostEnv& env) { return env.OpenFile("C:\\Objects\\Chair.iff", Reader()) != nullptr; },
       HostFailure::kInUse},
      {"a read-only file opened for writing",
       [](HostEnv& env) { return env.OpenFile("C:\\Objects\\Locked.iff", Writer()) != nullptr; },
       HostFailure::kReadOnly},
      {"a read-only file created over",
       [](HostEnv& env) { return env.OpenFile("C:\\Objects\\Locked.iff", Creator()) != nullptr; },
       HostFailure::kReadOnly},
      {"a read-only file removed", [](HostEnv& env) { return env.RemoveFile("C:\\Objects\\Locked.iff"); },
       HostFailure::kReadOnly},
      {"a folder opened as a file", [](HostEnv& env) { return env.OpenFile("C:\\Objects", Reader()) != nullptr; },
       HostFailure::kAccessDenied},
      {"a folder removed as a file", [](HostEnv& env) { return env.RemoveFile("C:\\Objects"); },
       HostFailure::kAccessDenied},
      {"a name too long", [&](HostEnv& env) { return env.OpenFile(longName, Creator()) != nullptr; },
       HostFailure::kPathTooLong},
  };
  for (const Case& c : cases) {
    platform::SetLastHostFailure(HostFailure::kNone);
    EXPECT_FALSE(c.call(scratch.Env())) << c.what;
    EXPECT_EQ(platform::LastHostFailure(), c.cause) << c.what;
  }
}

}  // namespace
