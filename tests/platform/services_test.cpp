// The platform services a host calls beside the GUI: files and directories, memory blocks,
// shared libraries, text encodings and byte order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

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

TEST(Files, WidePathsDirectoriesDeletionAndDiskSpace) {
    ScratchDir dir;
    const std::string base = dir.file(""), sub = dir.file("sub"), inSub = dir.file("sub/f");
    const std::string narrow = base + "caf\xC3\xA9-\xF0\x9F\x8E\xAC";
    const std::wstring wbase(base.begin(), base.end()), wsub = wbase + L"r\u00e9p";
    const std::wstring wide = wbase + L"caf\u00e9-\U0001F3AC";
    const wchar_t surrogate[] = {L'/', L't', L'm', L'p', L'/', 0xD800, 0};
    struct stat st;
    // clang-format off
    expectRows({
        // Wide paths are UTF-8 on disk; a surrogate is not a code point.
        ROW(ZuCloseFile(ZuOpenFile(wide.c_str(), kCreateAlways, kWrite)), 0),
        ROW(stat(narrow.c_str(), &st), 0),  ROW(ZuDeleteFile(wide.c_str()), 0),
        ROW(stat(narrow.c_str(), &st), -1),
        ROW(ZuOpenFile(surrogate, kCreateAlways, kWrite) != nullptr, 0),
        ROW(ZuCreateDir(wsub.c_str()), 0),  ROW(ZuCreateDir(wsub.c_str()), -2),
        ROW(ZuRemoveDir(wsub.c_str()), 0),  ROW(ZuRemoveDir(wsub.c_str()), -2),
        ROW(ZuCreateDir(dir.file("sub/a/b").c_str()), -2),  // one level only
        ROW(ZuCreateDir(sub.c_str()), 0),
        AFTER(writeFile(inSub, "x"), ZuRemoveDir(sub.c_str()), -2),  // not empty
        ROW(ZuDeleteFile(sub.c_str()), -2),  // a directory is not deleted as a file
        ROW(ZuDeleteFile(inSub.c_str()), 0),  ROW(ZuDeleteFile(inSub.c_str()), -2),
        ROW(ZuRemoveDir(sub.c_str()), 0),
        ROW(ZuDeleteFile(static_cast<const char*>(nullptr)), 0),
        ROW(ZuDeleteFile(static_cast<const wchar_t*>(nullptr)), 0),
        ROW(ZuCreateDir(static_cast<const char*>(nullptr)), -2),
    });
    // clang-format on

    _ZuLargeInteger avail, total, free, untouched;
    avail.QuadPart = total.QuadPart = free.QuadPart = -1;
    ASSERT_EQ(ZuGetDiskFreeSpace(base.c_str(), avail, total, free), 0);
    EXPECT_GT(total.QuadPart, 0);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_LE(avail.QuadPart, free.QuadPart);
    untouched.QuadPart = 7;
    EXPECT_EQ(ZuGetDiskFreeSpace("/no/such/dir", untouched, untouched, untouched), -2);
    EXPECT_EQ(untouched.QuadPart, 7) << "written only on success";
}

// Bad file handles are the threads test's (Handles.BadHandlesAreAnsweredNotFollowed).
TEST(Files, UnavailableEntryPoints) {
    // clang-format off
    expectRows({
        ROW(ZuOpenDir("/tmp") != nullptr, 0),   ROW(ZuReadDir(nullptr), -1),
        ROW(ZuCloseDir(nullptr), -1),           ROW(ZuFileExist("/tmp"), -1),
        ROW(ZuFileExist("/no/such/file"), -1),  ROW(ZuFileExist(L"/tmp"), -1),
        ROW(ZuFileIOComplete(nullptr, 0), -1),
    });
    // clang-format on
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

TEST(Memory, BlocksArePageAlignedZeroFilledAndWritable) {
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    for (int size : {1, 4095, 4096, 4097, 3 * 1920 * 1080}) {
        auto* p = static_cast<unsigned char*>(ZuNew(size));
        ASSERT_NE(p, nullptr) << size;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % page, 0u);
        size_t nonZero = 0;
        for (int i = 0; i < size; ++i) nonZero += p[i] != 0;
        EXPECT_EQ(nonZero, 0u) << size;
        std::memset(p, 0xAB, static_cast<size_t>(size));
        EXPECT_EQ(ZuFree(p, size), 0) << size;
    }
    EXPECT_EQ(ZuNew(0), nullptr);
    EXPECT_EQ(ZuNew(-4096), nullptr);
}

TEST(Memory, FreeRefusesWhatIsNotOneOfOurBlocksAndReleasesNothing) {
    auto* p = static_cast<unsigned char*>(ZuNew(10000));  // three pages
    ASSERT_NE(p, nullptr);
    int local = 0;
    const std::pair<void*, int> refused[] = {
        {nullptr, 10000}, {&local, 4}, {p + 4096, 4096}, {p, 4096}, {p, 100000}, {p, 0}, {p, -1},
    };
    for (auto [block, size] : refused) EXPECT_EQ(ZuFree(block, size), -2) << size;
    p[10000 - 1] = 1;  // still mapped: the refused calls released nothing
    EXPECT_EQ(ZuFree(p, 12288), 0) << "a size of the same page count matches";
    EXPECT_EQ(ZuFree(p, 10000), -2) << "already given back";
}

std::string executable() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

TEST(Libraries, LoadLookUpNameAndFree) {
    void* m = ZuLoadLibrary("libm.so.6");
    ASSERT_NE(m, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(ZuGetProcAddress(m, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);

    // Module file names: of the program and of the library, by handle or by an address in it.
    const std::string exe = executable();
    const std::wstring wexe(exe.begin(), exe.end());
    char name[4096], small[4] = {'x', 'x', 'x', 'x'};
    wchar_t wide[4096];
    std::string lib;
    int local = 0;
    void* again = nullptr;
    // clang-format off
    expectRows({
        ROW(ZuGetProcAddress(m, "no_such_symbol_here") != nullptr, 0),
        ROW(ZuGetProcAddress(m, nullptr) != nullptr, 0),
        ROW(ZuGetModuleFileName(nullptr, name, sizeof name), 0),  ROW(name == exe, 1),
        ROW(ZuGetModuleFileName(nullptr, wide, 4096), 0),         ROW(wide == wexe, 1),
        ROW(ZuGetModuleFileName(m, name, sizeof name), 0),
        AFTER(lib = name, lib[0] == '/' && lib.find("libm") != std::string::npos, 1),  // full path
        // An address inside a loaded object names that object.
        ROW(ZuGetModuleFileName(ZuGetProcAddress(m, "cos"), wide, 4096), 0),
        ROW(std::wstring(wide) == std::wstring(lib.begin(), lib.end()), 1),
        // A name cut short by the buffer still counts; nothing written is a failure.
        ROW(ZuGetModuleFileName(nullptr, small, 4), 0),  ROW(std::string(small) == exe.substr(0, 3), 1),
        ROW(ZuGetModuleFileName(nullptr, small, 1), -2),  ROW(small[0], '\0'),
        ROW(ZuGetModuleFileName(nullptr, small, 0), -2),
        ROW(ZuGetModuleFileName(nullptr, static_cast<char*>(nullptr), 10), -2),
        ROW(ZuGetModuleFileName(reinterpret_cast<void*>(uintptr_t{16}), name, 100), -2),
        // The same library loaded twice: one load still stands after one free.
        AFTER(again = ZuLoadLibrary(L"libm.so.6"), again == m, 1),
        ROW(ZuFreeLibrary(again), 0),  ROW(ZuGetProcAddress(m, "cos") != nullptr, 1),
        ROW(ZuFreeLibrary(m), 0),  ROW(ZuGetProcAddress(m, "cos") != nullptr, 0),  // no longer ours
        ROW(ZuLoadLibrary("libzu-no-such-library.so") != nullptr, 0),
        ROW(ZuLoadLibrary(static_cast<const char*>(nullptr)) != nullptr, 0),
        ROW(ZuLoadLibrary(static_cast<const wchar_t*>(nullptr)) != nullptr, 0),
        ROW(ZuGetProcAddress(nullptr, "cos") != nullptr, 0),
        ROW(ZuGetProcAddress(&local, "cos") != nullptr, 0),
        ROW(ZuFreeLibrary(nullptr), 0),  ROW(ZuFreeLibrary(&local), 0),
    });
    // clang-format on
}

TEST(Machine, ProcessorCountIsTheOnlineCount) {
    EXPECT_EQ(ZuGetNumProcs(), static_cast<int>(std::thread::hardware_concurrency()));
}

using Bytes = std::vector<unsigned char>;

Bytes toUtf8(const std::wstring& in) {
    Bytes out(in.size() * 3 + 1, 0xEE);  // exactly the documented size
    out.push_back(0x77);                 // guard: must survive
    ZuWChar2UTF8(out.data(), in.c_str());
    EXPECT_EQ(out.back(), 0x77) << "wrote beyond three bytes per unit plus one";
    return Bytes(out.begin(),
                 out.begin() + static_cast<long>(std::strlen(reinterpret_cast<char*>(out.data()))));
}

std::wstring fromUtf8(const Bytes& in) {
    Bytes z(in);
    z.push_back(0);
    std::vector<wchar_t> out(z.size() + 1, L'#');
    ZuUTF82WChar(z.data(), out.data());
    return out.data();
}

TEST(Encoding, WideToUtf8AndToUtf16) {
    const std::tuple<std::wstring, Bytes, std::vector<unsigned short>> cases[] = {
        {L"", {}, {}},
        {L"A~", {0x41, 0x7E}, {0x41, 0x7E}},
        {L"\u00e9\u07ff", {0xC3, 0xA9, 0xDF, 0xBF}, {0xE9, 0x7FF}},
        {L"\u20ac", {0xE2, 0x82, 0xAC}, {0x20AC}},
        {L"\u0800\uffff", {0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}, {0x800, 0xFFFF}},
        // A lone surrogate as it is; beyond 16 bits U+FFFD, to stay in size.
        {std::wstring(1, wchar_t(0xD83C)), {0xED, 0xA0, 0xBC}, {0xD83C}},
        {L"\U0001F3AC", {0xEF, 0xBF, 0xBD}, {0xFFFD}},
    };
    for (const auto& [in, utf8, utf16] : cases) {
        EXPECT_EQ(toUtf8(in), utf8) << in.size();
        // One unit each, then the terminator, and the guard after it untouched.
        std::vector<unsigned short> out(in.size() + 2, 0x7777), want = utf16;
        ZuWChar2UTF16(out.data(), in.c_str());
        want.insert(want.end(), {0, 0x7777});
        EXPECT_EQ(out, want) << in.size();
    }
}

TEST(Encoding, Utf8ToWideFollowsTheLeadByteOnly) {
    const std::pair<Bytes, std::wstring> cases[] = {
        {{}, L""},
        {{0x41, 0x7F}, L"A\x7f"},
        {{0xC3, 0xA9}, L"\u00e9"},
        {{0xE2, 0x82, 0xAC, 0x41}, L"\u20acA"},
        {{0xC3, 0x29}, L"\u00e9"},  // continuation bytes are not checked: 0x29 & 0x3F = 0x29
        // A four-byte lead takes three bytes, (0xF0 << 12 | 0x1F << 6 | 0x0E) kept to 16 bits,
        // and the fourth byte, a lead of two, meets the terminator.
        {{0xF0, 0x9F, 0x8E, 0xAC}, std::wstring(1, wchar_t(0x07CE))},
        {{0x41, 0xE2, 0x82}, L"A"},  // cut short by the terminator: the text ends there
        {{0xC3}, L""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(fromUtf8(in), out) << in.size();
}

TEST(Encoding, Utf16ToWideJoinsSurrogatePairs) {
    const std::pair<std::vector<unsigned short>, std::wstring> cases[] = {
        {{}, L""},
        {{0x41, 0x20AC}, L"A\u20ac"},
        {{0xD83C, 0xDFAC, 0x41}, L"\U0001F3ACA"},
        {{0xDBFF, 0xDFFF}, L"\U0010FFFF"},
        {{0xD83C, 0x41}, std::wstring(1, wchar_t(0xD83C)) + L"A"},  // unpaired: copied
        {{0xDFAC, 0xD83C}, std::wstring{wchar_t(0xDFAC), wchar_t(0xD83C)}},
    };
    for (auto [in, want] : cases) {
        in.push_back(0);
        std::vector<wchar_t> out(in.size() + 1, L'#');
        ZuUTF162WChar(in.data(), out.data());
        EXPECT_EQ(std::wstring(out.data()), want);
    }
}

TEST(Encoding, NullPointersDoNothing) {
    unsigned char u8[4] = {9, 9, 9, 9};
    wchar_t w[4] = {9, 9, 9, 9};
    unsigned short u16[4] = {9, 9, 9, 9};
    EXPECT_EQ(
        std::tuple(ZuWChar2UTF8(u8, nullptr), ZuWChar2UTF8(nullptr, L"x"), ZuUTF82WChar(nullptr, w),
                   ZuUTF162WChar(nullptr, w), ZuWChar2UTF16(u16, nullptr)),
        std::tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(std::tuple(u8[0], w[0], u16[0]), std::tuple(9, 9, 9));  // outputs untouched
}

TEST(ByteOrder, SwapsReverseBytesOnlyWhenAsked) {
    // Any non-zero flag swaps.
    EXPECT_EQ(std::tuple(ZuSwapUI4(0x11223344u, 1), ZuSwapUI4(0x11223344u, 0),
                         ZuSwapUI4(0x11223344u, 0x80), ZuSwapUI2(0xABCD, 1), ZuSwapUI2(0xABCD, 0)),
              std::tuple(0x44332211u, 0x11223344u, 0x44332211u, 0xCDAB, 0xABCD));

    const float f = 1.5f;  // 0x3FC00000
    const float swapped = ZuSwapF4(f, 1);
    unsigned bits;
    std::memcpy(&bits, &swapped, 4);
    EXPECT_EQ(std::tuple(bits, ZuSwapF4(swapped, 1), ZuSwapF4(f, 0)),
              std::tuple(0x0000C03Fu, f, f));
}

}  // namespace
