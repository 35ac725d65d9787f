#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/rows.h"
#include "zugui/platform.h"

namespace {

using zu::test::expectRows;

// A fresh directory under base, removed with everything in it afterwards.
struct ScratchDir {
    std::string path;
    explicit ScratchDir(const char* base = "/tmp") : path(std::string(base) + "/zu-files-XXXXXX") {
        if (!mkdtemp(path.data())) path.clear();
    }
    ~ScratchDir() {
        std::error_code ignored;  // nothing to remove when mkdtemp failed
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const char* name) const { return path + "/" + name; }
};

constexpr int kRead = 4, kWrite = 2, kCreateAlways = 2, kCreateNew = 4;

std::string contents(const std::string& path) {
    void* f = ZuOpenFile(path.c_str(), 0, kRead);
    if (!f) return "<missing>";
    std::string s(ZuGetFileSize(f, nullptr), '\0');
    ZuReadFile(f, s.data(), static_cast<int>(s.size()), nullptr);
    ZuCloseFile(f);
    return s;
}

void writeFile(const std::string& path, const std::string& text) {
    void* f = ZuOpenFile(path.c_str(), kCreateAlways, kWrite);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ZuWriteFile(f, text.data(), static_cast<int>(text.size()), nullptr), 0);
    ASSERT_EQ(ZuCloseFile(f), 0);
}

TEST(Files, OpenModesFollowTheDispositionTable) {
    ScratchDir dir;
    ASSERT_FALSE(dir.path.empty());
    const std::string existing = dir.file("existing"), missing = dir.file("missing");
    writeFile(existing, "old contents");
    struct Case {
        int mode;
        bool onExisting;
        bool opens;
        const char* afterwards;  // contents of the file after open and close
    } cases[] = {
        {0, false, false, "<missing>"},
        {0, true, true, "old contents"},
        {kCreateAlways, false, true, ""},
        {kCreateAlways, true, true, ""},
        {kCreateNew, false, true, ""},
        {kCreateNew, true, false, "old contents"},
        {kCreateAlways | kCreateNew, true, true, ""},  // create always wins
    };
    for (const auto& c : cases) {
        writeFile(existing, "old contents");
        unlink(missing.c_str());
        const std::string& path = c.onExisting ? existing : missing;
        void* f = ZuOpenFile(path.c_str(), c.mode, kRead | kWrite);
        EXPECT_EQ(f != nullptr, c.opens) << "mode " << c.mode << " existing " << c.onExisting;
        EXPECT_EQ(f ? ZuCloseFile(f) : 0, 0);
        EXPECT_EQ(contents(path), c.afterwards) << "mode " << c.mode;
    }
    EXPECT_EQ(ZuOpenFile(static_cast<const char*>(nullptr), kCreateAlways, kWrite), nullptr);
    EXPECT_EQ(ZuOpenFile("", kCreateAlways, kWrite), nullptr);
    EXPECT_EQ(ZuOpenFile("/tmp", 0, kRead), nullptr) << "directories are not files";
}

TEST(Files, AccessBitsAreEnforcedAndShortReadsSucceed) {
    ScratchDir dir;
    const std::string path = dir.file("data");
    writeFile(path, "abcdef");
    char buf[16] = {};
    void* ro = ZuOpenFile(path.c_str(), 0, kRead | 8 | 16);  // sharing bits are accepted
    ASSERT_NE(ro, nullptr);
    void* wo = nullptr;
    // clang-format off
    expectRows({
        ROW(ZuWriteFile(ro, "x", 1, nullptr), -2),
        ROW(ZuReadFile(ro, buf, 16, nullptr), 0),  ROW(std::string(buf) == "abcdef", 1),  // short
        ROW(ZuReadFile(ro, buf, -1, nullptr), -2),    ROW(ZuReadFile(ro, nullptr, 4, nullptr), -2),
        ROW(ZuReadFile(ro, nullptr, 0, nullptr), 0),  ROW(ZuCloseFile(ro), 0),
        AFTER(wo = ZuOpenFile(path.c_str(), 0, kWrite), ZuReadFile(wo, buf, 1, nullptr), -2),
        ROW(ZuWriteFile(wo, "XY", 2, nullptr), 0),    ROW(ZuCloseFile(wo), 0),
    });
    // clang-format on
    EXPECT_EQ(contents(path), "XYcdef");
}

TEST(Files, SeeksComputeDistancesIn64Bits) {
    ScratchDir dir;
    void* f = ZuOpenFile(dir.file("seek").c_str(), kCreateAlways, kRead | kWrite);
    ASSERT_NE(f, nullptr);
    int high = 0;
    unsigned sizeHigh = 99;
    // clang-format off
    expectRows({
        ROW(ZuSeekFile(f, 100, 3, 512, 1), 0),    ROW(ZuSeekFile(f, 0, nullptr, 2), 1636),
        ROW(ZuWriteFile(f, "z", 1, nullptr), 0),  ROW(ZuGetFileSize(f, nullptr), 1637),
        // Five-argument form: 2^31 * 3 overflows 32 bits but not the 64-bit distance.
        ROW(ZuSeekFile(f, 0, 0x40000000, 6, 0), 0),
        ROW(ZuSeekFile(f, 0, &high, 2), int(0x80000000u)),  ROW(high, 1),  // 6 GiB: 1:2^31
        // Four-argument form with a high part: position 5 GiB + 16.
        AFTER(high = 1, ZuSeekFile(f, 0x40000010, &high, 0), 0x40000010),  ROW(high, 1),
        // Without a high part, low is signed: back 16 from the current position.
        ROW(ZuSeekFile(f, -16, nullptr, 2), 0x40000000),
        ROW(ZuSeekFile(f, 4, nullptr, 3), 1641),   // from the end
        ROW(ZuSeekFile(f, -1, nullptr, 0), -2),    // before the start
        ROW(ZuSeekFile(f, -5000, 0, 0, 2), -2),
        ROW(ZuGetFileSize(f, &sizeHigh), 1637),    ROW(sizeHigh, 0),
    });
    // clang-format on
    ZuCloseFile(f);
}

TEST(Files, UnbufferedUsesDirectIoOrFallsBackWhereRefused) {
    ScratchDir disk("/tmp");
    const long page = sysconf(_SC_PAGESIZE);
    auto* aligned = static_cast<char*>(std::aligned_alloc(page, page * 2));
    std::memset(aligned, 'a', page * 2);
    void* f = ZuOpenFile(disk.file("direct").c_str(), kCreateAlways, 1 | kRead | kWrite);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ZuWriteFile(f, aligned, static_cast<int>(page), nullptr), 0);
    ZuSeekFile(f, 0, 0, 0, 0);
    EXPECT_EQ(ZuReadFile(f, aligned, static_cast<int>(page), nullptr), 0);
    // Direct input and output refuse a buffer that is not aligned, which shows the cache
    // is bypassed (ext4 under /tmp here).
    ZuSeekFile(f, 0, 0, 0, 0);
    EXPECT_EQ(ZuReadFile(f, aligned + 1, 100, nullptr), -2);
    ZuCloseFile(f);

    if (access("/dev/shm", W_OK) == 0) {
        ScratchDir shm("/dev/shm");  // tmpfs refuses O_DIRECT: opened buffered instead
        void* g = ZuOpenFile(shm.file("buffered").c_str(), kCreateAlways, 1 | kRead | kWrite);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(ZuWriteFile(g, aligned + 1, 100, nullptr), 0);
        EXPECT_EQ(ZuGetFileSize(g, nullptr), 100u);
        ZuCloseFile(g);
    }
    std::free(aligned);
}

TEST(Files, WidePathsAreUtf8OnDisk) {
    ScratchDir dir;
    const std::string base = dir.file("");
    const std::string narrow = base + "caf\xC3\xA9-\xF0\x9F\x8E\xAC";
    const std::wstring wbase(base.begin(), base.end());
    const std::wstring wide = wbase + L"caf\u00e9-\U0001F3AC";
    void* f = ZuOpenFile(wide.c_str(), kCreateAlways, kWrite);
    ASSERT_NE(f, nullptr);
    ZuCloseFile(f);
    struct stat st;
    EXPECT_EQ(stat(narrow.c_str(), &st), 0);
    EXPECT_EQ(ZuDeleteFile(wide.c_str()), 0);
    EXPECT_NE(stat(narrow.c_str(), &st), 0);
    const wchar_t surrogate[] = {L'/', L't', L'm', L'p', L'/', 0xD800, 0};
    EXPECT_EQ(ZuOpenFile(surrogate, kCreateAlways, kWrite), nullptr) << "not a code point";

    const std::wstring sub = wbase + L"r\u00e9p";
    EXPECT_EQ(ZuCreateDir(sub.c_str()), 0);
    EXPECT_EQ(ZuCreateDir(sub.c_str()), -2);
    EXPECT_EQ(ZuRemoveDir(sub.c_str()), 0);
    EXPECT_EQ(ZuRemoveDir(sub.c_str()), -2);
}

TEST(Files, DirectoriesDeletionAndDiskSpace) {
    ScratchDir dir;
    const std::string sub = dir.file("sub"), deep = dir.file("sub/a/b");
    EXPECT_EQ(ZuCreateDir(deep.c_str()), -2) << "one level only";
    EXPECT_EQ(ZuCreateDir(sub.c_str()), 0);
    writeFile(dir.file("sub/f"), "x");
    EXPECT_EQ(ZuRemoveDir(sub.c_str()), -2) << "not empty";
    EXPECT_EQ(ZuDeleteFile(sub.c_str()), -2) << "a directory is not deleted as a file";
    EXPECT_EQ(ZuDeleteFile(dir.file("sub/f").c_str()), 0);
    EXPECT_EQ(ZuDeleteFile(dir.file("sub/f").c_str()), -2);
    EXPECT_EQ(ZuRemoveDir(sub.c_str()), 0);
    EXPECT_EQ(ZuDeleteFile(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(ZuDeleteFile(static_cast<const wchar_t*>(nullptr)), 0);
    EXPECT_EQ(ZuCreateDir(static_cast<const char*>(nullptr)), -2);

    _ZuLargeInteger avail, total, free;
    avail.QuadPart = total.QuadPart = free.QuadPart = -1;
    ASSERT_EQ(ZuGetDiskFreeSpace(dir.file("").c_str(), avail, total, free), 0);
    EXPECT_GT(total.QuadPart, 0);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_LE(avail.QuadPart, free.QuadPart);
    _ZuLargeInteger untouched;
    untouched.QuadPart = 7;
    EXPECT_EQ(ZuGetDiskFreeSpace("/no/such/dir", untouched, untouched, untouched), -2);
    EXPECT_EQ(untouched.QuadPart, 7) << "written only on success";
}

TEST(Files, UnavailableEntryPointsAndBadFileHandles) {
    // clang-format off
    expectRows({
        ROW(ZuOpenDir("/tmp") != nullptr, 0),   ROW(ZuReadDir(nullptr), -1),
        ROW(ZuCloseDir(nullptr), -1),           ROW(ZuFileExist("/tmp"), -1),
        ROW(ZuFileExist("/no/such/file"), -1),  ROW(ZuFileExist(L"/tmp"), -1),
        ROW(ZuFileIOComplete(nullptr, 0), -1),
    });
    // clang-format on
    int local = 0;
    void* event = ZuCreateEvent(0, 0, nullptr);
    char buf[4];
    for (void* h : {static_cast<void*>(nullptr), static_cast<void*>(&local), event}) {
        // clang-format off
        expectRows({
            ROW(ZuReadFile(h, buf, 4, nullptr), -2),  ROW(ZuWriteFile(h, buf, 4, nullptr), -2),
            ROW(ZuSeekFile(h, 0, 0, 0, 0), -2),       ROW(ZuSeekFile(h, 0, nullptr, 0), -2),
            ROW(ZuGetFileSize(h, nullptr), 0xFFFFFFFFu),
            ROW(ZuCloseFile(h), h == event ? 0 : 10000),  // the close is shared by all kinds
        });
        // clang-format on
    }
}

TEST(ZuFileClass, GuardsClosedAndAlreadyOpenObjects) {
    ScratchDir dir;
    const std::string path = dir.file("obj");
    ZuFile f;
    char buf[8] = {};
    int high = 0;
    void* h = nullptr;
    // clang-format off
    expectRows({
        ROW(f.GetZuFileHandle() != nullptr, 0),      ROW(f.ReadZuFile(buf, 1, nullptr), 10001),
        ROW(f.WriteZuFile(buf, 1, nullptr), 10001),  ROW(f.SeekZuFile(0, 0, 0, 0), 10001),
        ROW(f.SeekZuFile(0, &high, 0, 1), 10001),    ROW(f.CloseZuFile(), 10001),
        ROW(f.IsZuFileIOComplete(0), 10001),         ROW(f.CancelZuFileIO(), 10001),
        ROW(f.GetZuFileSize(nullptr), 0),
        ROW(f.OpenZuFile(path.c_str(), 0, kRead), -2),  // missing
        ROW(f.GetZuFileHandle() != nullptr, 0),         // a failed open leaves it closed
        ROW(f.OpenZuFile(path.c_str(), kCreateAlways, kRead | kWrite | 128), 0),
        ROW(f.OpenZuFile(path.c_str(), kCreateAlways, kRead), 10002),
        ROW(f.IsZuFileIOComplete(0), 0),             ROW(f.CancelZuFileIO(), 0),
        ROW(f.WriteZuFile("0123456789", 10, nullptr), 0), ROW(f.GetZuFileSize(nullptr), 10),
        ROW(f.SeekZuFile(2, 1, 3, 0), 0),
        ROW(f.ReadZuFile(buf, 2, nullptr), 0),       ROW(std::string(buf) == "56", 1),
        // The 64-bit call sign-extends the low part and does not read the high one.
        AFTER(high = 12345, f.SeekZuFile(-3, &high, 2, 1), 4),  ROW(high, 12345),
        ROW(f.SeekZuFile(-100, nullptr, 2, 1), -2),
        AFTER(h = f.GetZuFileHandle(), f.CloseZuFile(), 0),
        ROW(f.GetZuFileHandle() != nullptr, 0),      ROW(ZuCloseFile(h), 10000),  // gone
    });
    // clang-format on
    {
        ZuFile scoped;
        ASSERT_EQ(scoped.OpenZuFile(std::wstring(path.begin(), path.end()).c_str(), 0, kRead), 0);
        h = scoped.GetZuFileHandle();
    }
    EXPECT_EQ(ZuCloseFile(h), 10000) << "the destructor closed it";
}

}  // namespace
