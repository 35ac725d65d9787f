// Files and directories on open(2) and friends.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/handles.h"
#include "platform/path_text.h"
#include "zugui/platform.h"

namespace zu::detail {
namespace {

struct FileObject final : Object {
    FileObject(int fd, bool canRead, bool canWrite)
        : Object(Kind::File), fd(fd), canRead(canRead), canWrite(canWrite) {}
    ~FileObject() override {
        if (fd >= 0) ::close(fd);
    }
    // While another thread is still inside a read or write the descriptor stays open
    // until it is done, so it cannot be reused under that call.
    bool onClose(bool last) override {
        if (!last) return true;
        int r = ::close(fd);
        fd = -1;
        return r == 0 || errno == EINTR;  // after EINTR the descriptor is gone on Linux
    }
    int fd;
    const bool canRead;
    const bool canWrite;
};

std::shared_ptr<FileObject> fileOf(void* handle) {
    return findHandleOf<FileObject>(handle, Kind::File);
}

int whenceOf(int origin) {
    return origin == 2 ? SEEK_CUR : origin == 3 ? SEEK_END : SEEK_SET;
}

void* openFile(const char* path, int mode, int flags) {
    if (!path || !*path) return nullptr;
    const bool read = flags & 4, write = flags & 2;
    int oflags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    if (mode & 2)
        oflags |= O_CREAT | O_TRUNC;
    else if (mode & 4)
        oflags |= O_CREAT | O_EXCL;
    int fd = -1;
    if (flags & 1) fd = ::open(path, oflags | O_DIRECT, 0666);
    if (fd < 0 && (!(flags & 1) || errno == EINVAL)) fd = ::open(path, oflags, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {  // a directory is not a file
        ::close(fd);
        return nullptr;
    }
    return addHandle(std::make_shared<FileObject>(fd, read, write));
}

template <class F>
auto withUtf8(const wchar_t* path, F f, decltype(f(nullptr)) failure) {
    std::string narrow;
    if (!wideToUtf8(path, narrow)) return failure;
    return f(narrow.c_str());
}

int seekBy(void* file, int64_t distance, int origin, int64_t* position) {
    auto f = fileOf(file);
    if (!f) return -2;
    off_t at = lseek(f->fd, static_cast<off_t>(distance), whenceOf(origin));
    if (at < 0) return -2;
    *position = at;
    return 0;
}

}  // namespace
}  // namespace zu::detail

using namespace zu::detail;

ZUAPI ZuErr ZuCreateDir(const char* path) {
    return path && mkdir(path, 0777) == 0 ? 0 : -2;
}
ZUAPI ZuErr ZuCreateDir(const wchar_t* path) {
    return withUtf8(
        path, [](const char* p) { return ZuCreateDir(p); }, -2);
}

ZUAPI ZuErr ZuRemoveDir(const char* path) {
    return path && rmdir(path) == 0 ? 0 : -2;
}
ZUAPI ZuErr ZuRemoveDir(const wchar_t* path) {
    return withUtf8(
        path, [](const char* p) { return ZuRemoveDir(p); }, -2);
}

ZUAPI ZuErr ZuDeleteFile(const char* path) {
    if (!path) return 0;
    return unlink(path) == 0 ? 0 : -2;
}
ZUAPI ZuErr ZuDeleteFile(const wchar_t* path) {
    if (!path) return 0;
    return withUtf8(
        path, [](const char* p) { return ZuDeleteFile(p); }, -2);
}

ZUAPI ZuErr ZuGetDiskFreeSpace(const char* path, _ZuLargeInteger& freeToCaller,
                               _ZuLargeInteger& totalBytes, _ZuLargeInteger& totalFree) {
    struct statvfs vfs;
    if (statvfs(path ? path : ".", &vfs) != 0) return -2;
    const auto unit = static_cast<int64_t>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    freeToCaller.QuadPart = static_cast<int64_t>(vfs.f_bavail) * unit;
    totalBytes.QuadPart = static_cast<int64_t>(vfs.f_blocks) * unit;
    totalFree.QuadPart = static_cast<int64_t>(vfs.f_bfree) * unit;
    return 0;
}
ZUAPI ZuErr ZuGetDiskFreeSpace(const wchar_t* path, _ZuLargeInteger& freeToCaller,
                               _ZuLargeInteger& totalBytes, _ZuLargeInteger& totalFree) {
    if (!path)
        return ZuGetDiskFreeSpace(static_cast<const char*>(nullptr), freeToCaller, totalBytes,
                                  totalFree);
    return withUtf8(
        path,
        [&](const char* p) { return ZuGetDiskFreeSpace(p, freeToCaller, totalBytes, totalFree); },
        -2);
}

ZUAPI void* ZuOpenFile(const char* path, int mode, int flags) {
    return openFile(path, mode, flags);
}
ZUAPI void* ZuOpenFile(const wchar_t* path, int mode, int flags) {
    return withUtf8(
        path, [&](const char* p) { return openFile(p, mode, flags); }, static_cast<void*>(nullptr));
}

ZUAPI ZuErr ZuReadFile(void* file, void* buffer, int count, ZuOverlapped*) {
    auto f = fileOf(file);
    if (!f || !f->canRead || count < 0 || (!buffer && count > 0)) return -2;
    auto* at = static_cast<char*>(buffer);
    size_t left = static_cast<size_t>(count);
    while (left > 0) {
        ssize_t n = ::read(f->fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -2;
        if (n == 0) break;  // end of file: a short read still succeeds
        at += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

ZUAPI ZuErr ZuWriteFile(void* file, const void* buffer, int count, ZuOverlapped*) {
    auto f = fileOf(file);
    if (!f || !f->canWrite || count < 0 || (!buffer && count > 0)) return -2;
    auto* at = static_cast<const char*>(buffer);
    size_t left = static_cast<size_t>(count);
    while (left > 0) {
        ssize_t n = ::write(f->fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -2;
        at += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

ZUAPI ZuErr ZuSeekFile(void* file, int offset, int count, int size, int origin) {
    int64_t position;
    const int64_t distance = int64_t{offset} + int64_t{count} * int64_t{size};
    return seekBy(file, distance, origin, &position);
}

ZUAPI int ZuSeekFile(void* file, int offsetLow, int* offsetHigh, int origin) {
    int64_t distance = offsetLow;  // without a high part, low is a signed 32-bit distance
    if (offsetHigh)
        distance =
            static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*offsetHigh)) << 32) |
                                 static_cast<uint32_t>(offsetLow));
    int64_t position;
    if (seekBy(file, distance, origin, &position) != 0) return -2;
    if (offsetHigh) *offsetHigh = static_cast<int>(static_cast<uint64_t>(position) >> 32);
    const auto low = static_cast<uint32_t>(position);
    // The classic call answers "failure value, no error" here, which the wrapper turns to 0.
    if (low == 0xFFFFFFFFu) return 0;
    return static_cast<int>(low);
}

ZUAPI unsigned int ZuGetFileSize(void* file, unsigned int* sizeHigh) {
    auto f = fileOf(file);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0) return 0xFFFFFFFFu;
    const auto size = static_cast<uint64_t>(st.st_size);
    if (sizeHigh) *sizeHigh = static_cast<unsigned>(size >> 32);
    return static_cast<unsigned>(size);
}

ZUAPI ZuErr ZuCloseFile(void* file) {
    return closeHandle(file);
}

ZUAPI void* ZuOpenDir(const char*) {
    return nullptr;
}
ZUAPI ZuErr ZuReadDir(void*) {
    return -1;
}
ZUAPI ZuErr ZuCloseDir(void*) {
    return -1;
}
ZUAPI ZuErr ZuFileExist(const char*) {
    return -1;
}
ZUAPI ZuErr ZuFileExist(const wchar_t*) {
    return -1;
}
ZUAPI ZuErr ZuFileIOComplete(void*, int) {
    return -1;
}

ZuFile::ZuFile() : m_handle(nullptr), m_async(0), m_request{0, 0, 0} {}

ZuFile::~ZuFile() {
    if (m_handle) ZuCloseFile(m_handle);
}

ZuErr ZuFile::OpenZuFile(const char* path, int mode, int flags) {
    if (m_handle) return 10002;
    void* h = ZuOpenFile(path, mode, flags);
    if (!h) return -2;
    m_handle = h;
    m_async = (flags & 128) ? 1 : 0;
    return 0;
}

ZuErr ZuFile::OpenZuFile(const wchar_t* path, int mode, int flags) {
    if (m_handle) return 10002;
    void* h = ZuOpenFile(path, mode, flags);
    if (!h) return -2;
    m_handle = h;
    m_async = (flags & 128) ? 1 : 0;
    return 0;
}

ZuErr ZuFile::ReadZuFile(void* buffer, int count, ZuOverlapped* overlapped) {
    return m_handle ? ZuReadFile(m_handle, buffer, count, overlapped) : 10001;
}

ZuErr ZuFile::WriteZuFile(const void* buffer, int count, ZuOverlapped* overlapped) {
    return m_handle ? ZuWriteFile(m_handle, buffer, count, overlapped) : 10001;
}

ZuErr ZuFile::SeekZuFile(int offset, int count, int size, int origin) {
    return m_handle ? ZuSeekFile(m_handle, offset, count, size, origin) : 10001;
}

int ZuFile::SeekZuFile(int offsetLow, int* offsetHigh, int origin, unsigned char use64) {
    if (!m_handle) return 10001;
    if (!use64) return ZuSeekFile(m_handle, offsetLow, offsetHigh, origin);
    int64_t position;
    if (seekBy(m_handle, offsetLow, origin, &position) != 0) return -2;
    return static_cast<int>(static_cast<uint32_t>(position));
}

ZuErr ZuFile::CloseZuFile() {
    if (!m_handle) return 10001;
    ZuCloseFile(m_handle);
    m_handle = nullptr;
    m_request[0] = m_request[1] = m_request[2] = 0;
    return 0;
}

ZuErr ZuFile::IsZuFileIOComplete(int) {
    return m_handle ? 0 : 10001;
}

ZuErr ZuFile::CancelZuFileIO() {
    if (!m_handle) return 10001;
    // Nothing is ever pending: input and output are synchronous.
    m_request[2] = 0;
    return 0;
}

void* ZuFile::GetZuFileHandle() {
    return m_handle;
}

unsigned int ZuFile::GetZuFileSize(unsigned int* sizeHigh) {
    return m_handle ? ZuGetFileSize(m_handle, sizeHigh) : 0;
}
