// The window node tree, sent and posted messages, hot keys and pointer capture.
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "gui/gui_state.h"
#include "platform/report.h"
#include "text/draw_stream.h"

namespace zu::detail {
namespace {

constexpr unsigned kSlots = 140;
constexpr size_t kTextMax = sizeof(ZUWindowNode::text) - 1;

// Nodes alive now. A node's parent pointer can outlive the parent (an unlinked 141st
// child), so unlinking asks this set before it reads the parent.
std::mutex liveMutex;
std::unordered_set<ZUWindowNode*>& liveNodes() {
    static std::unordered_set<ZUWindowNode*> s;
    return s;
}

// Posted records not yet delivered, so that none leaks when the GUI ends first.
std::mutex postedMutex;
std::unordered_set<ZUPostedMessage*>& pendingPosted() {
    static std::unordered_set<ZUPostedMessage*> s;
    return s;
}

void copyText(char* dst, const char* src) {
    if (!src) src = "";
    const size_t n = strnlen(src, kTextMax);
    memcpy(dst, src, n);
    dst[n] = '\0';
}

bool contains(const ZuRECT& r, int x, int y) {
    // 64-bit sums: a rectangle near INT_MAX must not wrap.
    return r.x <= x && int64_t{x} < int64_t{r.x} + r.width && r.y <= y &&
           int64_t{y} < int64_t{r.y} + r.height;
}

void send(ZUWindowNode* n, unsigned msg) {
    if (n->callback) n->callback(n->userData, msg, 0, 0, nullptr, nullptr);
}

// The window procedure's references must not outlive the node they name.
void forgetReferences(ZUWindowNode* n) {
    GuiState& g = gui();
    if (g.capture == n) ZUReleaseMouse();
    if (g.rolloverNode == n) g.rolloverNode = nullptr;
    if (g.lastClicked == n) g.lastClicked = nullptr;
    if (g.root == n) g.root = nullptr;
    if (g.hotKeys)
        for (int k = 0; k < kHotKeyCount; ++k)
            if (g.hotKeys[k].node == n) g.hotKeys[k] = {nullptr, 0};
}

void destroyTree(ZUWindowNode* n) {
    for (unsigned i = 0; i < kSlots; ++i) {
        if (ZUWindowNode* c = n->children[i]) {
            destroyTree(c);
            n->children[i] = nullptr;
            --n->childCount;
        }
    }
    send(n, ZUM_DESTROY);
    forgetReferences(n);
    {
        std::lock_guard lock(liveMutex);
        liveNodes().erase(n);
    }
    delete n;
}

}  // namespace

bool isLiveNode(ZUWindowNode* node) {
    std::lock_guard lock(liveMutex);
    return liveNodes().count(node) != 0;
}

ZUWindowNode* hitTest(ZUWindowNode* n, int x, int y) {
    if (!n || !n->visible || !contains(n->rect, x, y)) return nullptr;
    if (n->childCount == 0) return n;
    for (int i = kSlots - 1; i >= 0; --i)
        if (ZUWindowNode* c = n->children[i])
            if (ZUWindowNode* hit = hitTest(c, x, y)) return hit;
    return n;
}

namespace {
void walk(ZUWindowNode* n) {
    if (!n || !n->visible) return;
    if (n->callback == gui().widgetCallback || !n->callback) {
        send(n, ZUM_RENDER);
    } else {
        HostDrawing host;  // the host's own callback draws in order with ours
        send(n, ZUM_RENDER);
    }
    for (unsigned i = 0; i < kSlots; ++i)
        if (n->children[i]) walk(n->children[i]);
}
}  // namespace

void renderWalk(ZUWindowNode* n) {
    // The widgets' quads and texts wait until the pass ends or host code draws.
    DeferDrawing pass;
    walk(n);
}

void releasePostedRecords() {
    std::lock_guard lock(postedMutex);
    for (ZUPostedMessage* r : pendingPosted()) delete r;
    pendingPosted().clear();
}

bool takePostedRecord(ZUPostedMessage* record) {
    std::lock_guard lock(postedMutex);
    return pendingPosted().erase(record) != 0;
}

}  // namespace zu::detail

using zu::detail::gui;

ZUAPI ZUWindowNode* ZUCreateWindow(char* text, unsigned int style, unsigned int flags, ZuRECT* rect,
                                   void* userData, ZUWindowNode* parent,
                                   ZUMessageCallback callback) {
    auto& g = gui();
    const bool makeRoot = g.root == nullptr;
    if (!makeRoot && !parent) return nullptr;
    if (!makeRoot && !zu::detail::isLiveNode(parent)) return nullptr;
    // Allocation failure gives null, like a refused parent.
    auto* n = new (std::nothrow) ZUWindowNode{};
    if (!n) return nullptr;
    zu::detail::copyText(n->text, text);
    n->style = style;
    n->flags = flags;
    if (rect) n->rect = *rect;
    n->visible = flags & 1u;
    n->enabled = (flags & 2u) ? 0 : 1;
    n->userData = userData;
    n->parent = parent;
    n->parentLink = parent;
    n->callback = callback;
    {
        std::lock_guard lock(zu::detail::liveMutex);
        zu::detail::liveNodes().insert(n);
    }
    if (makeRoot) {
        g.root = n;
        return n;
    }
    for (unsigned i = 0; i < zu::detail::kSlots; ++i) {
        if (!parent->children[i]) {
            parent->children[i] = n;
            ++parent->childCount;
            return n;
        }
    }
    // A full parent leaves the node unlinked (never drawn, never hit) and the call still
    // succeeds; say so, or a host laying widgets out flat loses some without a trace.
    zu::detail::reportFailure("node \"%s\" not linked: its parent already has %u children",
                              n->text, zu::detail::kSlots);
    return n;
}

ZUAPI int ZUDestroyWindow(ZUWindowNode* node) {
    if (!node || !zu::detail::isLiveNode(node)) return 0;
    // A node destroyed on its own leaves its parent's slot.
    ZUWindowNode* p = node->parent;
    if (p && p != node && zu::detail::isLiveNode(p)) {
        for (auto& slot : p->children) {
            if (slot == node) {
                slot = nullptr;
                --p->childCount;
                break;
            }
        }
    }
    zu::detail::destroyTree(node);
    return 1;
}

ZUAPI ZuErr ZUMoveWindow(ZUWindowNode*, ZuRECT*, unsigned char) {
    return 0;
}

ZUAPI ZuErr ZUResizeWindow(ZUWindowNode* node, ZuRECT* rect, unsigned char) {
    if (node && rect) node->rect = *rect;
    return 0;
}

ZUAPI ZuErr ZUShowWindow(ZUWindowNode* node, int show, unsigned char) {
    if (node) node->visible = show != 0;
    return 0;
}

ZUAPI ZuErr ZUDisableWindow(ZUWindowNode* node, int disable, unsigned char) {
    if (node) node->enabled = disable == 0;
    return 0;
}

ZUAPI ZuErr ZUEnableWndLDblClk(ZUWindowNode* node, unsigned char on) {
    if (node) node->lDblClk = on;
    return 0;
}

ZUAPI ZuErr ZUEnableWndMouseRollover(ZUWindowNode* node, unsigned char on) {
    if (node) node->rollover = on;
    return 0;
}

ZUAPI ZuErr ZUGetRect(ZUWindowNode* node, ZuRECT* rect) {
    if (node && rect) *rect = node->rect;
    return 0;
}

ZUAPI ZuErr ZUGetWndScreenOrigin(ZUWindowNode* node, ZuPOINT* point) {
    auto& g = gui();
    if (!node || !point) return 0;
    zu::ws::Rect r;
    if (!g.mainWindow || !zu::ws::windowRect(g.mainWindow, &r)) return 0;
    point->x = r.left + node->rect.x;
    point->y = r.top + g.currentGuiHeight - node->rect.y;
    return 0;
}

ZUAPI ZuErr ZUSetWindowText(ZUWindowNode* node, char* text, unsigned char repaint) {
    if (!node) return -2;
    zu::detail::copyText(node->text, text);
    if (repaint) ZURePaint();
    return 0;
}

ZUAPI ZuErr ZUGetWindowText(ZUWindowNode* node, char* buffer, int size) {
    if (!node) return -2;
    if (!buffer) return 0;
    // A positive size bounds the copy: a short buffer gets a cut, terminated text rather
    // than an overflow. Zero or negative sizes trust the caller with 264 bytes.
    size_t room = sizeof(node->text);
    if (size > 0 && static_cast<size_t>(size) < room) room = static_cast<size_t>(size);
    const size_t n = strnlen(node->text, room - 1);
    memcpy(buffer, node->text, n);
    buffer[n] = '\0';
    return 0;
}

ZUAPI unsigned char ZUIsVisible(ZUWindowNode* node) {
    return node ? node->visible : 0;
}
ZUAPI unsigned char ZUIsEnabled(ZUWindowNode* node) {
    return node ? node->enabled : 1;
}
ZUAPI unsigned char ZUIsDisabled(ZUWindowNode* node) {
    return node ? (node->enabled == 0) : 1;
}

ZUAPI ZuErr ZUSendMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q) {
    if (node && node->callback) node->callback(node->userData, msg, a, b, p, q);
    return 0;
}

ZUAPI ZuErr ZUPostMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q) {
    if (!node) return 0;
    zu::ws::Window* w = gui().mainWindow;
    if (!w) return -2;  // nowhere to post to; nothing is allocated
    auto* r = new (std::nothrow) ZUPostedMessage{node, msg, a, b, p, q};
    if (!r) return -2;
    {
        std::lock_guard lock(zu::detail::postedMutex);
        zu::detail::pendingPosted().insert(r);
    }
    if (!zu::ws::post(w, ZUM_POSTED, reinterpret_cast<uintptr_t>(r), 0)) {
        if (zu::detail::takePostedRecord(r)) delete r;
        return -2;
    }
    return 0;
}

ZUAPI ZuErr ZURegisterHotKey(ZUWindowNode* node, int key, int value) {
    auto& g = gui();
    const auto k = static_cast<unsigned>(key);
    if (g.hotKeys && k < zu::detail::kHotKeyCount && !g.hotKeys[k].node)
        g.hotKeys[k] = {node, value};
    return 0;
}

ZUAPI ZuErr ZUUnRegisterHotKey(ZUWindowNode* node, int key) {
    auto& g = gui();
    const auto k = static_cast<unsigned>(key);
    if (g.hotKeys && k < zu::detail::kHotKeyCount && g.hotKeys[k].node == node)
        g.hotKeys[k] = {nullptr, 0};
    return 0;
}

ZUAPI ZuErr ZUCaptureMouse(ZUWindowNode* node) {
    auto& g = gui();
    if (g.capture || !node) return 0;
    g.capture = node;
    if (g.mainWindow) zu::ws::setCapture(g.mainWindow);
    return 0;
}

ZUAPI ZuErr ZUReleaseMouse(void) {
    auto& g = gui();
    if (!g.capture) return 0;
    g.capture = nullptr;
    if (g.mainWindow) zu::ws::releaseCapture();
    return 0;
}
