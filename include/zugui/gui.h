/// \file
/// GUI core: the window node tree, the message set, the lifecycle of the main window with
/// its render thread, the colour scheme and the layout metrics.
///
/// Nodes belong to the host. The library keeps no lock around the tree: create and destroy
/// nodes on the thread that owns the main window, or while no render pass runs. See
/// \ref zum_messages and \ref threads.

/// \page zum_messages Messages
///
/// A message is five values (msg, a, b, p, q) handed to a node's ZUMessageCallback, or to a
/// widget's ZUWindow::ReceiveZUMessage. Library messages lie in ZUM_FIRST to ZUM_LAST; the
/// widgets ignore anything else, so hosts may use other numbers between their own nodes.
/// x and y are GUI coordinates (origin bottom left, y up) unless the row says otherwise.
/// "Window procedure" rows are sent on the GUI thread while the GUI is started and no
/// message box is shown; unless the row names a target, to the capture node when one is
/// set, else to the enabled node under the pointer. Video rows go to the callback of the video window's owner node.
///
/// | number | name | sent by, to | a | b | p | q |
/// |---|---|---|---|---|---|---|
/// | 35143 | ZUM_LBUTTONDOWN | window procedure | x | y | 0 | 0 |
/// | 35146 | ZUM_LBUTTONUP | window procedure | x | y | 0 | 0 |
/// | 35147 | ZUM_MBUTTONDOWN | window procedure (ZUText and ZUNumber paste the primary selection while editing) | x | y | 0 | 0 |
/// | 35148 | ZUM_RBUTTONDOWN | window procedure | x | y | 0 | 0 |
/// | 35149 | ZUM_RBUTTONUP | window procedure | x | y | 0 | 0 |
/// | 35150 | ZUM_MOUSEMOVE | window procedure | x | y | 0 | 0 |
/// | 35151 | ZUM_RENDER | render pass (render thread), to every visible node, parent before children | 0 | 0 | 0 | 0 |
/// | 35152 | ZUM_CLICKED | buttons, check boxes, picture buttons, tabs, hot texts and lists, to the parent widget | 0; a check box: the state asked for | 0 | sending widget | 0 |
/// | 35154 | ZUM_COLORCHANGED | ZUColorPicker, to its parent | 0 | 0 | sending widget | 0 |
/// | 35155 | ZUM_SLIDERDRAG | ZUSlider, to its parent | position | 0 | sending widget | 0 |
/// | 35156 | ZUM_KEY | window procedure, to the capture node, else the node holding the key's hot key | character code, or -1 for a special key | 0, or the special key's virtual-key code; to the capture node with ZU_KEY_SHIFT and ZU_KEY_CONTROL added for the modifiers held (\ref zum_keys) | 0 | 0 |
/// | 35157 | ZUM_TEXTENTERED | ZUText, edit committed, to its parent | 0 | 0 | sending widget | 0 |
/// | 35158 | ZUM_VALUECHANGED | ZUNumber, to its parent | new value, or 0 for a timecode text | 0 | sending widget | null, or the timecode text (valid during the call) |
/// | 35159 | ZUM_LBUTTONDBLCLK | window procedure, nodes with double clicks on (ZUEnableWndLDblClk) | x | y | 0 | 0 |
/// | 35160 | ZUM_SELECT | ZUComboButton, to its parent | chosen item index | 0 | sending widget | 0 |
/// | 35161 | ZUM_ACTIVATE | window procedure, to the root node only | 1 activated, 0 deactivated | 0 | 0 | 0 |
/// | 35162 | ZUM_ITEMPRESSED | ZUHotTextList, to its parent | row | 0 | sending widget | 0 |
/// | 35163 | ZUM_SLIDERPRESS | ZUSlider, to its parent | position | 0 | sending widget | 0 |
/// | 35164 | ZUM_SLIDERRELEASE | ZUSlider, to its parent | position | 0 | sending widget | 0 |
/// | 35166 | ZUM_ITEMDBLCLK | ZUHotTextList, to its parent | row | 0 | sending widget | 0 |
/// | 35167 | ZUM_VIDEOERASE | window procedure: a stopped video window needs its background | 0 | 0 | video window | 0 |
/// | 35168 | ZUM_NUMBERBEGIN | ZUNumber: a drag starts or the editor opens | 0 | 0 | sending widget | 0 |
/// | 35169 | ZUM_VIDEODROPFILES | window procedure: files dropped on a video window that accepts drops | 0 | 0 | video window | first file's path, UTF-16, NUL-terminated, at most 260 units, valid during the call |
/// | 35170 | ZUM_NUMBEREND | ZUNumber: the edit is cancelled | 0 | 0 | sending widget | 0 |
/// | 35171 | ZUM_VIDEOLBUTTONDOWN | window procedure | client x | client y (top down) | video window | 0 |
/// | 35172 | ZUM_VIDEOLBUTTONUP | window procedure | client x | client y (top down) | video window | 0 |
/// | 35173 | ZUM_VIDEORBUTTONDOWN | window procedure | client x | GUI height - client y | video window | 0 |
/// | 35174 | ZUM_VIDEORBUTTONUP | window procedure | client x | GUI height - client y | video window | 0 |
/// | 35175 | ZUM_VIDEOMOUSEMOVE | window procedure | client x | client y (top down) | video window | 0 |
/// | 35176 | ZUM_VIDEOLBUTTONDBLCLK | window procedure | client x | client y (top down) | video window | 0 |
/// | 35177 | ZUM_MOUSEWHEEL | window procedure, to the capture node, else the root | notches (delta / 120, up positive) | key state (MK_ bits; control alone gives 1) | 0 | ZuPOINT*: screen x, GUI height - screen y |
/// | 35178 | ZUM_VIDEOMOUSEWHEEL | window procedure | raw wheel delta | key state (1 when the middle button is held) | video window | ZuPOINT*: screen position |
/// | 35179 | ZUM_MOUSELEAVE | window procedure, on the next pointer move, to the roll-over node the pointer was over | 0 | 0 | 0 | 0 |
/// | 35180 | ZUM_DESTROY | ZUDestroyWindow, to each node destroyed, after its descendants | 0 | 0 | 0 | 0 |
///
/// 35144, 35145, 35153 and 35165 are neither sent nor handled. ZUM_POSTED (34567)
/// is the window-system message that carries a ZUPostMessage record; hosts never see it.
/// Pointers in p and q are valid during the call only.
///
/// \anchor zum_keys
/// Special keys of ZUM_KEY(-1, b), as virtual-key codes in the low 16 bits of b:
///
/// | key | code | to |
/// |---|---|---|
/// | Backspace, Enter, Shift, Caps Lock, Escape | 0x08, 0x0D, 0x10, 0x14, 0x1B | capture node or hot key |
/// | Left, Up, Right, Down, Delete | 0x25, 0x26, 0x27, 0x28, 0x2E | capture node or hot key |
/// | End, Home | 0x23, 0x24 | capture node only |
/// | Control+A, Control+C, Control+V, Control+X | 0x41, 0x43, 0x56, 0x58 (with ZU_KEY_CONTROL) | capture node only |
///
/// To the capture node b also carries the modifiers held with the key: ZU_KEY_SHIFT
/// (0x10000) and ZU_KEY_CONTROL (0x20000), so Shift+Left is (-1, 0x10025) and Control+C is
/// (-1, 0x20043). A key pressed without modifiers gives the bare code, as do hot keys
/// always. Characters typed through dead keys or compose sequences arrive as
/// ZUM_KEY(character, 0) like any other Latin-1 character.

/// \page threads Threads
///
/// - **GUI thread**: the thread that called ZUInitGUI. It owns the main window, pumps the
///   message loop (ZuGetMessage / ZuDispatchMessage) and so runs the window procedures:
///   every input message, every widget notification and every ZUPostMessage callback is
///   delivered here. Call the lifecycle (ZUInitGUI, ZUStartGUI, ZUStopGUI, ZUKillGUI), the
///   popups and ZUCreateVideoWindow / ZUDestroyVideoWindow here. Create, destroy and change
///   nodes and widgets here, or while no render pass runs: the tree has no lock.
/// - **Render thread**: made by ZUInitGUI, ended by ZUStopGUI. It makes the main context
///   current for one render pass at a time and sends ZUM_RENDER, so RenderZUWindow and
///   ZUPrintText run there. A handled input event waits (at most 2000 ms) for the pass
///   that shows it, so message handling and drawing never overlap. Do not call ZURePaint
///   or a repainting setter from a ZUM_RENDER handler: it would wait for itself.
/// - **Any thread**: ZUPostMessage, ZURePaint, the platform services of platform.h, and
///   the scheme and metric getters.
/// - **Display threads**: a video window's display runs on the host thread that called
///   ZUStartDisplayVideoFrame; ZUDisplayVideoFrame and ZUStopDisplayVideoFrame must come
///   from that same thread, on which the window's context stays current in between.
/// - **Converter workers**: the CPU converter may split a large frame over worker threads
///   (ZUSetConvertThreads); they are the library's own and call no host code.

#pragma once

#include <cstdint>

#include "zugui/types.h"

// ---- Messages -----------------------------------------------------------------------
/// The library's message numbers; what each carries is in \ref zum_messages.
enum : unsigned int {
    ZUM_LBUTTONDOWN = 35143,
    ZUM_LBUTTONUP = 35146,
    ZUM_MBUTTONDOWN = 35147,
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
/// Modifier bits in b of ZUM_KEY(-1, b) sent to the capture node (\ref zum_keys).
enum : int {
    ZU_KEY_SHIFT = 0x10000,    ///< Shift held.
    ZU_KEY_CONTROL = 0x20000,  ///< Control held.
    ZU_KEY_CODE = 0xFFFF,      ///< Mask of the virtual-key code.
};
/// First and last number of the library's message range.
enum : unsigned int { ZUM_FIRST = 35143, ZUM_LAST = 35180 };
/// The window-system message that carries a posted message (outside the range above).
enum : unsigned int { ZUM_POSTED = 34567 };

// ---- Nodes ----------------------------------------------------------------------------
/// A node's message function: called with the node's userData and the message's five
/// values (\ref zum_messages). The return value is ignored.
typedef int (*ZUMessageCallback)(void* userData, unsigned int msg, int a, int b, void* p, void* q);

/// A window node: one rectangle of the GUI that draws itself and hears input. Nodes are
/// allocated by ZUCreateWindow and freed by ZUDestroyWindow; the host may read the fields
/// and set them through the functions below.
struct ZUWindowNode {
    char text[264];  ///< NUL-terminated, at most 263 characters
    unsigned int style;  ///< Stored, not interpreted (the widgets pass 2).
    unsigned int flags;  ///< Bit 0 created visible, bit 1 created disabled; not read again.
    ZuRECT rect;         ///< Absolute GUI rectangle (not relative to the parent).
    unsigned char lDblClk;   ///< Non-zero: a second press within 500 ms is ZUM_LBUTTONDBLCLK.
    unsigned char visible;   ///< Non-zero: the node and its subtree are drawn and can be hit.
    unsigned char enabled;   ///< Non-zero: the hit test and hot keys may choose the node.
    unsigned char rollover;  ///< Non-zero: a move over it renders; the next move sends ZUM_MOUSELEAVE.
    void* userData;          ///< First argument of callback (the object, for a widget).
    ZUWindowNode* parent;    ///< Parent given at creation.
    ZUMessageCallback callback;  ///< The node's message function; may be null.
    ZUWindowNode* parentLink;    ///< The same parent; not read by the library.
    unsigned int childCount;     ///< Occupied child slots.
    ZUWindowNode* children[140];  ///< Child slots, empty ones null; slot order is drawing order
};

/// The record behind ZUM_POSTED, released by its delivery.
struct ZUPostedMessage {
    ZUWindowNode* node;  ///< Target node.
    unsigned int msg;    ///< Message number.
    int a;               ///< First integer.
    int b;               ///< Second integer.
    void* p;             ///< First pointer.
    void* q;             ///< Second pointer.
};

/// Creates a node in parent's first free slot (slot order is drawing order; later slots
/// are hit first), with a copy of text and rect (null: empty); flags bit 0 makes it
/// visible, bit 1 disabled; style, userData and callback are stored as given. The first
/// node made while no root exists becomes the root (its parent may be null). Null when a
/// root exists and parent is null or not a live node, or memory runs out. A parent with
/// all 140 slots taken leaves the node unlinked: never drawn, never hit (the error callback
/// hears of it). Texts longer than 263 characters are cut.
ZUAPI ZUWindowNode* ZUCreateWindow(char* text, unsigned int style, unsigned int flags, ZuRECT* rect,
                                   void* userData, ZUWindowNode* parent,
                                   ZUMessageCallback callback);
/// Destroys the subtree bottom-up, each node hearing ZUM_DESTROY after its descendants, and
/// takes the node out of its parent; frees the nodes. 1, or 0 for a null node.
ZUAPI int ZUDestroyWindow(ZUWindowNode* node);
/// Does nothing. 0.
ZUAPI ZuErr ZUMoveWindow(ZUWindowNode* node, ZuRECT* rect, unsigned char repaint);
/// Copies rect into the node; children are not moved; repaint has no effect. 0.
ZUAPI ZuErr ZUResizeWindow(ZUWindowNode* node, ZuRECT* rect, unsigned char repaint);
/// Sets visible to (show != 0); repaint has no effect. 0.
ZUAPI ZuErr ZUShowWindow(ZUWindowNode* node, int show, unsigned char repaint);
/// Sets enabled to (disable == 0); repaint has no effect. 0.
ZUAPI ZuErr ZUDisableWindow(ZUWindowNode* node, int disable, unsigned char repaint);
/// Switches the node's double-click detection (ZUWindowNode::lDblClk). 0.
ZUAPI ZuErr ZUEnableWndLDblClk(ZUWindowNode* node, unsigned char on);
/// Switches the node's roll-over tracking (ZUWindowNode::rollover). 0.
ZUAPI ZuErr ZUEnableWndMouseRollover(ZUWindowNode* node, unsigned char on);
/// Copies the node's rectangle into rect. 0, also for a null node or rect.
ZUAPI ZuErr ZUGetRect(ZUWindowNode* node, ZuRECT* rect);
/// Screen position of the node's (x, y) corner (screen y grows downwards). 0.
ZUAPI ZuErr ZUGetWndScreenOrigin(ZUWindowNode* node, ZuPOINT* point);
/// Copies text into the node (the caller keeps it within 263 characters). -2 for a null
/// node. With repaint, renders and waits as ZURePaint does. 0.
ZUAPI ZuErr ZUSetWindowText(ZUWindowNode* node, char* text, unsigned char repaint);
/// Copies the node's text into buffer. -2 for a null node. Copies at most 264 bytes; a
/// positive size bounds the copy further (the text is cut and terminated). 0.
ZUAPI ZuErr ZUGetWindowText(ZUWindowNode* node, char* buffer, int size);
/// The node's visible flag; 0 for null.
ZUAPI unsigned char ZUIsVisible(ZUWindowNode* node);
/// The node's enabled flag; 1 for null.
ZUAPI unsigned char ZUIsEnabled(ZUWindowNode* node);
/// 1 when the node is disabled; 1 for null.
ZUAPI unsigned char ZUIsDisabled(ZUWindowNode* node);

/// Calls the node's callback now, on the calling thread. 0, also for a null node.
ZUAPI ZuErr ZUSendMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q);
/// Any thread: the callback runs later on the main window's thread, in posting order, while
/// the GUI is started (messages arriving while it is stopped are dropped). The node must
/// stay alive until then. -2 when the record cannot be allocated or there is no main window;
/// 0 (nothing posted) for a null node.
ZUAPI ZuErr ZUPostMessage(ZUWindowNode* node, unsigned int msg, int a, int b, void* p, void* q);

/// Hot keys: a key press while no node has the capture goes as ZUM_KEY to the node
/// registered for its key code (when visible and enabled). Key codes 0 to 254, first
/// registration wins; value is stored only. Need ZUInitGUI; otherwise nothing happens. 0.
ZUAPI ZuErr ZURegisterHotKey(ZUWindowNode* node, int key, int value);
/// Clears key's registration when node holds it. 0.
ZUAPI ZuErr ZUUnRegisterHotKey(ZUWindowNode* node, int key);
/// Sends every pointer and key message of the main window to node, without hit testing.
/// The first capture wins until released. 0.
ZUAPI ZuErr ZUCaptureMouse(ZUWindowNode* node);
/// Ends the node capture. 0.
ZUAPI ZuErr ZUReleaseMouse(void);

// ---- Lifecycle --------------------------------------------------------------------------
/// Creates the main window with its GL context, font set 0, the popups, the scheme defaults
/// and the render thread; the calling thread becomes the GUI thread (\ref threads).
/// mode 2 or 3 with a host window: embedded mode, a child window of the library covers the
/// host window's (any X11 window's) top-left width x height and takes input and drawing
/// there; the rest of the host window stays the host's. Otherwise an own window at (x, y),
/// owned by hostWindow when that is not null. iconFile is a name under data/icons/.
/// instance is stored only. 0, or -2 when no display, window, class or GL context can be
/// had, or when the GUI is already initialised. A server that is resetting (its last client
/// just left) is waited for up to a second; after a failure a later call tries again,
/// except once the display has been lost. Why it failed goes to the error callback.
ZUAPI ZuErr ZUInitGUI(int x, int y, int width, int height, void* instance, char* caption,
                      char* iconFile, void* hostWindow, int mode);
/// Starts input dispatch: until then (and after ZUStopGUI) input to the main window and the
/// video windows is not delivered. 0.
ZUAPI ZuErr ZUStartGUI(void);
/// Stops input dispatch and ends the render thread; renders are not performed again until
/// the GUI is killed and initialised anew. It waits about five seconds for a pass to end;
/// with the display lost, half a second, after which a thread stuck in the driver is left
/// to the process's exit. 0.
ZUAPI ZuErr ZUStopGUI(void);
/// Releases what ZUInitGUI made (stopping first if needed); the node tree is left alone.
/// In embedded mode the child window made in the host's window is removed. 0.
ZUAPI ZuErr ZUKillGUI(void);
/// One render pass on the calling thread: makes the main context current, clears, sends
/// ZUM_RENDER through the visible tree, swaps and releases the context. The render thread
/// calls it; a host calls it only while that thread is stopped.
ZUAPI void ZURenderGUI(void);
/// Asks the render thread for a pass and waits for it, at most 2000 ms. Returns at once
/// before ZUInitGUI or once the display is lost.
ZUAPI void ZURePaint(void);
/// Window dragging by the host (from a title-bar widget, say): call ZUStartMoveGUI on the
/// press, ZUMoveGUI on each move and ZUStopMoveGUI on the release; the main window follows
/// the pointer from where it was grabbed. 0.
ZUAPI ZuErr ZUStartMoveGUI(void);
/// Moves the main window after the pointer. 0.
ZUAPI ZuErr ZUMoveGUI(void);
/// Moves the main window a last time. 0.
ZUAPI ZuErr ZUStopMoveGUI(void);
/// Asks the window manager to minimise the main window (posted, so it happens in the
/// message loop). 0.
ZUAPI ZuErr ZUMinimizeGUI(void);
/// The root's userData is read as a node here and by ZUShowMB: when the root is a widget
/// (whose user data is the object itself), make it a child of a plain root node instead.
/// Hides the node held in the root's userData, then fills the monitor of the main window or
/// (center == 1) centres a rect->width x rect->height window on it; writes the new GUI
/// rectangle into rect. 0.
ZUAPI ZuErr ZUMaximizeGUI(ZuRECT* rect, unsigned char center);
/// The main window's device-context handle (an opaque record of the window-system layer),
/// or null before ZUInitGUI.
ZUAPI void* ZUGetDC(void);
/// The main window's handle (an X11 Window id), or null before ZUInitGUI.
ZUAPI void* ZUGetHWND(void);
/// Swaps the main window's buffers; for hosts that draw with the main context themselves.
ZUAPI void ZUSwapBuffers(void);

// ---- Scheme and metrics --------------------------------------------------------------
/// Sets scheme colour index, 0 to 255, used from the next render pass. -2 (and no effect)
/// for another index or a null colour.
ZUAPI ZuErr ZUSetSchemeColor(int index, ZuFCOLOR* colour);
/// Reads scheme colour index, 0 to 255. -2 for another index or a null colour.
ZUAPI ZuErr ZUGetSchemeColor(int index, ZuFCOLOR* colour);
/// Default button width in pixels: 96.
ZUAPI int ZUGetDefaultButtonXSize(void);
/// Default button height in pixels: 32.
ZUAPI int ZUGetDefaultButtonYSize(void);
/// Default spacing between widgets in pixels: 6.
ZUAPI int ZUGetDefaultSpacing(void);
