// GUI core: the window node tree, the message set, the lifecycle of the main window with
// its render thread, the colour scheme and the layout metrics.
//
// Nodes belong to the host. The library keeps no lock around the tree: create and destroy
// nodes on the thread that owns the main window, or while no render pass runs.
#pragma once

#include <cstdint>

#include "zugui/types.h"

// ---- Messages -----------------------------------------------------------------------
enum : unsigned int {
    ZUM_LBUTTONDOWN = 35143,
    ZUM_LBUTTONUP = 35146,
    ZUM_RBUTTONDOWN = 35148,
    ZUM_RBUTTONUP = 35149,
    ZUM_MOUSEMOVE = 35150,
    ZUM_RENDER = 35151,
    ZUM_CLICKED = 35152,
    ZUM_COLORCHANGED = 35154,
    ZUM_SLIDERDRAG = 35155,
    ZUM_KEY = 35156,
    ZUM_TEXTENTERED = 35157,
    ZUM_VALUECHANGED = 35158,
    ZUM_LBUTTONDBLCLK = 35159,
    ZUM_SELECT = 35160,
    ZUM_ACTIVATE = 35161,
    ZUM_ITEMPRESSED = 35162,
    ZUM_SLIDERPRESS = 35163,
    ZUM_SLIDERRELEASE = 35164,
    ZUM_ITEMDBLCLK = 35166,
    ZUM_VIDEOERASE = 35167,
    ZUM_NUMBERBEGIN = 35168,
    ZUM_VIDEODROPFILES = 35169,
    ZUM_NUMBEREND = 35170,
    ZUM_VIDEOLBUTTONDOWN = 35171,
    ZUM_VIDEOLBUTTONUP = 35172,
    ZUM_VIDEORBUTTONDOWN = 35173,
    ZUM_VIDEORBUTTONUP = 35174,
    ZUM_VIDEOMOUSEMOVE = 35175,
    ZUM_VIDEOLBUTTONDBLCLK = 35176,
    ZUM_MOUSEWHEEL = 35177,
    ZUM_VIDEOMOUSEWHEEL = 35178,
    ZUM_MOUSELEAVE = 35179,
    ZUM_DESTROY = 35180,
};
// First and last number of the library's message range.
enum : unsigned int { ZUM_FIRST = 35143, ZUM_LAST = 35180 };
// The window-system message that carries a posted message (outside the range above).
enum : unsigned int { ZUM_POSTED = 34567 };

// ---- Nodes ----------------------------------------------------------------------------
typedef int (*ZUMessageCallback)(void* userData, unsigned int msg, int a, int b, void* p, void* q);

struct ZUWindowNode {
    char text[264];  // NUL-terminated, at most 263 characters
    unsigned int style;
    unsigned int flags;  // bit 0 created visible, bit 1 created disabled
    ZuRECT rect;         // absolute GUI rectangle
    unsigned char lDblClk;
    unsigned char visible;
    unsigned char enabled;
    unsigned char rollover;
    void* userData;
    ZUWindowNode* parent;
    ZUMessageCallback callback;
    ZUWindowNode* parentLink;
    unsigned int childCount;
    ZUWindowNode* children[140];  // slot order is drawing order
};

// The record behind ZUM_POSTED, released by its delivery.
struct ZUPostedMessage {
    ZUWindowNode* node;
    unsigned int msg;
    int a;
    int b;
    void* p;
    void* q;
};

// The first node made while no root exists becomes the root (its parent may be null).
// Null when a root exists and parent is null. Texts longer than 263 characters are cut.
ZUAPI ZUWindowNode* ZUCreateWindow(char* text, unsigned int style, unsigned int flags, ZuRECT* rect,
                                   void* userData, ZUWindowNode* parent,
                                   ZUMessageCallback callback);
// Destroys the subtree bottom-up, each node hearing ZUM_DESTROY after its descendants, and
// takes the node out of its parent. 1, or 0 for a null node.
ZUAPI int ZUDestroyWindow(ZUWindowNode* node);
ZUAPI ZuErr ZUMoveWindow(ZUWindowNode* node, ZuRECT* rect, unsigned char repaint);  // no-op
ZUAPI ZuErr ZUResizeWindow(ZUWindowNode* node, ZuRECT* rect, unsigned char repaint);
ZUAPI ZuErr ZUShowWindow(ZUWindowNode* node, int show, unsigned char repaint);
ZUAPI ZuErr ZUDisableWindow(ZUWindowNode* node, int disable, unsigned char repaint);
ZUAPI ZuErr ZUEnableWndLDblClk(ZUWindowNode* node, unsigned char on);
ZUAPI ZuErr ZUEnableWndMouseRollover(ZUWindowNode* node, unsigned char on);
ZUAPI ZuErr ZUGetRect(ZUWindowNode* node, ZuRECT* rect);
// Screen position of the node's (x, y) corner.
ZUAPI ZuErr ZUGetWndScreenOrigin(ZUWindowNode* node, ZuPOINT* point);
// -2 for a null node. With repaint, renders and waits as ZURePaint does.
ZUAPI ZuErr ZUSetWindowText(ZUWindowNode* node, char* text, unsigned char repaint);
// -2 for a null node. Copies at most 264 bytes; a positive size bounds the copy further.
ZUAPI ZuErr ZUGetWindowText(ZUWindowNode* node, char* buffer, int size);
ZUAPI unsigned char ZUIsVisible(ZUWindowNode* node);   // null: 0
ZUAPI unsigned char ZUIsEnabled(ZUWindowNode* node);   // null: 1
ZUAPI unsigned char ZUIsDisabled(ZUWindowNode* node);  // null: 1

// Calls the node's callback now, on the calling thread.
ZUAPI ZuErr ZUSendMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q);
// Any thread: the callback runs later on the main window's thread, in posting order, while
// the GUI is started (messages arriving while it is stopped are dropped). The node must
// stay alive until then. -2 when the record cannot be allocated or there is no main window.
ZUAPI ZuErr ZUPostMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q);

// Hot keys: key codes 0 to 254, first registration wins. Need ZUInitGUI.
ZUAPI ZuErr ZURegisterHotKey(ZUWindowNode* node, int key, int value);
ZUAPI ZuErr ZUUnRegisterHotKey(ZUWindowNode* node, int key);
// The first capture wins until released.
ZUAPI ZuErr ZUCaptureMouse(ZUWindowNode* node);
ZUAPI ZuErr ZUReleaseMouse(void);

// ---- Lifecycle --------------------------------------------------------------------------
// mode 2 or 3 with a host window: embedded mode, the host window (any X11 window) becomes
// the main window and the GUI takes its top-left width x height. Otherwise an own window at
// (x, y), owned by hostWindow when that is not null. iconFile is a name under data/icons/.
// 0, or -2 when no display, window, class or GL context can be had, or when the GUI is
// already initialised.
ZUAPI ZuErr ZUInitGUI(int x, int y, int width, int height, void* instance, char* caption,
                      char* iconFile, void* hostWindow, int mode);
ZUAPI ZuErr ZUStartGUI(void);
// Stops input dispatch and ends the render thread; renders are not performed again until
// the GUI is killed and initialised anew.
ZUAPI ZuErr ZUStopGUI(void);
// Releases what ZUInitGUI made (stopping first if needed); the node tree is left alone.
// In embedded mode the host window gets its previous procedure back.
ZUAPI ZuErr ZUKillGUI(void);
// One render pass on the calling thread.
ZUAPI void ZURenderGUI(void);
// Asks the render thread for a pass and waits for it, at most 2000 ms.
ZUAPI void ZURePaint(void);
ZUAPI ZuErr ZUStartMoveGUI(void);
ZUAPI ZuErr ZUMoveGUI(void);
ZUAPI ZuErr ZUStopMoveGUI(void);
ZUAPI ZuErr ZUMinimizeGUI(void);
// The root's userData is read as a node here and by ZUShowMB: when the root is a widget
// (whose user data is the object itself), make it a child of a plain root node instead.
// Hides the node held in the root's userData, then fills the monitor of the main window or
// (center == 1) centres a rect->width x rect->height window on it; writes the new GUI
// rectangle into rect.
ZUAPI ZuErr ZUMaximizeGUI(ZuRECT* rect, unsigned char center);
ZUAPI void* ZUGetDC(void);
ZUAPI void* ZUGetHWND(void);
ZUAPI void ZUSwapBuffers(void);

// ---- Scheme and metrics --------------------------------------------------------------
// Index 0 to 255; -2 (and no effect) for another index or a null colour.
ZUAPI ZuErr ZUSetSchemeColor(int index, ZuFCOLOR* colour);
ZUAPI ZuErr ZUGetSchemeColor(int index, ZuFCOLOR* colour);
ZUAPI int ZUGetDefaultButtonXSize(void);
ZUAPI int ZUGetDefaultButtonYSize(void);
ZUAPI int ZUGetDefaultSpacing(void);
