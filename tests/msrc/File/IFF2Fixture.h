#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "msrc/File/ResType.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "tests/filesystem/ScratchDrive.h"
#include "tests/msrc/Util/AssertRecorder.h"

constexpr ResType kObjd = MakeResType("OBJD");
constexpr ResType kStrs = MakeResType("STR#");

using Path = FixedStringBuffer<260>;
using Name = FixedStringBuffer<64>;

// A drive with c:\x\t.iff for generation-2 IFF tests. Every test must leave
// as many live handles as it found: none leaked, none freed twice.
class IFF2Fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fDrive.MakeFolder("x");
    fLiveHandles = CountLiveMHandles();
  }
  void TearDown() override {
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
    EXPECT_FALSE(Reported("bad MHandle free"));
  }

  void WriteFile(const std::string& bytes) const { fDrive.WriteFile("x/t.iff", bytes); }
  std::string ReadFile() const { return fDrive.ReadFile("x/t.iff"); }

  static MHandle MakeHandle(std::string_view bytes) {
    MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) {
      std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
      UnlockMHandle(handle);
    }
    return handle;
  }

  static std::string BytesOf(MHandle handle) {
    if (handle == nullptr) return "<null>";
    const int32_t size = GetMHandleSize(handle);
    if (size == 0) return "";
    std::string bytes(static_cast<const char*>(LockMHandle(handle)), static_cast<size_t>(size));
    UnlockMHandle(handle);
    return bytes;
  }

  bool Reported(std::string_view message) const {
    for (const std::string& report : fReports.Reports()) {
      if (report.find(message) != std::string::npos) return true;
    }
    return false;
  }

  ScratchDrive fDrive;
  AssertRecorder fReports;
  const Path fPath{"c:\\x\\t.iff"};
  int32_t fLiveHandles = 0;
};
