// The library-wide GUI state shared by the node tree, the window procedure and the
// lifecycle. One GUI per process.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/winsys/winsys.h"
#include "zugui/gui.h"

struct ZUVideoWindowNode;  // defined by the video layer

namespace zu::detail {

inline constexpr int kHotKeyCount = 255;
inline constexpr int kVideoSlotCount = 100;
inline constexpr int kHandshakeTimeoutMs = 2000;

struct HotKey {
    ZUWindowNode* node;
    int value;
};

// What the window procedure needs to know about a video window; the video layer fills a
// slot when it makes one and clears it when it destroys it.
struct VideoSlot {
    ZUVideoWindowNode* video;
    ws::Window* window;
    ZUWindowNode* owner;
    const std::atomic<bool>* started;  // frame display running
};

struct GuiState {
    // Our own window, or in embedded mode our child window inside the host's window,
    // covering the GUI's top-left width x height of it.
    ws::Window* mainWindow = nullptr;
    ws::Surface* mainSurface = nullptr;
    void* hostWindow = nullptr;  // embedded mode: the host's window, which ZUGetHWND names
    void* instance = nullptr;
    int guiWidth = 0, guiHeight = 0;
    int currentGuiHeight = 0;
    bool embedded = false;

    std::atomic<bool> started{false};
    std::atomic<bool> stopRequest{false};
    std::atomic<bool> threadRunning{false};
    void* renderThread = nullptr;
    unsigned long threadId = 0;
    void* inputRequest = nullptr;
    void* inputDone = nullptr;
    void* repaintRequest = nullptr;
    void* repaintDone = nullptr;
    // Set with every request so that the render thread can sleep on one event instead of
    // polling both requests.
    void* renderWake = nullptr;
    // Duration of the render thread's latest pass in counter ticks (benchmarks read it).
    std::atomic<int64_t> lastPassTicks{0};

    int64_t dblClkInterval = 0;
    int64_t lastClickTime = 0;
    ws::Point moveOffset;
    ws::Cursor* cursor = nullptr;
    ws::Icon* icon = nullptr;

    HotKey* hotKeys = nullptr;
    VideoSlot* videoTable = nullptr;

    // Input references of the window procedure.
    ZUWindowNode* root = nullptr;
    ZUWindowNode* capture = nullptr;
    ZUVideoWindowNode* videoCapture = nullptr;
    ZUWindowNode* rolloverNode = nullptr;
    ZUWindowNode* lastClicked = nullptr;

    // The widget classes' message function: the render walk lets the draw stream run on
    // through their nodes, and the widgets sort their own classes from the host's.
    ZUMessageCallback widgetCallback = nullptr;

    // Set by the popup layer.
    std::atomic<bool> mbShown{false};
    std::atomic<ws::Window*> comboWindow{nullptr};

    // Seams for tests: the clock behind double clicks, and a replacement for the input
    // render handshake.
    int64_t (*clock)() = ws::performanceCounter;
    void (*handshakeHook)() = nullptr;
};

GuiState& gui();

// Node tree (node_tree.cpp).
ZUWindowNode* hitTest(ZUWindowNode* node, int x, int y);
// Renders the subtree and draws what waits in the draw stream before it returns.
void renderWalk(ZUWindowNode* node);
bool isLiveNode(ZUWindowNode* node);
// Releases posted records that were never delivered.
void releasePostedRecords();
// Takes a record out of the pending set; false when it is not pending.
bool takePostedRecord(ZUPostedMessage* record);

// Scheme (scheme.cpp).
void fillSchemeDefaults();

// Lifecycle (lifecycle.cpp).
void inputHandshake();
// Signals a repaint request without waiting for it.
void requestRepaint();
void standardGlSetup(int w, int h);

// Window procedure (window_proc.cpp).
intptr_t guiWindowProc(const ws::Event& e);

// Video-window table; -1 when the table is missing or full.
int registerVideoWindow(ZUVideoWindowNode* video, ws::Window* window, ZUWindowNode* owner,
                        const std::atomic<bool>* started);
void unregisterVideoWindow(ZUVideoWindowNode* video);

}  // namespace zu::detail
