// The real velt-sort process killed at each system call that changes a file
// (every write, truncation, flush, creation, rename, permission change and
// removal it makes), by strace. Whatever call it dies at, the object file
// afterwards holds every resource it held, and the saved definition with its
// old sorts or its new ones, read by walking the blocks (without the code
// under test) and through the file's map. The file is one whose close
// defragments, so the kill points include those of the compacted copy and
// of the replacement.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

using Key = std::pair<std::string, int16_t>;

constexpr const char* kCalls[] = {"write",     "pwrite64", "writev",    "fsync",  "fdatasync", "ftruncate",
                                  "openat",    "rename",   "renameat",  "renameat2", "unlink", "unlinkat",
                                  "fchmod",    "chmod",    "fchmodat",  "fchown", "chown",     "fchownat"};

// Runs a command line through the shell; its exit status.
int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::map<Key, std::string> Walked(const std::string& bytes) {
  std::map<Key, std::string> resources;
  for (const IFF2Reader::Block& block : IFF2Reader(bytes).Resources()) {
    if (block.type != "rsmp") resources[{block.type, block.id}] = block.payload;
  }
  return resources;
}

class KilledSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // strace may be missing, or not allowed to trace (a sandbox without
    // ptrace).
    if (Shell("strace -f -qq -o /dev/null true > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace cannot run here";
    fGame.MakeGameFolder("GameData/UserObjects");
    DefinitionFields fields;
    fields.room = 8;
    fields.function = 1;
    fields.subsort = 2;
    fDefinition = MakeDefinition(fields);
    fSaved = WithSorts(fDefinition, 1, 1, 2, 0);
    // 12,000 free bytes in front make the close compact the file.
    IFF2Builder built;
    built.Free(12000);
    const int32_t objd = built.Block("OBJD", 128, 0, "Armchair", fDefinition);
    const int32_t strings = built.Block("STR#", 128, 0, "Names", std::string(70000, 's'));
    const int32_t more = built.Block("STR#", 129, 0, "", "more");
    built.SetMapOffset(static_cast<uint32_t>(built.Block(
        "rsmp", 0, 0x0010, "",
        IFF2Builder::MapPayload(12000, {{"OBJD", {{objd, 128, 0, "Armchair"}}},
                                        {"STR#", {{strings, 128, 0, "Names"}, {more, 129, 0, ""}}}}))));
    fOriginal = built.Bytes();
  }

  std::string Command(const std::string& strace) {
    // The leak checker of a sanitizer build cannot run under a tracer. The
    // backups go to the scratch folder, not the user's own.
    return "ASAN_OPTIONS=detect_leaks=0 WINEPREFIX=" + Quoted(fGame.scratch().Path()) +
           " XDG_DATA_HOME=" + Quoted(fGame.scratch().Path("data")) + " " + strace + " " + Quoted(VELT_SORT_PATH) +
           " set " + Quoted(fGame.ObjectPath("chair.iff")) + " 128 --room Kitchen > /dev/null 2>&1";
  }

  std::string Bytes() const {
    std::ifstream in(fGame.ObjectPath("chair.iff"), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // How often the uncut save makes each call.
  std::map<std::string, int> Counts() {
    fGame.WriteObject("chair.iff", fOriginal);
    std::string list;
    for (const char* call : kCalls) list += std::string(list.empty() ? "" : ",") + call;
    const std::string log = fGame.scratch().Path() + "/calls.log";
    EXPECT_EQ(Shell(Command("strace -f -qq -e trace=" + list + " -o " + Quoted(log))), 0);
    std::map<std::string, int> counts;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
      // "PID call(args) = result", "call(...", or a resumed "<... call resumed>".
      std::istringstream words(line);
      std::string word;
      while (words >> word) {
        const size_t paren = word.find('(');
        if (paren == std::string::npos || paren == 0) continue;
        counts[word.substr(0, paren)]++;
        break;
      }
    }
    return counts;
  }

  // Every resource as it was, the definition as it was or as saved, both by
  // walking and through the map.
  void ExpectIntact(const std::string& where) {
    const std::string bytes = Bytes();
    const std::map<Key, std::string> before = Walked(fOriginal);
    const std::map<Key, std::string> now = Walked(bytes);
    for (const auto& [key, payload] : before) {
      const auto found = now.find(key);
      ASSERT_NE(found, now.end()) << where << "walking lost " << key.first << key.second;
      if (key == Key("OBJD", 128)) {
        EXPECT_TRUE(found->second == payload || found->second == fSaved) << where;
      } else {
        EXPECT_EQ(found->second, payload) << where << key.first << key.second;
      }
    }
    IFFResFile2 file;
    ASSERT_EQ(file.Open(FixedStringBuffer<260>("C:\\Games\\The Velt\\GameData\\UserObjects\\chair.iff")), 0) << where;
    for (const auto& [key, payload] : before) {
      const char code[5] = {key.first[0], key.first[1], key.first[2], key.first[3], '\0'};
      MHandle handle = file.GetResource(MakeResType(code), key.second, nullptr);
      ASSERT_NE(handle, nullptr) << where << "lost " << key.first << key.second;
      std::string read(static_cast<size_t>(GetMHandleSize(handle)), '\0');
      if (!read.empty()) std::memcpy(read.data(), LockMHandle(handle), read.size());
      if (!read.empty()) UnlockMHandle(handle);
      if (key == Key("OBJD", 128)) {
        EXPECT_TRUE(read == payload || read == fSaved) << where;
      } else {
        EXPECT_EQ(read, payload) << where;
      }
    }
    file.Close();
  }

  GamePrefix fGame;
  std::string fDefinition;
  std::string fSaved;
  std::string fOriginal;
};

TEST_F(KilledSaveTest, AKillAtAnyChangeLosesNothing) {
  const std::map<std::string, int> counts = Counts();
  ExpectIntact("uncut: ");
  EXPECT_EQ(Walked(Bytes()).at({"OBJD", 128}), fSaved);
  EXPECT_GT(counts.count("rename") + counts.count("renameat") + counts.count("renameat2"), 0u)
      << "the save did not replace the file";
  int kills = 0;
  std::string made;
  for (const auto& [call, count] : counts) made += " " + call + " " + std::to_string(count);
  for (const auto& [call, count] : counts) {
    for (int n = 1; n <= count; ++n) {
      fGame.WriteObject("chair.iff", fOriginal);
      Shell(Command("strace -f -qq -o /dev/null -e trace=" + call + " -e inject=" + call +
                  ":signal=KILL:when=" + std::to_string(n)));
      ++kills;
      ExpectIntact("killed at " + call + " " + std::to_string(n) + ": ");
      if (HasFatalFailure()) return;
    }
  }
  std::printf("[ killed   ] velt-sort set killed at %d system calls (%s)\n", kills, made.c_str());
}

}  // namespace
