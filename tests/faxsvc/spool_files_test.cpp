#include "faxsvc/spool_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include "tests/support/temp_home.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

TEST(SafeFileName, KeepsNamesInTheirFolder) {
  for (const char* good : {"fax.tif", "a..b", "..tif", "report 1.pdf", "\xEC\xA0\x9C.tif"}) {
    EXPECT_TRUE(isSafeFileName(good)) << good;
  }
  for (const std::string& bad : std::vector<std::string>{"", ".", "..", "../x", "/etc/passwd", "a/b", "a\\b", "..\\..\\x", "a\nb",
                                std::string("a\0b", 3), std::string(256, 'n')}) {
    EXPECT_FALSE(isSafeFileName(bad)) << bad;
  }
}

TEST(ReceivedStem, TrimsEveryTrailingDotTIAndF) {
  EXPECT_EQ(receivedStem("report.tif"), "repor");
  EXPECT_EQ(receivedStem("fax.TIF"), "fax.TIF");
  EXPECT_EQ(receivedStem("scan.pdf"), "scan.pd");
  EXPECT_EQ(receivedStem("tif"), "");
}

TEST(NewFileWriter, NeverTouchesAnExistingFile) {
  const std::string folder = tempRoot();
  writeFile(folder + "/fax.tif", "first");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  NewFileWriter writer(folder);
  EXPECT_EQ(writer.write("fax.tif", bytes), "fax-1.tif");
  EXPECT_EQ(readFile(folder + "/fax.tif"), "first");
  EXPECT_EQ(readFile(folder + "/fax-1.tif"), "new");
  EXPECT_EQ(writer.write("noext", bytes), "noext");
  EXPECT_EQ(writer.write("noext", bytes), "noext-1");
  // A number it gave out before but that someone else took since is skipped too.
  writeFile(folder + "/fax-2.tif", "theirs");
  EXPECT_EQ(writer.write("fax.tif", bytes), "fax-3.tif");
  EXPECT_EQ(readFile(folder + "/fax-2.tif"), "theirs");
  // A free name whose info file is taken is skipped as well.
  writeFile(folder + "/page.inf", "[Lumora_Recv]");
  EXPECT_EQ(NewFileWriter(folder, ".inf").write("page.tif", bytes), "page-1.tif");
}

TEST(OpenExclusive, WaitsForALockAndReportsRealErrors) {
  const std::string path = writeFile(tempRoot() + "/r.inf", "x");
  const StopSignal stop;
  const Timing fast{std::chrono::milliseconds(5)};
  {
    const platform::UniqueFd holder(::open(path.c_str(), O_RDONLY));
    ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);
    const auto busy = openExclusive(path, 3, fast, stop);
    EXPECT_FALSE(busy.fd.valid());
    EXPECT_EQ(busy.error, 0);
  }
  EXPECT_TRUE(openExclusive(path, 1, fast, stop).fd.valid());
  const auto missing = openExclusive(tempRoot() + "/none.inf", 3, fast, stop);
  EXPECT_FALSE(missing.fd.valid());
  EXPECT_EQ(missing.error, ENOENT);
}

TEST(MoveFileReplacing, ReplacesTheTarget) {
  const std::string from = writeFile(tempRoot() + "/a", "new");
  const std::string to = writeFile(tempRoot() + "/sub/a", "old");
  EXPECT_EQ(moveFileReplacing(from, to), 0);
  EXPECT_EQ(readFile(to), "new");
  EXPECT_NE(moveFileReplacing(from, to), 0);
}

}  // namespace
}  // namespace ostrel::fax
