#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "framework/File.h"
#include "TempFolder.h"

namespace {

std::vector<BYTE> Pattern(size_t size) {
    std::vector<BYTE> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = (BYTE)(i * 7 + i / 256);
    return data;
}

}  // namespace

TEST(CArchiveLoad, SmallAndLargeReadsAcrossBufferBoundaries) {
    std::vector<BYTE> data = Pattern(1000);
    CMemFile mem;
    mem.Attach(data.data(), (UINT)data.size(), 0);
    CArchive ar(&mem, CArchive::load | CArchive::bNoFlushOnDelete, 16);
    EXPECT_TRUE(ar.IsLoading());
    EXPECT_EQ(ar.GetFile(), &mem);

    std::vector<BYTE> got;
    BYTE chunk[300];
    const UINT sizes[] = {7, 1, 16, 15, 300, 3, 40};
    for (int round = 0; got.size() < data.size(); ++round) {
        UINT n = ar.Read(chunk, sizes[round % 7]);
        ASSERT_GT(n, 0u) << "archive ended early at " << got.size();
        got.insert(got.end(), chunk, chunk + n);
    }
    EXPECT_EQ(got, data);
    EXPECT_EQ(ar.Read(chunk, sizeof chunk), 0u);
}

TEST(CArchiveStore, CloseWritesOutNoFlushOnDeleteDiscards) {
    TempFolder dir;
    const std::string path = dir.Path("store.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store, 8);
        ar.Write("0123456789", 10);  // more than one buffer
        ar.Write("ab", 2);
        ar.Close();
        EXPECT_EQ(ar.GetFile(), nullptr);
    }
    EXPECT_EQ(ReadWholeFile(path), "0123456789ab");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);  // flushed by its destructor
        ar.Write("kept", 4);
    }
    EXPECT_EQ(ReadWholeFile(path), "kept");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
        ar.Write("lost", 4);
    }
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(CArchiveStream, SeekAndStatSeeTheArchivePositionNotTheFiles) {
    std::vector<BYTE> data = Pattern(100);
    CMemFile mem;
    mem.Attach(data.data(), (UINT)data.size(), 0);
    CArchive ar(&mem, CArchive::load | CArchive::bNoFlushOnDelete, 16);
    CArchiveStream stream(&ar);

    BYTE buf[64];
    ULONG read = 0;
    ASSERT_EQ(stream.Read(buf, 10, &read), S_OK);
    EXPECT_EQ(read, 10u);

    // The archive has read 16 bytes ahead; the stream's position is still 10.
    LARGE_INTEGER move;
    ULARGE_INTEGER pos;
    move.QuadPart = 0;
    ASSERT_EQ(stream.Seek(move, STREAM_SEEK_CUR, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 10u);
    ASSERT_EQ(stream.Read(buf, 1, &read), S_OK);
    EXPECT_EQ(buf[0], data[10]);

    move.QuadPart = 50;
    ASSERT_EQ(stream.Seek(move, STREAM_SEEK_SET, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 50u);
    ASSERT_EQ(stream.Read(buf, 3, &read), S_OK);
    EXPECT_EQ(buf[0], data[50]);
    EXPECT_EQ(buf[2], data[52]);

    move.QuadPart = -1;
    ASSERT_EQ(stream.Seek(move, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 99u);
    ASSERT_EQ(stream.Read(buf, 64, &read), S_OK);
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(buf[0], data[99]);
    ASSERT_EQ(stream.Read(buf, 64, &read), S_OK);
    EXPECT_EQ(read, 0u);

    move.QuadPart = -200;
    EXPECT_NE(stream.Seek(move, STREAM_SEEK_CUR, &pos), S_OK);
    EXPECT_NE(stream.Seek(move, 7, &pos), S_OK);

    STATSTG stat;
    ASSERT_EQ(stream.Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 100u);
    EXPECT_EQ(stat.type, (DWORD)STGTY_STREAM);

    // A loading stream cannot be written.
    ULONG written = 1;
    EXPECT_NE(stream.Write("x", 1, &written), S_OK);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(data[0], Pattern(1)[0]);
}

TEST(CArchiveStream, ComIdentity) {
    CMemFile mem;
    CArchive ar(&mem, CArchive::load);
    CArchiveStream stream(&ar);
    IStream* asStream = nullptr;
    ASSERT_EQ(stream.QueryInterface(IID_IStream, (void**)&asStream), S_OK);
    EXPECT_EQ(asStream, static_cast<IStream*>(&stream));
    IUnknown* asUnknown = nullptr;
    ASSERT_EQ(stream.QueryInterface(IID_IUnknown, (void**)&asUnknown), S_OK);
    EXPECT_EQ(asUnknown, static_cast<IUnknown*>(&stream));
    ISequentialStream* asSequential = nullptr;
    EXPECT_EQ(stream.QueryInterface(IID_ISequentialStream, (void**)&asSequential), S_OK);
    IStorage* asStorage = reinterpret_cast<IStorage*>(1);
    EXPECT_EQ(stream.QueryInterface(IID_IStorage, (void**)&asStorage), E_NOINTERFACE);
    EXPECT_EQ(asStorage, nullptr);
    asStream->Release();
    asUnknown->Release();
    asSequential->Release();
    IStream* clone = reinterpret_cast<IStream*>(1);
    EXPECT_NE(stream.Clone(&clone), S_OK);
    EXPECT_EQ(clone, nullptr);
}

TEST(CArchiveStream, ReadsAFileOnDiskThroughTheArchive) {
    TempFolder dir;
    const std::string path = dir.Path("disk.bin");
    std::vector<BYTE> data = Pattern(10000);
    WriteWholeFile(path, std::string(data.begin(), data.end()));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete, 4096);
    CArchiveStream stream(&ar);
    std::vector<BYTE> got(10000);
    ULONG read = 0;
    ASSERT_EQ(stream.Read(got.data(), 5000, &read), S_OK);
    ASSERT_EQ(stream.Read(got.data() + 5000, 5000, &read), S_OK);
    EXPECT_EQ(read, 5000u);
    EXPECT_EQ(got, data);
    LARGE_INTEGER move;
    ULARGE_INTEGER pos;
    move.QuadPart = -4097;
    ASSERT_EQ(stream.Seek(move, STREAM_SEEK_CUR, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 10000u - 4097u);
    BYTE b = 0;
    ASSERT_EQ(stream.Read(&b, 1, &read), S_OK);
    EXPECT_EQ(b, data[10000 - 4097]);
}
