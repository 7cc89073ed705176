// The list check when the memory for the list cannot be found, as in a 32-bit process whose address
// space has no gap of that size left: this program's operator new refuses large blocks on request.
#include "engine/Signature.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

const size_t kLargeBlock = 32u << 20;
std::atomic<bool> g_refuseLargeBlocks(false);

class LargeBlocksRefused {
public:
    LargeBlocksRefused() { g_refuseLargeBlocks = true; }
    ~LargeBlocksRefused() { g_refuseLargeBlocks = false; }
    LargeBlocksRefused(const LargeBlocksRefused&) = delete;
    LargeBlocksRefused& operator=(const LargeBlocksRefused&) = delete;
};

} // namespace

void* operator new(size_t size)
{
    if (g_refuseLargeBlocks && size >= kLargeBlock)
        throw std::bad_alloc();
    if (void* block = malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete(void* block, size_t) noexcept
{
    free(block);
}

namespace {

using namespace testsupport;

TEST(ReadWholeFile, ListWithoutMemoryIsNotReadAndIsRefused)
{
    CurrentFolder folder;
    const size_t listSize = kLargeBlock + 4096;
    ASSERT_TRUE(MakeZeroFile("filelist.new", (long long)listSize));
    ASSERT_TRUE(WriteWholeFile("filelist.sig", std::string(64, 'x')));

    std::vector<BYTE> bytes(3, 1);
    {
        LargeBlocksRefused refused;
        EXPECT_FALSE(ReadWholeFile("filelist.new", bytes));
        EXPECT_TRUE(bytes.empty());
        EXPECT_FALSE(VerifyFileListSignature());
    }
    // The list itself is readable: the memory alone was missing.
    EXPECT_TRUE(ReadWholeFile("filelist.new", bytes));
    EXPECT_EQ(bytes.size(), listSize);
    std::vector<std::string> log = LogMessages(folder.Path());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "SIGNATURE refusee : liste 0 octets, signature fausse");
}

} // namespace
