#include "platform/posixfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_folder.h"

namespace {

TEST(PosixFile, WriteFileAtomicReplacesAndLeavesNoTemporary) {
    testsupport::TempFolder dir;
    const std::string path = dir.File("a.bin");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "first"));
    ASSERT_TRUE(platform::WriteFileAtomic(path, std::string("se\0cond", 7)));
    EXPECT_EQ(platform::ReadWholeFile(path), std::string("se\0cond", 7));
    EXPECT_FALSE(platform::FileExists(platform::TemporaryPathFor(path)));
}

TEST(PosixFile, AtomicWriteKeepsThePermissions) {
    testsupport::TempFolder dir;
    const std::string path = dir.File("c.ini");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "a"));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(platform::WriteFileAtomic(path, "b"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(PosixFile, FailedAtomicWriteKeepsNothingHalfWritten) {
    testsupport::TempFolder dir;
    EXPECT_FALSE(platform::WriteFileAtomic(dir.File("missing/a.bin"), "x"));
    EXPECT_FALSE(platform::ReadWholeFile(dir.File("missing/a.bin")).has_value());
}

TEST(PosixFile, ReadAtAndSizeDoNotMoveThePosition) {
    testsupport::TempFolder dir;
    const std::string path = dir.File("b.bin");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "0123456789"));
    platform::PosixFile f;
    ASSERT_TRUE(f.OpenRead(path));
    char two[2];
    ASSERT_EQ(f.Read(two, 2), 2u);
    char tail[4];
    EXPECT_EQ(f.ReadAt(tail, 4, 6), 4u);
    EXPECT_EQ(std::string(tail, 4), "6789");
    EXPECT_EQ(f.Position(), 2);
    EXPECT_EQ(f.Size(), 10);
    char rest[20];
    EXPECT_EQ(f.Read(rest, sizeof rest), 8u);  // a short count means end of file
}

TEST(PosixFile, OpenFailsOnMissingFileAndOnFolder) {
    testsupport::TempFolder dir;
    platform::PosixFile f;
    EXPECT_FALSE(f.OpenRead(dir.File("none")));
    EXPECT_FALSE(f.OpenRead(dir.path()));
    EXPECT_FALSE(f.IsOpen());
}

}  // namespace
