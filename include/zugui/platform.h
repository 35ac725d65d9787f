// Platform services: files, threads, synchronisation, libraries, memory, text encoding,
// byte order, and the host message loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zugui/types.h"

// Handles are opaque: null means none. Every handle a creator returns is the caller's to
// close. A handle that is null, already closed, of another kind or not one of ours is
// answered with -2 (10000 from the close operations, null from creators), never followed.

// ---- Threads ----------------------------------------------------------------------------
// priority: 0 lowest, 1 normal, 2 highest, 3 time-critical, other values normal. On Linux:
//   normal         SCHED_OTHER at the process's nice value
//   lowest         SCHED_OTHER, nice + 10
//   highest        SCHED_OTHER, nice - 5
//   time-critical  SCHED_RR priority 10; where refused, SCHED_OTHER with nice - 10
// (clamped to -20..19). Settings the system refuses (no CAP_SYS_NICE) leave the thread at
// what it inherited, quietly. affinity: bit n allows processor n; -1 leaves it as the
// system chose; a mask naming no usable processor is ignored.
// The thread does not run before its priority and affinity are set. threadId receives the
// system thread id (gettid). The third argument has no effect.
ZUAPI void* ZuCreateThread(int (*routine)(void*), void* argument, int unused, int priority,
                           int affinity, unsigned long* threadId);
// Ends the calling thread with that code; its stack is unwound, destructors run.
ZUAPI void ZuThreadExit(int code);
// The exit code, or 259 while the thread runs. 0 / -2.
ZUAPI ZuErr ZuGetExitCodeThread(void* thread, unsigned int* code);
// There is no safe way to kill a thread on POSIX, so termination is cooperative: the thread
// ends with code at its next safe point (ZuSleep, a ZuWaitFor... / ZuMutexWait, or its own
// ZuSuspendThread), being woken there at once; called on itself it ends at once. A thread
// that never reaches a safe point runs on until its routine returns, and its exit code is
// then code. The handle stays waitable: wait on it to know when the thread has ended.
// 0 / -2; an ended thread keeps its code.
ZUAPI ZuErr ZuTerminateThread(void* thread, unsigned int code);
// Suspension is cooperative too: a suspended thread pauses at its next safe point until its
// suspend count is back to 0. 0 / -2 (-2 beyond 127 suspensions).
ZUAPI ZuErr ZuSuspendThread(void* thread);
ZUAPI ZuErr ZuResumeThread(void* thread);
ZUAPI ZuErr ZuCloseThread(void* thread);  // 0 / 10000; the thread runs on
// Negative values sleep 0 (yield).
ZUAPI void ZuSleep(int milliseconds);

// ---- Synchronisation --------------------------------------------------------------------
// Time-outs are milliseconds: 0 polls, -1 waits for ever, other negative values answer -2
// at once. A wait gives 0 when the object was signalled (an auto-reset event is reset and a
// semaphore count taken), -2 on time-out or a bad handle. A thread handle is signalled
// once the thread has ended.
// Names are shared within the process: creating an object under a live name returns a new
// handle to that object (its initial state is not reapplied); a name held by another kind
// of object, or longer than 260 characters, gives null. Null or "" is unnamed.
ZUAPI void* ZuCreateEvent(unsigned char manualReset, unsigned char initialState, const char* name);
ZUAPI ZuErr ZuSetEvent(void* event);
ZUAPI ZuErr ZuResetEvent(void* event);
ZUAPI ZuErr ZuWaitForEvent(void* event, int timeoutMs);
ZUAPI ZuErr ZuCloseEvent(void* event);
// Null unless 0 <= initialCount <= maximumCount and maximumCount > 0.
ZUAPI void* ZuCreateSemaphore(int initialCount, int maximumCount, const char* name);
ZUAPI ZuErr ZuWaitForSemaphore(void* semaphore, int timeoutMs);
// Adds 1; -2 when the count is at its maximum.
ZUAPI ZuErr ZuReleaseSemaphore(void* semaphore);
ZUAPI ZuErr ZuCloseSemaphore(void* semaphore);
// A binary semaphore, not an owned lock: any thread may release it, a thread that waits
// twice without releasing blocks itself, and releasing a free mutex answers -2.
ZUAPI void* ZuMutexCreate();
ZUAPI ZuErr ZuMutexWait(void* mutex, int timeoutMs);
ZUAPI ZuErr ZuMutexRelease(void* mutex);
ZUAPI ZuErr ZuMutexClose(void* mutex);

// ---- Host message loop ------------------------------------------------------------
// The library runs no loop of its own: the thread that called ZUInitGUI pumps these.

struct ZuMSG {
    void* window;  // X11 Window id of the target window
    unsigned int message;
    uintptr_t wParam;
    intptr_t lParam;
    unsigned int time;  // milliseconds
};

// Waits for the next message of the calling thread: 1 for a message, 0 after
// ZuPostQuitMessage, -1 when the display connection is gone.
ZUAPI int ZuGetMessage(ZuMSG* msg);
// 1 when a message was waiting (removed when remove != 0), else 0; never waits.
ZUAPI int ZuPeekMessage(ZuMSG* msg, int remove);
// Calls the target window's procedure and returns its result.
ZUAPI intptr_t ZuDispatchMessage(const ZuMSG* msg);
ZUAPI void ZuPostQuitMessage(int code);
// A descriptor that is readable while a message waits, for hosts that poll several sources.
ZUAPI int ZuGetMessageFd(void);

// Size in pixels of the primary display (the primary monitor); 0 without a display.
ZUAPI int ZuGetPrimaryDisplayXSize();
ZUAPI int ZuGetPrimaryDisplayYSize();
