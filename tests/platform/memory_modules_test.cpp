#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "zugui/platform.h"

namespace {

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
    struct Case {
        void* block;
        int size;
    } refused[] = {
        {nullptr, 10000}, {&local, 4}, {p + 4096, 4096}, {p, 4096}, {p, 100000}, {p, 0}, {p, -1},
    };
    for (auto c : refused) EXPECT_EQ(ZuFree(c.block, c.size), -2) << c.size;
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
    EXPECT_EQ(ZuGetProcAddress(m, "no_such_symbol_here"), nullptr);
    EXPECT_EQ(ZuGetProcAddress(m, nullptr), nullptr);

    // Module file names: of the program and of the library, by handle or by an address in it.
    const std::string exe = executable();
    char name[4096];
    ASSERT_EQ(ZuGetModuleFileName(nullptr, name, sizeof name), 0);
    EXPECT_EQ(name, exe);
    wchar_t wide[4096];
    ASSERT_EQ(ZuGetModuleFileName(nullptr, wide, 4096), 0);
    EXPECT_EQ(std::wstring(wide), std::wstring(exe.begin(), exe.end()));

    ASSERT_EQ(ZuGetModuleFileName(m, name, sizeof name), 0);
    EXPECT_EQ(name[0], '/') << "a full path";
    EXPECT_NE(std::strstr(name, "libm"), nullptr) << name;
    // An address inside a loaded object names that object.
    ASSERT_EQ(ZuGetModuleFileName(ZuGetProcAddress(m, "cos"), wide, 4096), 0);
    EXPECT_EQ(std::wstring(wide), std::wstring(name, name + std::strlen(name)));

    // A name cut short by the buffer still counts; nothing written is a failure.
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ZuGetModuleFileName(nullptr, small, 4), 0);
    EXPECT_EQ(std::string(small), exe.substr(0, 3));
    EXPECT_EQ(ZuGetModuleFileName(nullptr, small, 1), -2);
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(ZuGetModuleFileName(nullptr, small, 0), -2);
    EXPECT_EQ(ZuGetModuleFileName(nullptr, static_cast<char*>(nullptr), 10), -2);
    EXPECT_EQ(ZuGetModuleFileName(reinterpret_cast<void*>(uintptr_t{16}), name, 100), -2);

    void* w = ZuLoadLibrary(L"libm.so.6");
    EXPECT_EQ(w, m) << "the same library, loaded twice";
    EXPECT_EQ(ZuFreeLibrary(w), 0);
    EXPECT_NE(ZuGetProcAddress(m, "cos"), nullptr) << "one load still stands";
    EXPECT_EQ(ZuFreeLibrary(m), 0);
    EXPECT_EQ(ZuGetProcAddress(m, "cos"), nullptr) << "freed: no longer ours";

    int local = 0;
    EXPECT_EQ(ZuLoadLibrary("libzu-no-such-library.so"), nullptr);
    EXPECT_EQ(ZuLoadLibrary(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(ZuLoadLibrary(static_cast<const wchar_t*>(nullptr)), nullptr);
    EXPECT_EQ(ZuGetProcAddress(nullptr, "cos"), nullptr);
    EXPECT_EQ(ZuGetProcAddress(&local, "cos"), nullptr);
    EXPECT_EQ(ZuFreeLibrary(nullptr), 0);
    EXPECT_EQ(ZuFreeLibrary(&local), 0);
}

TEST(Machine, ProcessorCountIsTheOnlineCount) {
    EXPECT_EQ(ZuGetNumProcs(), static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace
