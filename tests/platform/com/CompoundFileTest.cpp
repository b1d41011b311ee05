#include <com/ComPtr.h>
#include <com/CompoundFileReader.h>
#include <com/Object.h>
#include <com/Persist.h>
#include <com/Storage.h>
#include <com/TaskMemory.h>

#include "TempHome.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

constexpr DWORD create_mode = STGM_CREATE | STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD stream_mode = STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE;

std::vector<BYTE> pattern(size_t size, unsigned seed)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
    return bytes;
}

std::vector<BYTE> file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

DWORD u32_at(const std::vector<BYTE>& bytes, size_t at)
{
    DWORD v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

}

class CompoundFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = test_support::temp_home() + "/cfb-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(m_folder);
        m_live = com::live_objects();
        m_blocks = com::outstanding_task_memory_blocks();
    }
    void TearDown() override
    {
        EXPECT_EQ(com::live_objects(), m_live);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks);
    }

    std::u16string wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

    // Creates `name` holding each (stream, bytes) pair and commits it.
    void write_file(const std::string& path, const std::vector<std::pair<std::u16string, std::vector<BYTE>>>& streams)
    {
        CComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
        for (auto& [name, bytes] : streams) {
            CComPtr<IStream> stream;
            ASSERT_EQ(storage->CreateStream(name.c_str(), stream_mode, 0, 0, &stream), S_OK);
            ULONG written = 0;
            ASSERT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
            ASSERT_EQ(written, bytes.size());
        }
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }

    std::string m_folder;
    std::int64_t m_live { 0 };
    std::int64_t m_blocks { 0 };
};

TEST_F(CompoundFileTest, CreationWritesAValidEmptyFileAtOnce)
{
    std::string path = m_folder + "/debug.grf";
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
    auto bytes = file_bytes(path);
    ASSERT_EQ(bytes.size(), 512u * 3); // header, one FAT sector, one directory sector
    const BYTE signature[] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
    EXPECT_EQ(std::memcmp(bytes.data(), signature, 8), 0);
    std::string error;
    auto file = com::CompoundFileReader::parse(bytes, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->major_version(), 3);
    EXPECT_TRUE(file->entries().empty());

    // Releasing without Commit keeps the file empty.
    CComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(u"ActiveMovieGraph", stream_mode, 0, 0, &stream), S_OK);
    stream->Write("abc", 3, nullptr);
    stream.Release();
    storage.Release();
    file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_TRUE(file->entries().empty());
}

TEST_F(CompoundFileTest, SmallAndLargeStreamsReadBackExactly)
{
    std::string path = m_folder + "/two.grf";
    auto small = pattern(1000, 1);
    auto large = pattern(10000, 2);
    write_file(path, { { u"Small", small }, { u"ActiveMovieGraph", large } });

    std::string error;
    auto file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->entries().size(), 2u);
    // Tree order: shorter names first.
    EXPECT_EQ(file->entries()[0].name, u"Small");
    EXPECT_EQ(file->entries()[1].name, u"ActiveMovieGraph");

    auto* s = file->find(u"Small");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->type, STGTY_STREAM);
    EXPECT_EQ(s->size, 1000u);
    EXPECT_TRUE(s->in_mini_stream);
    auto* l = file->find(u"ActiveMovieGraph");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->size, 10000u);
    EXPECT_FALSE(l->in_mini_stream);
    EXPECT_EQ(file->read_stream(u"Small"), small);
    EXPECT_EQ(file->read_stream(u"activemoviegraph"), large);
    EXPECT_FALSE(file->read_stream(u"Missing"));
}

TEST_F(CompoundFileTest, StreamNameIsStoredAsUtf16WithItsByteLength)
{
    std::string path = m_folder + "/graph.grf";
    write_file(path, { { u"ActiveMovieGraph", pattern(200, 3) } });
    auto bytes = file_bytes(path);
    std::u16string name = u"ActiveMovieGraph";
    std::vector<BYTE> encoded;
    for (char16_t c : name) {
        encoded.push_back(static_cast<BYTE>(c & 0xFF));
        encoded.push_back(static_cast<BYTE>(c >> 8));
    }
    auto at = std::search(bytes.begin(), bytes.end(), encoded.begin(), encoded.end());
    ASSERT_NE(at, bytes.end());
    size_t entry = static_cast<size_t>(at - bytes.begin());
    EXPECT_EQ((entry - 512) % 128, 0u); // at the start of a directory entry
    EXPECT_EQ(bytes[entry + 32], 0);    // terminator
    EXPECT_EQ(bytes[entry + 33], 0);
    EXPECT_EQ(bytes[entry + 64], 34);   // 16 characters + NUL, in bytes
    EXPECT_EQ(bytes[entry + 66], 2);    // a stream
    EXPECT_EQ(u32_at(bytes, entry + 120), 200u);
}

TEST_F(CompoundFileTest, StreamsAroundTheMiniStreamCutoff)
{
    std::string path = m_folder + "/cutoff.grf";
    std::vector<std::pair<std::u16string, std::vector<BYTE>>> streams = {
        { u"Empty", {} },
        { u"One", pattern(1, 4) },
        { u"Sixty4", pattern(64, 5) },
        { u"Below", pattern(4095, 6) },
        { u"Exact", pattern(4096, 7) },
        { u"Above", pattern(4097, 8) },
    };
    write_file(path, streams);
    std::string error;
    auto file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    for (auto& [name, bytes] : streams) {
        auto* entry = file->find(name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->size, bytes.size());
        EXPECT_EQ(entry->in_mini_stream, !bytes.empty() && bytes.size() < 4096) << entry->size;
        EXPECT_EQ(file->read_stream(name), bytes);
    }
}

TEST_F(CompoundFileTest, ManyStreamsFormAValidTree)
{
    // Every count from 1 to 40 gives trees of every shape; the reader checks order and colours.
    for (int count = 1; count <= 40; count += 3) {
        std::string path = m_folder + "/many" + std::to_string(count) + ".grf";
        std::vector<std::pair<std::u16string, std::vector<BYTE>>> streams;
        for (int i = 0; i < count; ++i) {
            std::string n = std::string("S").append(std::to_string((i * 7919) % 1000)).append(i % 4, 'x');
            streams.push_back({ std::u16string(n.begin(), n.end()), pattern(static_cast<size_t>(i * 97 % 6000), i) });
        }
        write_file(path, streams);
        std::string error;
        auto file = com::CompoundFileReader::open(path, &error);
        ASSERT_TRUE(file) << count << ": " << error;
        ASSERT_EQ(file->entries().size(), static_cast<size_t>(count));
        for (auto& [name, bytes] : streams)
            EXPECT_EQ(file->read_stream(name), bytes);
    }
}

TEST_F(CompoundFileTest, LargeFileNeedsDifatSectors)
{
    // More than 109 FAT sectors (109 * 128 sectors of 512 bytes, about 7 MB) need the DIFAT.
    std::string path = m_folder + "/large.grf";
    auto big = pattern(8 * 1024 * 1024, 9);
    write_file(path, { { u"Big", big }, { u"Small", pattern(300, 10) } });
    auto bytes = file_bytes(path);
    EXPECT_GT(u32_at(bytes, 44), 109u); // FAT sectors
    EXPECT_GE(u32_at(bytes, 72), 1u);   // DIFAT sectors
    std::string error;
    auto file = com::CompoundFileReader::parse(bytes, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->read_stream(u"Big"), big);
    EXPECT_EQ(file->read_stream(u"Small"), pattern(300, 10));
}

TEST_F(CompoundFileTest, CommitReplacesRevertRestores)
{
    std::string path = m_folder + "/commit.grf";
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
    CComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(u"A", stream_mode, 0, 0, &stream), S_OK);
    stream->Write("first", 5, nullptr);
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    stream->Write("-more", 5, nullptr);
    stream.Release();
    ASSERT_EQ(storage->Revert(), S_OK);

    ASSERT_EQ(storage->OpenStream(u"A", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream), S_OK);
    char text[16] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(text, sizeof text, &read), S_OK);
    EXPECT_EQ(std::string(text, read), "first");
    stream.Release();

    // Replacing a stream with STGM_CREATE, then committing, rewrites the file.
    ASSERT_EQ(storage->CreateStream(u"a", stream_mode, 0, 0, &stream), S_OK);
    stream->Write("second", 6, nullptr);
    stream.Release();
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    storage.Release();
    std::string error;
    auto file = com::CompoundFileReader::open(path, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->entries().size(), 1u);
    EXPECT_EQ(file->entries()[0].name, u"a");
    auto bytes = file->read_stream(u"A");
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "second");
}

TEST_F(CompoundFileTest, StreamSeeksReadsAndReportsItsStatus)
{
    std::string path = m_folder + "/seek.grf";
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
    CComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(u"ActiveMovieGraph", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream), S_OK);
    ASSERT_EQ(stream->Write("0003\r\nFILTERS", 13, nullptr), S_OK);

    // Write a placeholder, come back and fill it in, as a persistence writer does.
    LARGE_INTEGER move {};
    ULARGE_INTEGER position {};
    move.QuadPart = 4;
    ASSERT_EQ(stream->Seek(move, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 4u);
    ASSERT_EQ(stream->Write("\n\r", 2, nullptr), S_OK);
    move.QuadPart = -3;
    ASSERT_EQ(stream->Seek(move, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 10u);
    char tail[8] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(tail, sizeof tail, &read), S_OK);
    EXPECT_EQ(std::string(tail, read), "ERS");
    ASSERT_EQ(stream->Read(tail, sizeof tail, &read), S_OK);
    EXPECT_EQ(read, 0u);
    move.QuadPart = -20;
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);

    // Writing past the end fills the gap with zeros; SetSize cuts.
    move.QuadPart = 20;
    stream->Seek(move, STREAM_SEEK_SET, nullptr);
    stream->Write("!", 1, nullptr);
    STATSTG stat;
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 21u);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"ActiveMovieGraph");
    CoTaskMemFree(stat.pwcsName);
    ULARGE_INTEGER size {};
    size.QuadPart = 6;
    ASSERT_EQ(stream->SetSize(size), S_OK);
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stat.cbSize.QuadPart, 6u);
    stream.Release();
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    storage.Release();

    auto file = com::CompoundFileReader::open(path);
    ASSERT_TRUE(file);
    auto bytes = file->read_stream(u"ActiveMovieGraph");
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "0003\n\r");
}

TEST_F(CompoundFileTest, FailuresHaveTheirStorageCodes)
{
    std::string path = m_folder + "/fail.grf";
    IStorage* none = reinterpret_cast<IStorage*>(1);
    EXPECT_EQ(StgCreateDocfile(wide(m_folder + "/missing/x.grf").c_str(), create_mode, 0, &none), STG_E_PATHNOTFOUND);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &none), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateDocfile(nullptr, create_mode, 0, &none), STG_E_INVALIDNAME);
    EXPECT_EQ(StgCreateDocfile(wide(m_folder).c_str(), create_mode, 0, &none), STG_E_ACCESSDENIED);

    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
    EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &none), STG_E_SHAREVIOLATION);

    CComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(u"Graph", stream_mode, 0, 0, &stream), S_OK);
    IStream* other = nullptr;
    EXPECT_EQ(storage->CreateStream(u"Graph", STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &other), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(storage->CreateStream(u"Graph", stream_mode, 0, 0, &other), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->OpenStream(u"Graph", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &other), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage->OpenStream(u"Nothing", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &other), STG_E_FILENOTFOUND);
    EXPECT_EQ(storage->CreateStream(u"a/b", stream_mode, 0, 0, &other), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(u"ThirtyTwoCharactersLongStreamNam", stream_mode, 0, 0, &other), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(u"Shared", STGM_WRITE, 0, 0, &other), STG_E_INVALIDFLAG);
    EXPECT_EQ(other, nullptr);
    ASSERT_EQ(storage->CreateStream(u"ThirtyOneCharactersLongStreamNa", stream_mode, 0, 0, &other), S_OK);
    other->Release();

    // A stream that outlives its storage is dead, not writing into freed memory.
    storage.Release();
    EXPECT_EQ(stream->Write("x", 1, nullptr), STG_E_REVERTED);
    stream.Release();

    // Closed again, the file may be created anew; without STGM_CREATE it must not exist.
    EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &none), STG_E_FILEALREADYEXISTS);
    ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
}

TEST_F(CompoundFileTest, WindowsFormPathsReachTheLinuxFile)
{
    std::string linux = m_folder + "/debug.grf";
    std::string windows = "C:" + linux;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(wide(windows).c_str(), create_mode, 0, &storage), S_OK);
    EXPECT_TRUE(std::filesystem::exists(linux));
}

TEST_F(CompoundFileTest, ReaderRejectsDamagedFiles)
{
    std::string path = m_folder + "/good.grf";
    write_file(path, { { u"Small", pattern(100, 11) }, { u"Large", pattern(5000, 12) }, { u"Third", pattern(700, 13) } });
    auto good = file_bytes(path);
    ASSERT_TRUE(com::CompoundFileReader::parse(good));
    // Layout written: header, FAT (sector 0), directory (sector 1), mini FAT, mini stream, large streams.
    const size_t fat = 512;
    const size_t directory = 1024;
    struct Damage {
        const char* what;
        size_t offset;
        std::vector<BYTE> bytes;
    };
    const Damage cases[] = {
        { "signature", 0, { 0xD1 } },
        { "minor version", 24, { 0x3F } },
        { "major version", 26, { 4 } },
        { "byte order", 28, { 0xFF, 0xFF } },
        { "sector shift", 30, { 12 } },
        { "mini stream cutoff", 56, { 0, 0x20 } },
        { "FAT sector count", 44, { 2 } },
        { "FAT not marked", fat, { 0xFE, 0xFF, 0xFF, 0xFF } },
        { "directory chain loops", fat + 4, { 1, 0, 0, 0 } },
        { "chain leaves the file", fat + 4, { 0x40, 0, 0, 0 } },
        { "odd name length", directory + 128 + 64, { 11 } },
        { "name too long", directory + 128 + 64, { 66 } },
        { "unknown entry type", directory + 128 + 66, { 3 } },
        { "stream larger than its chain", directory + 128 + 120, { 0x00, 0x30 } },
        { "root without its name", directory, { 'X' } },
        { "link out of range", directory + 68 + 128, { 0x40, 0, 0, 0 } },
    };
    for (const auto& damage : cases) {
        auto bytes = good;
        std::copy(damage.bytes.begin(), damage.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(damage.offset));
        std::string error;
        EXPECT_FALSE(com::CompoundFileReader::parse(bytes, &error)) << damage.what;
        EXPECT_FALSE(error.empty()) << damage.what;
    }
    auto truncated = good;
    truncated.resize(good.size() - 100);
    EXPECT_FALSE(com::CompoundFileReader::parse(truncated));
}

namespace {

// Saves a fixed UTF-16 text, like an object persisting itself into a graph file.
class TextPersist final : public com::Object<IPersistStream> {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = CLSID_NULL;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override
    {
        char16_t buffer[64] = {};
        ULONG read = 0;
        HRESULT hr = stream->Read(buffer, sizeof buffer, &read);
        m_text.assign(buffer, read / 2);
        return hr;
    }
    STDMETHODIMP Save(IStream* stream, BOOL clear_dirty) override
    {
        HRESULT hr = stream->Write(m_text.data(), static_cast<ULONG>(m_text.size() * 2), nullptr);
        if (SUCCEEDED(hr) && clear_dirty)
            m_dirty = false;
        return hr;
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override
    {
        size->QuadPart = m_text.size() * 2;
        return S_OK;
    }

    std::u16string m_text { u"0003\r\nFILTERS\r\nEND" };
    bool m_dirty { true };
};

}

TEST_F(CompoundFileTest, PersistentObjectSavesIntoAGraphFileAndLoadsBack)
{
    std::string path = m_folder + "/debug.grf";
    CComPtr<IPersistStream> persist;
    persist.Attach(new TextPersist);
    {
        CComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(wide(path).c_str(), create_mode, 0, &storage), S_OK);
        CComPtr<IStream> stream;
        ASSERT_EQ(storage->CreateStream(u"ActiveMovieGraph", stream_mode, 0, 0, &stream), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    auto file = com::CompoundFileReader::open(path);
    ASSERT_TRUE(file);
    auto bytes = file->read_stream(u"ActiveMovieGraph");
    ASSERT_TRUE(bytes);
    std::u16string text(bytes->size() / 2, u'\0');
    std::memcpy(text.data(), bytes->data(), bytes->size());
    EXPECT_EQ(text, u"0003\r\nFILTERS\r\nEND");
}
