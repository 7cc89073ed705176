#include "engine/Md5.h"
#include "Fixtures.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <thread>

namespace {

const char kEmptyMd5[] = "d41d8cd98f00b204e9800998ecf8427e";

TEST(FileMd5, EmptyFileGivesTheDigestOfNothing)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile("empty.bin", ""));
    char md5[33];
    memset(md5, 'x', sizeof md5);
    EXPECT_TRUE(ComputeFileMd5("empty.bin", md5));
    EXPECT_STREQ(md5, kEmptyMd5);
}

TEST(FileMd5, LargeFileMatchesMd5sum)
{
    std::string path = FixturePath("random.bin");
    std::string expected = ReadWholeFile(FixturePath("random.md5"));
    ASSERT_EQ(expected.size(), 32u);
    char md5[33];
    EXPECT_TRUE(ComputeFileMd5(path.c_str(), md5));
    EXPECT_EQ(std::string(md5), expected);
}

TEST(FileMd5, KnownDigestsInLowerCase)
{
    CurrentFolder folder;
    char md5[33];
    ASSERT_TRUE(WriteWholeFile("fox.txt", "The quick brown fox jumps over the lazy dog"));
    EXPECT_TRUE(ComputeFileMd5("fox.txt", md5));
    EXPECT_STREQ(md5, "9e107d9d372bb6826bd81d3542a419d6");
    // Exactly one read block, then one block and a byte: the boundaries of the read loop.
    ASSERT_TRUE(WriteWholeFile("block.bin", std::string(1048576, 'a')));
    EXPECT_TRUE(ComputeFileMd5("block.bin", md5));
    EXPECT_STREQ(md5, "7202826a7791073fe2787f0c94603278");
    ASSERT_TRUE(WriteWholeFile("block1.bin", std::string(1048577, 'a')));
    EXPECT_TRUE(ComputeFileMd5("block1.bin", md5));
    EXPECT_STREQ(md5, "6f0555ac53cecbf068d354c08863805a");
}

TEST(FileMd5, UnopenableFileGivesFalseAndEmptyText)
{
    CurrentFolder folder;
    char md5[33] = "0123456789abcdef0123456789abcdef";
    EXPECT_FALSE(ComputeFileMd5("missing.bin", md5));
    EXPECT_STREQ(md5, "");

    ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
    strcpy(md5, kEmptyMd5);
    EXPECT_FALSE(ComputeFileMd5("folder", md5));
    EXPECT_STREQ(md5, "");
}

TEST(FileMd5, FileHeldWithoutReadSharingGivesFalseAndEmptyText)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile("held.bin", "content"));
    char md5[33];
    {
        HeldFile holder(CreateFileA("held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.valid());
        strcpy(md5, kEmptyMd5);
        EXPECT_FALSE(ComputeFileMd5("held.bin", md5));
        EXPECT_STREQ(md5, "");
    }
    // A reader that shares reading and deletion does not block it, nor is it blocked.
    HeldFile reader(CreateFileA("held.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    EXPECT_TRUE(ComputeFileMd5("held.bin", md5));
    EXPECT_STREQ(md5, "9a0364b9e99bb480dd25e1f0284c8555");
    HeldFile second(CreateFileA("held.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(second.valid());
}

// A handle that may delete the file (delete access, as DeleteFile opens it) does not stop the
// digest, and the digest's own handle does not stop the deletion.
TEST(FileMd5, FileOpenForDeletionIsHashedAndThenGoes)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile("doomed.bin", "content"));
    {
        HeldFile deleter(CreateFileA("doomed.bin", GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(deleter.valid());
        char md5[33];
        EXPECT_TRUE(ComputeFileMd5("doomed.bin", md5));
        EXPECT_STREQ(md5, "9a0364b9e99bb480dd25e1f0284c8555");
        FILE_DISPOSITION_INFO disposition = {TRUE};
        EXPECT_TRUE(SetFileInformationByHandle(deleter.get(), FileDispositionInfo, &disposition, sizeof disposition));
    }
    EXPECT_EQ(GetFileAttributesA("doomed.bin"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileMd5, TwoThreadsAtOnceGetTheirOwnResults)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile("empty.bin", ""));
    std::string big = FixturePath("random.bin");
    std::string expected = ReadWholeFile(FixturePath("random.md5"));
    int wrong = 0;
    auto run = [&](const std::string& path, const std::string& digest, int* failures) {
        for (int i = 0; i < 20; ++i) {
            char md5[33];
            if (!ComputeFileMd5(path.c_str(), md5) || digest != md5)
                ++*failures;
        }
    };
    int wrongEmpty = 0;
    std::thread a(run, big, expected, &wrong);
    std::thread b(run, std::string("empty.bin"), std::string(kEmptyMd5), &wrongEmpty);
    a.join();
    b.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(wrongEmpty, 0);
}

} // namespace
