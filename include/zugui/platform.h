// Platform services: files, threads, synchronisation, libraries, memory, text encoding,
// byte order, and the host message loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zugui/types.h"

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
