#include "engine/Signature.h"
#include "Fixtures.h"
#include "tests/support/PatchLog.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

const char kList[] = "filelist.new";
const char kSig[] = "filelist.sig";

std::vector<BYTE> Bytes(const std::string& s)
{
    return std::vector<BYTE>(s.begin(), s.end());
}

std::vector<BYTE> HexBytes(const std::string& hex)
{
    std::vector<BYTE> bytes;
    for (size_t i = 0; i + 1 < hex.size() && isxdigit((unsigned char)hex[i]); i += 2)
        bytes.push_back((BYTE)strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

// What a check may not change about a file: its existence, size, time and (when small) contents.
struct FileState {
    bool exists = false;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    std::string contents;
    bool operator==(const FileState& o) const
    {
        return exists == o.exists && attributes.nFileSizeLow == o.attributes.nFileSizeLow &&
               attributes.nFileSizeHigh == o.attributes.nFileSizeHigh &&
               CompareFileTime(&attributes.ftLastWriteTime, &o.attributes.ftLastWriteTime) == 0 &&
               contents == o.contents;
    }
};

FileState StateOf(const char* path)
{
    FileState state;
    state.exists = GetFileAttributesExA(path, GetFileExInfoStandard, &state.attributes) != FALSE;
    if (state.exists && state.attributes.nFileSizeHigh == 0 && state.attributes.nFileSizeLow < 1048576)
        state.contents = ReadIfReadable(path);
    return state;
}

class ListCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        list = ReadWholeFile(FixturePath("list.txt"));
        signature = ReadWholeFile(FixturePath("list.sig"));
        ASSERT_FALSE(list.empty());
        ASSERT_EQ(signature.size(), 64u);
    }

    // Runs the check; expects exactly one log line and both files untouched.
    BOOL Check(std::string* message)
    {
        FileState listBefore = StateOf(kList);
        FileState sigBefore = StateOf(kSig);
        size_t linesBefore = LogMessages(folder.Path()).size();
        BOOL ok = VerifyFileListSignature();
        std::vector<std::string> messages = LogMessages(folder.Path());
        EXPECT_EQ(messages.size(), linesBefore + 1);
        *message = messages.empty() ? std::string() : messages.back();
        EXPECT_TRUE(StateOf(kList) == listBefore);
        EXPECT_TRUE(StateOf(kSig) == sigBefore);
        return ok;
    }

    std::string Refusal(size_t listLength, const char* word)
    {
        return "SIGNATURE refusee : liste " + std::to_string(listLength) + " octets, signature " + word;
    }

    CurrentFolder folder;
    std::string list;
    std::string signature;
};

TEST_F(ListCheck, PublishedSignatureIsAcceptedAndLogsKeyZeroAndListLength)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    ASSERT_TRUE(WriteWholeFile(kSig, signature));
    std::string message;
    EXPECT_TRUE(Check(&message));
    EXPECT_EQ(message, "SIGNATURE OK (cle 0, liste " + std::to_string(list.size()) + " octets)");
}

TEST_F(ListCheck, SignatureWithLeadingZeroBytesIsAccepted)
{
    std::string shortSig = ReadWholeFile(FixturePath("short.sig"));
    ASSERT_EQ(shortSig.size(), 64u);
    ASSERT_TRUE(shortSig[0] == 0 || shortSig[32] == 0);
    ASSERT_TRUE(WriteWholeFile(kList, ReadWholeFile(FixturePath("short.txt"))));
    ASSERT_TRUE(WriteWholeFile(kSig, shortSig));
    std::string message;
    EXPECT_TRUE(Check(&message));
}

TEST_F(ListCheck, AnyChangedByteIsFalse)
{
    ASSERT_TRUE(WriteWholeFile(kSig, signature));
    std::string message;
    // A byte at the start, in the middle and at the end of the list.
    for (size_t at : {size_t(0), list.size() / 2, list.size() - 1}) {
        std::string changed = list;
        changed[at] ^= 0x01;
        ASSERT_TRUE(WriteWholeFile(kList, changed));
        EXPECT_FALSE(Check(&message)) << "list byte " << at;
        EXPECT_EQ(message, Refusal(list.size(), "fausse"));
    }
    // A byte of r and a byte of s.
    ASSERT_TRUE(WriteWholeFile(kList, list));
    for (size_t at : {size_t(5), size_t(63)}) {
        std::string changed = signature;
        changed[at] ^= 0x80;
        ASSERT_TRUE(WriteWholeFile(kSig, changed));
        EXPECT_FALSE(Check(&message)) << "signature byte " << at;
        EXPECT_EQ(message, Refusal(list.size(), "fausse"));
    }
    // A list line end turned from LF into CR LF, as a text-mode copy would do.
    std::string crlf = list;
    crlf.insert(crlf.find('\n'), "\r");
    ASSERT_TRUE(WriteWholeFile(kSig, signature));
    ASSERT_TRUE(WriteWholeFile(kList, crlf));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(crlf.size(), "fausse"));
}

TEST_F(ListCheck, SignatureOfAnotherKeyIsFalse)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    ASSERT_TRUE(WriteWholeFile(kSig, ReadWholeFile(FixturePath("other.sig"))));
    std::string message;
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "fausse"));
}

TEST_F(ListCheck, SignatureOfWrongLengthIsMalformed)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    std::string message;
    const std::string cases[] = {signature.substr(0, 63), signature + "x", signature + "\n", signature + "\r\n",
                                 std::string(1, '\0')};
    for (const std::string& sig : cases) {
        ASSERT_TRUE(WriteWholeFile(kSig, sig));
        EXPECT_FALSE(Check(&message)) << sig.size() << " bytes";
        EXPECT_EQ(message, Refusal(list.size(), "mal formee")) << sig.size() << " bytes";
    }
}

TEST_F(ListCheck, DerAndBase64SignaturesAreRefused)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    std::string message;

    std::string der = ReadWholeFile(FixturePath("list.der"));
    ASSERT_EQ((BYTE)der[0], 0x30);
    ASSERT_TRUE(WriteWholeFile(kSig, der));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "mal formee"));

    std::string base64 = ReadWholeFile(FixturePath("list.b64"));
    ASSERT_TRUE(WriteWholeFile(kSig, base64));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "mal formee"));

    // Cut to 64 characters the Base64 text has the right length but is still not the signature.
    ASSERT_TRUE(WriteWholeFile(kSig, base64.substr(0, 64)));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "fausse"));
}

TEST_F(ListCheck, EmptyOrMissingSignatureIsAbsent)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    std::string message;
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "absente"));

    ASSERT_TRUE(WriteWholeFile(kSig, ""));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(list.size(), "absente"));
}

TEST_F(ListCheck, MissingOrEmptyListWithGoodSignatureIsFalseWithLengthZero)
{
    ASSERT_TRUE(WriteWholeFile(kSig, signature));
    std::string message;
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(0, "fausse"));

    ASSERT_TRUE(WriteWholeFile(kList, ""));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(0, "fausse"));

    // Neither file: the signature's absence is what is reported.
    DeleteFileA(kList);
    DeleteFileA(kSig);
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(0, "absente"));
}

TEST_F(ListCheck, LockedSignatureIsAbsentAndLockedListIsMissing)
{
    ASSERT_TRUE(WriteWholeFile(kList, list));
    ASSERT_TRUE(WriteWholeFile(kSig, signature));
    std::string message;
    {
        HeldFile writer(CreateFileA(kSig, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_FALSE(Check(&message));
        EXPECT_EQ(message, Refusal(list.size(), "absente"));
    }
    {
        HeldFile writer(CreateFileA(kList, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_FALSE(Check(&message));
        EXPECT_EQ(message, Refusal(0, "fausse"));
    }
    EXPECT_TRUE(Check(&message));
}

TEST_F(ListCheck, ListOfTheLargestSizeIsVerifiedAndOneByteMoreIsNot)
{
    std::string zerosSig = ReadWholeFile(FixturePath("zeros.sig"));
    ASSERT_EQ(zerosSig.size(), 64u);
    ASSERT_TRUE(WriteWholeFile(kSig, zerosSig));
    ASSERT_TRUE(MakeZeroFile(kList, 268435456));
    std::string message;
    EXPECT_TRUE(Check(&message));
    EXPECT_EQ(message, "SIGNATURE OK (cle 0, liste 268435456 octets)");

    ASSERT_TRUE(MakeZeroFile(kList, 268435457));
    EXPECT_FALSE(Check(&message));
    EXPECT_EQ(message, Refusal(0, "fausse"));
}

TEST(ReadWholeFile, ReadsWholeFilesUpToTheLimit)
{
    CurrentFolder folder;
    std::vector<BYTE> bytes = Bytes("left over");
    EXPECT_FALSE(ReadWholeFile("missing.bin", bytes));
    EXPECT_TRUE(bytes.empty());

    ASSERT_TRUE(WriteWholeFile("empty.bin", ""));
    bytes = Bytes("left over");
    EXPECT_TRUE(ReadWholeFile("empty.bin", bytes));
    EXPECT_TRUE(bytes.empty());

    std::string content("a\r\nb\0c\n", 7);
    ASSERT_TRUE(WriteWholeFile("some.bin", content));
    EXPECT_TRUE(ReadWholeFile("some.bin", bytes));
    EXPECT_EQ(bytes, Bytes(content));

    ASSERT_TRUE(MakeZeroFile("limit.bin", 268435456));
    EXPECT_TRUE(ReadWholeFile("limit.bin", bytes));
    EXPECT_EQ(bytes.size(), 268435456u);
    EXPECT_EQ(bytes[268435455], 0);

    ASSERT_TRUE(MakeZeroFile("over.bin", 268435457));
    EXPECT_FALSE(ReadWholeFile("over.bin", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(ReadWholeFile, FileOf4GiBOrMoreIsRefused)
{
    CurrentFolder folder;
    std::vector<BYTE> bytes;
    // Of these sizes the low 32 bits alone would look small.
    ASSERT_TRUE(MakeZeroFile("huge.bin", 0x100000000LL + 10));
    EXPECT_FALSE(ReadWholeFile("huge.bin", bytes));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(MakeZeroFile("huge.bin", 0x100000000LL));
    EXPECT_FALSE(ReadWholeFile("huge.bin", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(ReadWholeFile, FileHeldByAWriterWithoutSharingIsNotRead)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile("held.bin", "data"));
    std::vector<BYTE> bytes;
    {
        HeldFile writer(CreateFileA("held.bin", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_FALSE(ReadWholeFile("held.bin", bytes));
    }
    // Other readers do not get in the way.
    HeldFile reader(CreateFileA("held.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    EXPECT_TRUE(ReadWholeFile("held.bin", bytes));
    EXPECT_EQ(bytes, Bytes("data"));
}

class EcdsaVerify : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = Bytes(ReadWholeFile(FixturePath("list.txt")));
        signature = Bytes(ReadWholeFile(FixturePath("list.sig")));
        otherSignature = Bytes(ReadWholeFile(FixturePath("other.sig")));
        otherKey = HexBytes(ReadWholeFile(FixturePath("other.pub.hex")));
        ASSERT_EQ(signature.size(), 64u);
        ASSERT_EQ(otherSignature.size(), 64u);
        ASSERT_EQ(otherKey.size(), 64u);
        ASSERT_EQ(g_publicKeyCount, 1u);
    }
    std::vector<BYTE> data, signature, otherSignature, otherKey;
};

TEST_F(EcdsaVerify, EachSignatureVerifiesOnlyUnderItsOwnKey)
{
    EXPECT_TRUE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 64, g_publicKeys[0]));
    EXPECT_TRUE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), otherSignature.data(), 64, otherKey.data()));
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 64, otherKey.data()));
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), otherSignature.data(), 64, g_publicKeys[0]));
}

TEST_F(EcdsaVerify, SignatureCoversTheWholeData)
{
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size() - 1, signature.data(), 64, g_publicKeys[0]));
    std::vector<BYTE> longer = data;
    longer.push_back('\n');
    EXPECT_FALSE(VerifyEcdsaP256(longer.data(), (DWORD)longer.size(), signature.data(), 64, g_publicKeys[0]));
}

TEST_F(EcdsaVerify, MissingArgumentsWrongLengthsAndBadKeysAreFalse)
{
    EXPECT_FALSE(VerifyEcdsaP256(nullptr, (DWORD)data.size(), signature.data(), 64, g_publicKeys[0]));
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), nullptr, 64, g_publicKeys[0]));
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 64, nullptr));
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 63, g_publicKeys[0]));
    std::vector<BYTE> padded = signature;
    padded.push_back(0);
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), padded.data(), 65, g_publicKeys[0]));

    // Y changed: no longer a point of the curve, so the key itself is refused.
    std::vector<BYTE> notOnCurve(g_publicKeys[0], g_publicKeys[0] + 64);
    notOnCurve[63] ^= 0x01;
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 64, notOnCurve.data()));
    std::vector<BYTE> zeroKey(64, 0);
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), signature.data(), 64, zeroKey.data()));
    std::vector<BYTE> zeroSignature(64, 0);
    EXPECT_FALSE(VerifyEcdsaP256(data.data(), (DWORD)data.size(), zeroSignature.data(), 64, g_publicKeys[0]));
}

} // namespace
