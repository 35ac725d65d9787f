/// \file
/// Platform services: files, threads, synchronisation, libraries, memory, text encoding,
/// byte order, and the host message loop.
///
/// Handles are opaque: null means none. Every handle a creator returns is the caller's to
/// close. A handle that is null, already closed, of another kind or not one of ours is
/// answered with -2 (10000 from the close operations, null from creators), never followed.
/// Every function here may be called from any thread, except the message-loop functions,
/// which act on the calling thread's queue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zugui/types.h"

// ---- Files and directories ------------------------------------------------------------
// Wide paths are converted to UTF-8, the encoding of file names on this system.

/// A 64-bit value seen whole or as two 32-bit halves.
union _ZuLargeInteger {
    /// The halves.
    struct {
        uint32_t LowPart;  ///< Low 32 bits.
        int32_t HighPart;  ///< High 32 bits.
    } u;
    int64_t QuadPart;  ///< The whole value.
};

/// Accepted by the read and write operations and not used: all input and output is
/// synchronous.
struct ZuOverlapped {
    uintptr_t Internal;      ///< Not used.
    uintptr_t InternalHigh;  ///< Not used.
    uint32_t Offset;         ///< Not used.
    uint32_t OffsetHigh;     ///< Not used.
    void* hEvent;            ///< Not used.
};

/// One directory level; the parent must exist. 0 / -2.
ZUAPI ZuErr ZuCreateDir(const char* path);
/// The same with a wide path.
ZUAPI ZuErr ZuCreateDir(const wchar_t* path);
/// The directory must be empty. 0 / -2.
ZUAPI ZuErr ZuRemoveDir(const char* path);
/// The same with a wide path.
ZUAPI ZuErr ZuRemoveDir(const wchar_t* path);
/// 0 / -2; a null path answers 0.
ZUAPI ZuErr ZuDeleteFile(const char* path);
/// The same with a wide path.
ZUAPI ZuErr ZuDeleteFile(const wchar_t* path);
/// Bytes free to the caller, total bytes and total free bytes of the file system holding
/// path (the current directory when null); written only on success. 0 / -2.
ZUAPI ZuErr ZuGetDiskFreeSpace(const char* path, _ZuLargeInteger& freeToCaller,
                               _ZuLargeInteger& totalBytes, _ZuLargeInteger& totalFree);
/// The same with a wide path.
ZUAPI ZuErr ZuGetDiskFreeSpace(const wchar_t* path, _ZuLargeInteger& freeToCaller,
                               _ZuLargeInteger& totalBytes, _ZuLargeInteger& totalFree);

/// mode: 2 create always (truncates), 4 create new (fails when the file exists, used only
/// without 2), neither: open existing.
/// flags: 1 unbuffered, 2 write, 4 read, 8 share reading, 16 share writing, 128 asynchronous.
/// Unbuffered opens with O_DIRECT, so reads and writes then need buffers, sizes and offsets
/// aligned to the device's block size (ZuNew blocks are page-aligned); where the file
/// system refuses O_DIRECT (tmpfs, for one) the file is opened buffered instead.
/// The sharing bits are accepted and have no effect: POSIX has no mandatory sharing, every
/// opener may read and write alongside the others.
/// Asynchronous only marks the handle; input and output stay synchronous.
/// Directories are not opened. Returns the handle, or null.
ZUAPI void* ZuOpenFile(const char* path, int mode, int flags);
/// The same with a wide path.
ZUAPI void* ZuOpenFile(const wchar_t* path, int mode, int flags);
/// Transfer count bytes in one synchronous operation. A short read at the end of the file
/// still answers 0; reading without read access or writing without write access gives -2.
ZUAPI ZuErr ZuReadFile(void* file, void* buffer, int count, ZuOverlapped* overlapped);
/// The same, writing.
ZUAPI ZuErr ZuWriteFile(void* file, const void* buffer, int count, ZuOverlapped* overlapped);
/// origin: 2 from the current position, 3 from the end, any other value from the start.
/// Moves by offset + count * size (64-bit). 0 / -2.
ZUAPI ZuErr ZuSeekFile(void* file, int offset, int count, int size, int origin);
/// Moves by the 64-bit distance high:low, or by low alone (sign-extended) when high is null.
/// Returns the new position's low 32 bits and writes the high part back through high; -2 on
/// failure. A new position whose low 32 bits are all set answers 0, as it always has.
ZUAPI int ZuSeekFile(void* file, int offsetLow, int* offsetHigh, int origin);
/// The size's low 32 bits (high part through sizeHigh when given); all bits set on failure.
ZUAPI unsigned int ZuGetFileSize(void* file, unsigned int* sizeHigh);
/// Closes a file, thread, event, semaphore or mutex handle: 0, or 10000 when refused.
ZUAPI ZuErr ZuCloseFile(void* file);

// Not available: directory enumeration, existence tests and asynchronous completion.
ZUAPI void* ZuOpenDir(const char* path);             ///< Not available: null.
ZUAPI ZuErr ZuReadDir(void* dir);                    ///< Not available: -1.
ZUAPI ZuErr ZuCloseDir(void* dir);                   ///< Not available: -1.
ZUAPI ZuErr ZuFileExist(const char* path);           ///< Not available: -1.
ZUAPI ZuErr ZuFileExist(const wchar_t* path);        ///< Not available: -1.
ZUAPI ZuErr ZuFileIOComplete(void* file, int wait);  ///< Not available: -1.

/// Owns one file handle. 10001 when no handle is open, 10002 when one already is. Copying
/// copies the handle value only: close it through one copy (the others then answer -2).
class ZUAPI ZuFile {
  public:
    /// No handle open.
    ZuFile();
    /// Closes an open handle.
    ~ZuFile();

    /// ZuOpenFile into this object: 0, -2 when the open fails, 10002 when one is open.
    ZuErr OpenZuFile(const char* path, int mode, int flags);
    /// The same with a wide path.
    ZuErr OpenZuFile(const wchar_t* path, int mode, int flags);
    /// ZuReadFile on the handle; 10001 when closed.
    ZuErr ReadZuFile(void* buffer, int count, ZuOverlapped* overlapped);
    /// ZuWriteFile on the handle; 10001 when closed.
    ZuErr WriteZuFile(const void* buffer, int count, ZuOverlapped* overlapped);
    /// ZuSeekFile (offset + count * size) on the handle; 10001 when closed.
    ZuErr SeekZuFile(int offset, int count, int size, int origin);
    /// ZuSeekFile (high:low) on the handle; 10001 when closed.
    /// With use64 the distance is offsetLow sign-extended and offsetHigh is not read.
    int SeekZuFile(int offsetLow, int* offsetHigh, int origin, unsigned char use64);
    /// Closes the handle: 0, or 10001 when none is open.
    ZuErr CloseZuFile();
    /// Input and output are synchronous, so always complete: 0, or 10001 when closed.
    ZuErr IsZuFileIOComplete(int wait);
    /// Nothing is ever pending: 0, or 10001 when closed.
    ZuErr CancelZuFileIO();
    /// The handle, or null; it stays the object's.
    void* GetZuFileHandle();
    /// ZuGetFileSize on the handle; 0 when closed.
    unsigned int GetZuFileSize(unsigned int* sizeHigh);

  private:
    void* m_handle;
    unsigned char m_async;
    int m_request[3];
};

// ---- Threads ----------------------------------------------------------------------------
/// Starts routine(argument) on a new thread; the handle, or null.
/// priority: 0 lowest, 1 normal, 2 highest, 3 time-critical, other values normal. On Linux:
/// - normal: SCHED_OTHER at the process's nice value
/// - lowest: SCHED_OTHER, nice + 10
/// - highest: SCHED_OTHER, nice - 5
/// - time-critical: SCHED_RR priority 10; where refused, SCHED_OTHER with nice - 10
///
/// (nice clamped to -20..19). Settings the system refuses (no CAP_SYS_NICE) leave the thread at
/// what it inherited, quietly. affinity: bit n allows processor n; -1 leaves it as the
/// system chose; a mask naming no usable processor is ignored.
/// The thread does not run before its priority and affinity are set. threadId receives the
/// system thread id (gettid). The third argument has no effect.
ZUAPI void* ZuCreateThread(int (*routine)(void*), void* argument, int unused, int priority,
                           int affinity, unsigned long* threadId);
/// Ends the calling thread with that code; its stack is unwound, destructors run.
ZUAPI void ZuThreadExit(int code);
/// The exit code, or 259 while the thread runs. 0 / -2.
ZUAPI ZuErr ZuGetExitCodeThread(void* thread, unsigned int* code);
/// There is no safe way to kill a thread on POSIX, so termination is cooperative: the thread
/// ends with code at its next safe point (ZuSleep, a ZuWaitFor... / ZuMutexWait, or its own
/// ZuSuspendThread), being woken there at once; called on itself it ends at once. A thread
/// that never reaches a safe point runs on until its routine returns, and its exit code is
/// then code. The handle stays waitable: wait on it to know when the thread has ended.
/// 0 / -2; an ended thread keeps its code.
ZUAPI ZuErr ZuTerminateThread(void* thread, unsigned int code);
/// Suspension is cooperative too: a suspended thread pauses at its next safe point until its
/// suspend count is back to 0. 0 / -2 (-2 beyond 127 suspensions).
ZUAPI ZuErr ZuSuspendThread(void* thread);
/// Takes one suspension back; at 0 the thread goes on. 0 / -2.
ZUAPI ZuErr ZuResumeThread(void* thread);
/// Closes the handle: 0 / 10000; the thread runs on.
ZUAPI ZuErr ZuCloseThread(void* thread);
/// Negative values sleep 0 (yield).
ZUAPI void ZuSleep(int milliseconds);

// ---- Synchronisation --------------------------------------------------------------------
/// Time-outs are milliseconds: 0 polls, -1 waits for ever, other negative values answer -2
/// at once. A wait gives 0 when the object was signalled (an auto-reset event is reset and a
/// semaphore count taken), -2 on time-out or a bad handle. A thread handle is signalled
/// once the thread has ended.
/// Names are shared within the process: creating an object under a live name returns a new
/// handle to that object (its initial state is not reapplied); a name held by another kind
/// of object, or longer than 260 characters, gives null. Null or "" is unnamed.
///
/// Creates an event: manual-reset (stays signalled until reset) or auto-reset (one wait
/// resets it), signalled at once when initialState is non-zero. The handle, or null.
ZUAPI void* ZuCreateEvent(unsigned char manualReset, unsigned char initialState, const char* name);
/// Signals the event, waking its waiters (one, for an auto-reset event). 0 / -2.
ZUAPI ZuErr ZuSetEvent(void* event);
/// Clears the event. 0 / -2.
ZUAPI ZuErr ZuResetEvent(void* event);
/// Waits for the event, as described at ZuCreateEvent.
ZUAPI ZuErr ZuWaitForEvent(void* event, int timeoutMs);
/// Closes the handle: 0 / 10000.
ZUAPI ZuErr ZuCloseEvent(void* event);
/// Creates a counting semaphore; names as for ZuCreateEvent.
/// Null unless 0 <= initialCount <= maximumCount and maximumCount > 0.
ZUAPI void* ZuCreateSemaphore(int initialCount, int maximumCount, const char* name);
/// Takes one count, waiting as described at ZuCreateEvent.
ZUAPI ZuErr ZuWaitForSemaphore(void* semaphore, int timeoutMs);
/// Adds 1; -2 when the count is at its maximum.
ZUAPI ZuErr ZuReleaseSemaphore(void* semaphore);
/// Closes the handle: 0 / 10000.
ZUAPI ZuErr ZuCloseSemaphore(void* semaphore);
/// A binary semaphore, not an owned lock: any thread may release it, a thread that waits
/// twice without releasing blocks itself, and releasing a free mutex answers -2.
/// Creates it free; the handle, or null.
ZUAPI void* ZuMutexCreate();
/// Takes it, waiting as described at ZuCreateEvent.
ZUAPI ZuErr ZuMutexWait(void* mutex, int timeoutMs);
/// Frees it. 0 / -2.
ZUAPI ZuErr ZuMutexRelease(void* mutex);
/// Closes the handle: 0 / 10000.
ZUAPI ZuErr ZuMutexClose(void* mutex);

// ---- Libraries, memory, machine ---------------------------------------------------------
/// dlopen(RTLD_NOW | RTLD_LOCAL): a library name is searched as the dynamic linker does, a
/// path with '/' is taken as it is. Null on failure or for a null path.
ZUAPI void* ZuLoadLibrary(const char* path);
/// The same with a wide path.
ZUAPI void* ZuLoadLibrary(const wchar_t* path);
/// Null for a module that ZuLoadLibrary did not return or a missing name.
ZUAPI void* ZuGetProcAddress(void* module, const char* name);
/// Closes a module from ZuLoadLibrary. Always 0.
ZUAPI ZuErr ZuFreeLibrary(void* module);
/// size bytes of zero-filled, page-aligned read-write memory (mmap), or null for size <= 0
/// or when refused.
ZUAPI void* ZuNew(int size);
/// Gives back a block from ZuNew: 0, or -2 with nothing released when the block is not one
/// of ours or size does not cover the same pages it was allocated with.
ZUAPI ZuErr ZuFree(void* block, int size);
/// Full path of a module (null: the executable; a handle from ZuLoadLibrary or any address
/// inside a loaded object). size is in characters, including the terminator; a name cut
/// short still answers 0 (never inside a character), -2 when nothing was written.
ZUAPI ZuErr ZuGetModuleFileName(void* module, char* buffer, int size);
/// The same into a wide buffer.
ZUAPI ZuErr ZuGetModuleFileName(void* module, wchar_t* buffer, int size);
/// Processors the system has online (affinity bits count from these).
ZUAPI int ZuGetNumProcs();

// ---- Text encoding and byte order -------------------------------------------------------
/// Zero-terminated strings; the caller sizes every output: UTF-8 up to three bytes per
/// input unit plus one, the others one unit per input unit plus one. Null pointers do
/// nothing. All answer 0. wchar_t is 32 bits here and holds whole code points.
/// Units up to 0xFFFF as one to three bytes (surrogates one by one); code points above
/// 0xFFFF do not fit the sizing rule and become U+FFFD.
ZUAPI ZuErr ZuWChar2UTF8(unsigned char* out, const wchar_t* in);
/// One to three bytes per unit; a lead byte with its top three bits set takes three bytes.
/// Continuation bytes are not checked; a sequence cut short by the terminator ends the text.
ZUAPI ZuErr ZuUTF82WChar(const unsigned char* in, wchar_t* out);
/// Surrogate pairs become one code point; other units are copied.
ZUAPI ZuErr ZuUTF162WChar(const unsigned short* in, wchar_t* out);
/// One unit per wchar_t; code points above 0xFFFF become U+FFFD.
ZUAPI ZuErr ZuWChar2UTF16(unsigned short* out, const wchar_t* in);
/// With swap 0 the value comes back unchanged, otherwise with its bytes reversed.
ZUAPI unsigned int ZuSwapUI4(unsigned int value, unsigned char swap);
/// The same for a 16-bit value.
ZUAPI unsigned short ZuSwapUI2(unsigned short value, unsigned char swap);
/// The same for a 32-bit float.
ZUAPI float ZuSwapF4(float value, unsigned char swap);

// ---- Host message loop ------------------------------------------------------------
// The library runs no loop of its own: the thread that called ZUInitGUI pumps these.

/// One message of the host loop. The numbering is the classic one (WM_LBUTTONDOWN = 0x0201
/// and so on); pass the record to ZuDispatchMessage unchanged.
struct ZuMSG {
    void* window;  ///< X11 Window id of the target window
    unsigned int message;  ///< Message number.
    uintptr_t wParam;      ///< First parameter.
    intptr_t lParam;       ///< Second parameter.
    unsigned int time;  ///< Time stamp, milliseconds
};

/// Waits for the next message of the calling thread: 1 for a message, 0 after
/// ZuPostQuitMessage, -1 when the display connection is gone.
ZUAPI int ZuGetMessage(ZuMSG* msg);
/// 1 when a message was waiting (removed when remove != 0), else 0; never waits.
ZUAPI int ZuPeekMessage(ZuMSG* msg, int remove);
/// Calls the target window's procedure and returns its result.
ZUAPI intptr_t ZuDispatchMessage(const ZuMSG* msg);
/// Makes the calling thread's ZuGetMessage answer 0; code is not used.
ZUAPI void ZuPostQuitMessage(int code);
/// A descriptor that is readable while a message waits, for hosts that poll several sources.
ZUAPI int ZuGetMessageFd(void);

// ---- Failures the library cannot return -------------------------------------------

/// Receives one line of text, without a line break, for each failure that no result code
/// can report: why ZUInitGUI could not open the display or make its window, a shader's
/// compile or link log, an X error on the library's own display connections that no call
/// was waiting for, a GL context that could not be made, a font face that was not found or
/// could not be read, a cursor file that could not be read. `context` is the pointer given
/// to ZuSetErrorCallback.
typedef void (*ZuErrorCallback)(const char* line, void* context);

/// Installs the error callback; null removes it. Without one nothing is reported and
/// nothing is printed, unless the environment variable ZUGUI_LOG is set (to anything):
/// then each line goes to standard error after "zugui: ". The callback may run on any
/// thread of the library (the GUI, render and display threads), possibly on several at
/// once, and must not call the library.
ZUAPI void ZuSetErrorCallback(ZuErrorCallback callback, void* context);

/// Width in pixels of the primary display (the primary monitor); 0 without a display.
ZUAPI int ZuGetPrimaryDisplayXSize();
/// Height in pixels of the primary display; 0 without a display.
ZUAPI int ZuGetPrimaryDisplayYSize();
