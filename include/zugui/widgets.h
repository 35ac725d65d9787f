/// \file
/// Widgets: the ZUWindow base class and the library's widget classes.
///
/// A widget object owns one window node whose user data is the object; the node's messages
/// become virtual ReceiveZUMessage calls. The host allocates and frees the objects itself,
/// creates each with CreateZUWindow under a parent widget, and hears the widgets' actions
/// (ZUM_CLICKED, ZUM_SELECT, ...) in the ReceiveZUMessage of its own ZUWindow-derived parent,
/// with p = the widget. Widgets never change their own checked or selected state on a click:
/// the parent decides and calls the setter.
///
/// Threads: input reaches a widget on the main window's thread, ZUM_RENDER on the render
/// thread while the input thread waits, so nothing is locked. Create, destroy and change
/// widgets on the main window's thread or while no render pass runs.
///
/// Rectangles and pointer positions are GUI coordinates (pixels, origin at the bottom left
/// of the GUI, y up). A repaint or redraw argument renders and waits as ZURePaint does only
/// where a method says so; elsewhere it is ignored and the next render pass shows the change.
#pragma once

#include <string>

#include "zugui/gui.h"
#include "zugui/text.h"

/// Base of every widget: the object side of one window node.
///
/// Derive from it to make a host window that hears its children's notifications in
/// ReceiveZUMessage. The node is destroyed with the object, so destroy an object before the
/// parent whose node holds it, or call DestroyZUWindow first.
class ZUAPI ZUWindow {
  public:
    ZUWindow() = default;
    /// Copies share the node; its messages keep reaching the first object.
    ZUWindow(const ZUWindow& other) = default;
    /// Copies share the node; its messages keep reaching the first object.
    ZUWindow& operator=(const ZUWindow& other) = default;
    /// Destroys a node that is still there, and with it the node's whole subtree.
    virtual ~ZUWindow();

    /// Makes the node under parent's node with this object as user data, copies rect
    /// (null: an empty rectangle), then calls OnZUCreate. The library's widgets ignore style
    /// (their nodes have style 2) and reserved. flags: bit 0 visible, bit 1 disabled.
    /// 0; -2 when the object already has a node or no node could be made (a root exists and
    /// parent has no node). The first widget made while no root exists becomes the root.
    virtual ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags,
                                 unsigned int reserved, ZuRECT* rect, ZUWindow* parent);
    /// Runs OnZUDestroy (the library's widgets skip it), then destroys the node and its
    /// subtree; 0, also without a node.
    virtual ZuErr DestroyZUWindow(void);
    /// Stores rect in the object and the node, then calls OnZUResize. Children keep their
    /// rectangles. repaint has no effect. 0, also without a node or rect (then nothing happens).
    virtual ZuErr ResizeZUWindow(ZuRECT* rect, unsigned char repaint);
    /// Focus is not supported: always -2.
    virtual ZuErr SetZUFocus(void);
    /// Shows (show != 0) or hides the node; a hidden node and its subtree are neither drawn
    /// nor hit by the pointer. repaint has no effect. 0.
    virtual ZuErr ShowZUWindow(int show, unsigned char repaint);
    /// Enables (enable != 0) or disables the node; the pointer hit test and hot keys skip
    /// disabled nodes, and the widgets draw them greyed. repaint has no effect. 0.
    virtual ZuErr EnableZUWindow(int enable, unsigned char repaint);
    /// 1 when the node is visible; 0 without a node.
    virtual unsigned char IsVisible(void);
    /// 1 when the node is enabled; 0 without a node.
    virtual unsigned char IsEnabled(void);
    /// Draws the widget; called on the render thread for ZUM_RENDER with the main context
    /// current. The base draws nothing. 0.
    virtual ZuErr RenderZUWindow(void);
    /// Copies the node's rectangle into rect (a null rect is skipped). 0; -2 without a node.
    virtual ZuErr GetZURect(ZuRECT* rect);
    /// Sets the node's text (the caller keeps it within 263 characters); with repaint,
    /// renders and waits as ZURePaint does. 0; -2 for a null text.
    virtual ZuErr SetWindowZUText(char* text, unsigned char repaint);
    /// Copies the node's text, at most 255 characters and the terminator. buffer must hold
    /// 256 bytes; size is not used to cut the text. -2 without a node or for a null buffer.
    virtual ZuErr GetWindowZUText(char* buffer, int size);
    /// Sets the font id (ZU_FONT_...) and text flags (ZU_TEXT_...) the caption is drawn with;
    /// with repaint, renders and waits as ZURePaint does. 0.
    virtual ZuErr SetWindowZUTextStyle(int font, int flags, unsigned char repaint);
    /// Reads the font id and text flags. 0.
    virtual ZuErr GetWindowZUTextStyle(int& font, int& flags);
    /// Hears the node's messages (\ref zum_messages). The base draws on ZUM_RENDER and
    /// forgets the node on ZUM_DESTROY; override it to hear input and children's
    /// notifications, and call the base for those two. The return value is not used.
    virtual ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q);
    /// Calls target->ReceiveZUMessage at once; 0 (also for a null target, which hears nothing).
    virtual ZuErr SendZUMessage(ZUWindow* target, unsigned int msg, int a, int b, void* p, void* q);
    /// The parent widget given to CreateZUWindow, or null.
    virtual ZUWindow* GetZUParent(void);
    /// The parent widget's node, or null.
    virtual ZUWindowNode* GetZUParentWnd(void);
    /// Hook run at the end of a successful CreateZUWindow. 0.
    virtual ZuErr OnZUCreate(void);
    /// Hook run at the end of ResizeZUWindow. 0.
    virtual ZuErr OnZUResize(void);
    /// Hook run by ZUWindow::DestroyZUWindow before the node goes. 0.
    virtual ZuErr OnZUDestroy(void);

    /// The object's node, or null before creation and after destruction.
    ZUWindowNode* GetZUWndHandle(void) { return node; }
    /// The node callback of every widget: forwards to userData's ReceiveZUMessage. Always 0.
    static int stWinMsgHandler(void* userData, unsigned int msg, int a, int b, void* p, void* q);

    ZUWindow* parent = nullptr;  ///< Parent widget given at creation, or null.
    ZuRECT rect{};               ///< Copy of the node's rectangle, as created or resized.
    int fontId = 0;              ///< Caption font id (ZU_FONT_...).
    int textFlags = 0;           ///< Caption text flags (ZU_TEXT_...).
    ZUWindowNode* node = nullptr;  ///< The node this object owns, or null.

  protected:
    /// The creation shared by the library's widgets: node style 2 whatever the caller asks,
    /// double clicks switched on when asked, then OnZUCreate.
    ZuErr createWidget(char* text, unsigned int flags, ZuRECT* rect, ZUWindow* parent,
                       bool doubleClicks = false);
    /// The destruction shared by the library's widgets: no OnZUDestroy hook.
    ZuErr destroyWidget(void);
    /// Tells the parent widget, if any: (parent, msg, a, 0, this, 0).
    void notifyParent(unsigned int msg, int a);
    /// Whether the GUI point (x, y) lies in rect.
    bool contains(int x, int y) const {
        return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
    }
    /// Whether a node exists and is visible.
    bool drawable() const { return node && node->visible; }
};

// ---- Push buttons and check boxes ---------------------------------------------------------
/// A framed push button with a caption (bold 10).
///
/// Type 0 push, 1 latching (check box: checkable), 2 inert: a press captures and the release
/// only gives the capture back. A click sends (parent, ZUM_CLICKED, value, 0, this, 0);
/// value is 0, or for a check box the state the user asks for.
class ZUAPI ZUButton : public ZUWindow {
  public:
    ZUButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets the type from bits. Bit 0: type 1; else bit 1: type 2; else unchanged. 0.
    virtual int ButtonZUType(unsigned int bits);
    /// Sets the checked state (drawn pressed); type 1 only; requests no repaint. 0.
    virtual int SetZUCheck(int state);
    /// The checked state as last set.
    virtual int GetZUCheck();

    int pressed = 0;       ///< 1 while drawn pressed (a type-0 press, or checked).
    int buttonType = 0;    ///< 0 push, 1 latching, 2 inert.
    int checked = 0;       ///< The state set by SetZUCheck.
    int pressPending = 0;  ///< 1 between a type-1 or type-2 press and its release.

  protected:
    /// Handles a left press: captures the pointer and marks the press.
    void press();
    /// Ends a press and gives the capture back; returns whether the release completes a
    /// click inside.
    bool release(int x, int y);
};

/// A check box: a 16-pixel box with a tick, caption in regular 10; type 1 from the start.
/// Its ZUM_CLICKED carries a = the state the user asks for (1 when unchecked, else 0).
class ZUAPI ZUCheckBox : public ZUButton {
  public:
    ZUCheckBox();
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets checked to 0 or 1 (state != 0); type 1 only; requests no repaint. 0.
    int SetZUCheck(int state) override;
};

// ---- Picture buttons ------------------------------------------------------------------------
/// Pictograms of ZUPictureButton::ButtonZUPictureType; other values draw no pictogram.
enum : unsigned int {
    ZU_PICT_NONE = 0,
    ZU_PICT_PAUSE = 1,
    ZU_PICT_STOP = 2,
    ZU_PICT_PLAY = 3,
    ZU_PICT_PLAYBACK = 4,
    ZU_PICT_FASTFORWARD = 5,
    ZU_PICT_REWIND = 6,
    ZU_PICT_STEPFORWARD = 7,
    ZU_PICT_STEPBACK = 8,
    ZU_PICT_TOEND = 9,
    ZU_PICT_TOSTART = 10,
    ZU_PICT_CLOSE = 11,
    ZU_PICT_MINIMIZE = 12,
    ZU_PICT_DISC = 13,
    ZU_PICT_BOX = 14,
    ZU_PICT_OPENBRACE = 15,
    ZU_PICT_CLOSEBRACE = 16,
    ZU_PICT_DISCPRESSED = 17,  ///< The disc, active only while pressed.
    ZU_PICT_MAXIMIZE = 23,
};

/// A button drawn as a pictogram (ZU_PICT_...), lit while pressed or checked.
///
/// Button types: 0 push, 1 latch, 2 inert (the release gives the capture back), 3 action:
/// the first click inside engages it and keeps the pointer captured, a second click or
/// ResetZUActionState releases it; each click sends ZUM_CLICKED. Background 0 plain, 1 framed.
class ZUAPI ZUPictureButton : public ZUWindow {
  public:
    ZUPictureButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets the pictogram (ZU_PICT_...); any value is stored. 0.
    virtual int ButtonZUPictureType(unsigned int type);
    /// Sets the button type, 0 to 3; others ignored. 0.
    virtual int ButtonZUType(unsigned int type);
    /// Releases an engaged type-3 button and its capture, sending nothing; with redraw,
    /// renders and waits as ZURePaint does. Other types: nothing. 0.
    virtual int ResetZUActionState(bool redraw);
    /// Sets the checked state (any type; drawn lit when non-zero). 0.
    virtual int SetZUCheck(int state);
    /// The checked state as last set.
    virtual int GetZUCheck();
    /// Sets the background, 0 plain or 1 framed; others ignored. 0.
    virtual int SetZUBkType(int type);
    /// The background type.
    virtual int GetZUBkType();

    int pictureType = 0;  ///< Pictogram (ZU_PICT_...).
    int pressed = 0;      ///< 1 while a type-0 or type-3 press holds it down.
    int buttonType = 0;   ///< 0 push, 1 latch, 2 inert, 3 action.
    int check = 0;        ///< Checked state set by SetZUCheck.
    int armed = 0;        ///< 1 between a type-1 press and its release.
    int engaged = 0;      ///< 1 while a type-3 button is engaged.
    int bkType = 0;       ///< Background: 0 plain, 1 framed.
};

// ---- Tabs ----------------------------------------------------------------------------------
/// A tab with a gradient plate and a caption (regular 14).
///
/// A click sends ZUM_CLICKED; the parent makes a tab current with SetZUTabCheck.
/// DestroyZUWindow returns -2 in every case, as the design has it.
class ZUAPI ZUTabButton : public ZUWindow {
  public:
    ZUTabButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    /// Destroys the node as the other widgets do, but answers -2 whatever happened.
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Makes the tab current (non-zero) or not; requests no repaint. 0.
    virtual int SetZUTabCheck(int state);
    /// The state set by SetZUTabCheck.
    virtual int GetZUTabCheck();

    int tabChecked = 0;  ///< Current tab when non-zero.
    int pressed = 0;     ///< 1 between a press and its release.
};

/// The caption-only tab (bold 12); it hears the pointer pass over it through mouse
/// rollover and shows the hover in the render pass that follows the move.
class ZUAPI ZUMiniTabButton : public ZUTabButton {
  public:
    ZUMiniTabButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;

    bool hover = false;  ///< The pointer moved over the tab since the last render.
};

// ---- Static text and text input ---------------------------------------------------------------
/// A label: the node's text (bold 10) in scheme colour 17; it hears no input.
class ZUAPI ZUStatic : public ZUWindow {
  public:
    ZUStatic();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
};

/// A one-line text input whose text is the node's text (bold 10).
///
/// A click starts an edit (the field captures the pointer and so receives the keys); Enter
/// or another click commits it and sends (parent, ZUM_TEXTENTERED, 0, 0, this, 0); Escape or
/// a right click restores the text from before the edit and sends nothing.
class ZUAPI ZUText : public ZUWindow {
  public:
    ZUText();
    /// The copy gets its own copy of the saved text; the node is shared as for ZUWindow.
    ZUText(const ZUText& other);
    /// The copy gets its own copy of the saved text; the node is shared as for ZUWindow.
    ZUText& operator=(const ZUText& other);
    /// Frees the saved text, then destroys the node as ZUWindow does.
    ~ZUText() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets which characters typing accepts. 0.
    /// Punctuation: the nine characters a file name may not hold (\ / : * ? " < > |).
    /// Digits only still accepts that punctuation and the space when they are allowed.
    virtual int SetZUTextInputType(bool allowPunctuation, bool digitsOnly, bool allowSpace);
    /// Sets the most characters typing may reach, 1 to 254; others ignored. 0.
    virtual int SetZUTextInputMax(int max);

    int maxLength = 255;          ///< Most characters typing may reach.
    bool editing = false;         ///< An edit is open.
    bool allowPunctuation = true; ///< Typing accepts the file-name punctuation.
    bool digitsOnly = false;      ///< Typing accepts digits (and what is allowed above) only.
    bool allowSpace = true;       ///< Typing accepts the space.
    char* savedText = nullptr;  ///< The text from before the edit (512-byte buffer, owned).
    int caret = 0;                ///< Caret index during an edit.
    /// The other end of the selection: the characters between it and the caret are
    /// selected (none when they are equal). Shift with Left, Right, Home or End, a
    /// press-and-drag, a double click (a word) and Control+A select; typing, Backspace
    /// and a paste replace the selection; Control+C copies it (or the whole text) to the
    /// clipboard, Control+X cuts it, Control+V pastes; selecting makes it the primary
    /// selection, which a middle click pastes, until the selection is cleared (as in GTK's
    /// entries; Enter or a click that ends the edit keeps it on offer). Pasted text loses line
    /// feeds, tabs, other control codes and what lies outside Latin-1, then passes the character
    /// filter and the length limit. The highlight is scheme colour 25. -1 (the default): no
    /// selection, whatever the caret is, so a host that sets only the caret selects nothing.
    int anchor = -1;
    int dragFrom = -1;  ///< Character under the press while a drag may select; -1 when none.

  protected:
    /// Opens an edit: saves the text, captures the pointer, puts the caret at the end.
    void beginEdit();
    /// Closes the edit, sends ZUM_TEXTENTERED and releases the capture; byClick (a click
    /// rather than Enter) sends it before the saved text is freed.
    void commit(bool byClick);
    /// Closes the edit and restores the saved text.
    void cancel();
    /// Handles a ZUM_KEY: ch the character, vk the virtual key code.
    void key(int ch, int vk);

  private:
    bool accepts(int ch) const;
    // Replaces the selection with the accepted characters of text, within the limits.
    void insertText(const std::string& text);
    void eraseSelection();
    int indexAt(int x) const;
    void syncPrimary() const;
};

// @@widgets-ii: the item lists, number field, slider, scroll and colour widgets follow.

// ---- Item lists ------------------------------------------------------------------------------
/// Capacity of the item lists.
///
/// Up to 128 items, appended only; user input never changes the selection: the widget asks
/// its parent with the index and the parent calls SetZUCurSel. The redraw arguments have no
/// effect; the next render pass shows every change. Each list owns copies of its texts.
enum : int { ZU_MAX_ITEMS = 128 };

/// A selector showing its current item (bold 10).
///
/// Type 0 opens the drop-down popup while the button is held; 1 and 3 step back or forward
/// by the half clicked; 2 steps forward on every click and draws the keywords
/// "XP_PLAYSTRAIGHT", "XP_PLAYLOOP", "XP_PLAYBOUNCE", "XP_RANGE" and "XP_INFINITY" as
/// pictograms (stepping wraps round). Choosing an item other than the current one sends
/// (parent, ZUM_SELECT, index, 0, this, 0).
class ZUAPI ZUComboButton : public ZUWindow {
  public:
    ZUComboButton();
    /// The copy owns copies of the item texts; the node is shared as for ZUWindow.
    ZUComboButton(const ZUComboButton& other);
    /// The copy owns copies of the item texts; the node is shared as for ZUWindow.
    ZUComboButton& operator=(const ZUComboButton& other);
    /// Frees the item texts and destroys the node.
    ~ZUComboButton() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Appends a copy of text; index must be the count or -1.
    /// 0, or 1 when index is neither the count nor -1, the list is full or text is null.
    virtual int InsertZUItem(int index, char* text, bool redraw);
    /// Copies item index into buffer.
    /// size: the longest text the buffer takes (it holds size + 1 bytes). 0, or 1. The size is
    /// compared unsigned: a negative size bounds nothing.
    virtual int GetZUItemText(int index, char* buffer, int size);
    /// Makes item index current. 0; -1 for an index out of range.
    virtual int SetZUCurSel(int index, bool redraw);
    /// The current index; -1 without items.
    virtual int GetZUCurSel();
    /// Removes every item; keeps the selection value. 0.
    virtual int ResetZUAll(bool redraw);
    /// Sets the type, 0 to 3; others ignored. 0.
    virtual int SetZUComboType(int type);

    int comboType = 0;  ///< 0 drop-down, 1 and 3 step by half, 2 step forward.
    int pressed = 0;    ///< 1 between a press and its release.
    int curSel = 0;     ///< Current index as set by SetZUCurSel.
    int count = 0;      ///< Number of items.
    char* items[ZU_MAX_ITEMS] = {};  ///< Owned item texts, slots 0 to count - 1.
};

/// A clickable label on a flat dark plate (bold 10): ZUM_CLICKED.
class ZUAPI ZUHotText : public ZUWindow {
  public:
    ZUHotText();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;

    int pressed = 0;  ///< 1 between a press and its release.
};

/// A list of clickable rows (bold 10), the highlighted one lit.
///
/// Every item in its own row, row 0 at the top: a press sends ZUM_ITEMPRESSED with the row,
/// the release inside ZUM_CLICKED, a double click on the same row ZUM_ITEMDBLCLK.
class ZUAPI ZUHotTextList : public ZUWindow {
  public:
    ZUHotTextList();
    /// The copy owns copies of the item texts; the node is shared as for ZUWindow.
    ZUHotTextList(const ZUHotTextList& other);
    /// The copy owns copies of the item texts; the node is shared as for ZUWindow.
    ZUHotTextList& operator=(const ZUHotTextList& other);
    /// Frees the item texts and destroys the node.
    ~ZUHotTextList() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Appends a copy of text, as ZUComboButton::InsertZUItem does. 0, or 1.
    virtual int InsertZUItem(int index, char* text, bool redraw);
    /// Copies item index, as ZUComboButton::GetZUItemText does. 0, or 1.
    virtual int GetZUItemText(int index, char* buffer, int size);
    /// Highlights row index; -1 clears the highlight. 0; -1 for an index out of range.
    virtual int SetZUCurSel(int index, bool redraw);
    /// The highlighted row (-1 for none); -1 without items.
    virtual int GetZUCurSel();
    /// Removes every item and clears the highlight. 0.
    virtual int ResetZUAll(bool redraw);
    /// The row under GUI height y (row 0 at the top).
    int RowAt(int y) const;

    int highlighted = -1;  ///< Highlighted row, or -1.
    int count = 0;         ///< Number of items.
    char* items[ZU_MAX_ITEMS] = {};  ///< Owned item texts, slots 0 to count - 1.
    int pressed = 0;          ///< 1 between a press and its release.
    int lastPressedRow = -1;  ///< Row of the last press, for the double click.
};

// ---- Number field, slider, scroll and colour widgets ---------------------------------------

/// A one-line number or timecode field (bold 10).
///
/// Type 0 shows the position as a decimal number, type 1
/// shows it as a frame count in timecode at the field's rate, type 2 shows a timecode text
/// the host stores with PutZUNumberTC. Dragging sideways (scrollable fields) and committing
/// the editor that a double click opens send (parent, ZUM_VALUECHANGED, value, 0, this, 0);
/// a type-2 commit sends a = 0 and q = the normalised text, valid during the call only. A
/// drag or an edit starts with ZUM_NUMBERBEGIN; a cancelled edit (right click, Escape) ends
/// with ZUM_NUMBEREND. The field shows the new value only once the parent stores it.
///
/// Rates (numerator/denominator): 24000, 15000, 25000, 30000, 50000 and 60000 over 1000 or
/// 1001 display; 50000 and 60000 show the count halved in 25 and 30 frame timecode. Entry
/// takes 24000, 30000 and 60000 over 1000 or 1001 and 25000 and 50000 over 1000; other rates
/// show "00:00:00:00" and enter 0. Drop frame applies at 30000 and 60000 only; at 60000 an
/// entered drop-frame timecode gives twice its 30-frame count, the inverse of the display.
/// The "-" key works only while the range minimum is below 0; on a 12-character timecode it
/// is ignored.
///
/// With redraw, the setters render and wait as ZURePaint does, except during a drag.
class ZUAPI ZUNumber : public ZUWindow {
  public:
    ZUNumber();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets the range min to max. Ignored when min > max; the position is not clamped to the
    /// new range. 0.
    virtual int SetZUNumberRange(int min, int max, bool redraw);
    /// The position.
    virtual int GetZUNumberPos();
    /// Sets the position. Ignored outside the range or when unchanged. 0.
    virtual int PutZUNumberPos(int pos, bool redraw);
    /// Copies the stored timecode text (type 2) into buffer. 0.
    /// buffer must hold 13 bytes and, as the caller's pledge of that, a text of 11 or 12
    /// characters; -1 otherwise (and for null).
    virtual int GetZUNumberTC(char* buffer);
    /// Stores the timecode text type 2 shows. Keeps the first 12 characters of a longer
    /// text; null is ignored. 0.
    virtual int PutZUNumberTC(char* text, bool redraw);
    /// The type, 0 to 2.
    virtual int GetZUNumberType();
    /// Sets the type (0 to 2, others ignored) with the rate and drop frame used by
    /// types 1 and 2. 0.
    virtual int PutZUNumberType(int type, int rateNum, int rateDen, bool dropFrame);
    /// Whether a sideways drag changes the value (default true). 0.
    virtual int SetZUScrollable(bool on);
    /// Whether a sideways drag changes the value.
    virtual bool GetZUScrollable();

    int rangeMin = 0;      ///< Range minimum.
    int position = 0;      ///< Position shown (types 0 and 1).
    int rangeMax = 0;      ///< Range maximum.
    int dragAnchor = 0;    ///< Position the drag began at.
    bool scrollable = true;  ///< A sideways drag changes the value.
    bool dragging = false;   ///< A drag is in progress.
    bool editing = false;    ///< The editor is open.
    int caret = 0;           ///< Caret index in the editor.
    int editValue = 0;       ///< The number being edited (type 0).
    char editText[13] = {};  ///< The timecode being edited (types 1 and 2).
    char timecode[13] = "00:00:00:00";  ///< The text type 2 shows.
    int numberType = 0;      ///< 0 number, 1 frame count as timecode, 2 timecode text.
    int rateNum = 30000;     ///< Rate numerator.
    int rateDen = 1001;      ///< Rate denominator.
    bool dropFrame = false;  ///< Drop-frame timecode.
    /// The other end of the editor's selection (see ZUText::anchor, whose keys, clipboard
    /// and primary selection the editor shares). The double click opens the editor and
    /// selects nothing, but a drag from its press selects, and a further quick press (a
    /// triple click) selects the word under it. -1: no selection.
    int anchor = -1;
    int dragFrom = -1;  ///< Character under the opening press while a drag may select.

  protected:
    /// The drag position for a pointer at x: one unit per pixel from the centre line, from
    /// the position the drag began at, within the range.
    int GenerateNumPos(int x);

  private:
    void repaint(bool redraw);
    void shownEditText(char out[16]) const;
    void beginDrag();
    void openEditor();
    void commit();
    void cancel();
    void key(int a, int b);
    void typeNumber(int ch);
    void typeTimecode(int ch);
    void backspace();
    void storeEditText(const char* text);
    void eraseSelection();
    void typeChar(int ch);
    void paste(const std::string& text);
    int shownFlags() const;
    int indexAt(int x) const;
    void syncPrimary() const;
};

/// A horizontal slider.
///
/// A position in a range, drawn as a filled bar with a position line (type 0) or as a track
/// with a diamond knob (type 1), with an optional highlighted sub-range. Holding the mouse on
/// it reports the position under the pointer: (parent, ZUM_SLIDERPRESS / ZUM_SLIDERDRAG /
/// ZUM_SLIDERRELEASE, position, 0, this, 0); the parent moves it with PutZUSliderPos.
/// Setters refuse bad values silently (returning 0); with repaint they render and wait as
/// ZURePaint does, except during a drag.
class ZUAPI ZUSlider : public ZUWindow {
  public:
    ZUSlider() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// The type: 0 bar, 1 knob.
    virtual int GetZUSliderType();
    /// Sets the type, 0 or 1.
    virtual int SetZUSliderType(int type, bool repaint);
    /// Sets the range (refused when min > max); the position stays.
    virtual int SetZUSliderRange(int min, int max, bool repaint);
    /// Sets the highlighted sub-range (refused when start > end).
    /// (0, 0) and the whole range draw no highlight.
    virtual int SetZUSliderSubRange(int start, int end, bool repaint);
    /// The position.
    virtual int GetZUSliderPos();
    /// Sets the position; within the range, else ignored.
    virtual int PutZUSliderPos(int pos, bool repaint);

    int sliderType = 0;  ///< 0 bar, 1 knob.
    int minimum = 0;     ///< Range minimum.
    int position = 0;    ///< Position.
    int maximum = 0;     ///< Range maximum.
    int subStart = 0;    ///< Highlighted sub-range start.
    int subEnd = 0;      ///< Highlighted sub-range end.
    unsigned char dragging = 0;  ///< 1 while the mouse is held on the slider.

  protected:
    /// The position under a pointer at x, within the range.
    int GenerateHPos(int x);
    /// Draws the slider; needs the node and the main context current.
    void GenerateSlider();

  private:
    void repaint(bool redraw);
};

/// A passive scroll bar frame: a grey track between two 32 x 32 buttons at its ends. The
/// buttons' clicks reach the scroll, which ignores them; it has no position of its own.
class ZUAPI ZUScroll : public ZUWindow {
  public:
    ZUScroll() = default;
    /// Makes the node and its two buttons. -2 for a null rectangle too: the buttons are placed
    /// from it.
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    /// Destroys the buttons, then the node. 0.
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;

    ZUButton endButton;    ///< The right button.
    ZUButton startButton;  ///< The left button.
};

/// A hue and brightness picker.
///
/// A hue plane (the hue at the top fading to white at the bottom) with a brightness bar at
/// its right. Holding the mouse on either picks from the point under the pointer and sends
/// (parent, ZUM_COLORCHANGED, 0, 0, this, 0); a picker without a parent picks nothing. The
/// plane is width - 38 pixels wide, then a 6-pixel gap that picks nothing, then the bar.
class ZUAPI ZUColorPicker : public ZUWindow {
  public:
    ZUColorPicker() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Has no effect. 0.
    virtual int SetZUColorPicker(ZuFCOLOR* colour);
    /// The chosen colour times the brightness, alpha 1. 0; null is ignored.
    virtual int GetZUColorPicker(ZuFCOLOR* colour);

    int markX = 0;         ///< GUI x of the mark on the plane.
    int markY = 0;         ///< GUI y of the mark on the plane.
    float red = 1;         ///< Picked colour, 0 to 1, before brightness.
    float green = 1;       ///< Picked colour, 0 to 1, before brightness.
    float blue = 1;        ///< Picked colour, 0 to 1, before brightness.
    float brightness = 1;  ///< Brightness from the bar, 0 to 1.
    int dragging = 0;      ///< 1 while the mouse is held on the picker.

  protected:
    /// Picks at a point: 1 when it hit the plane or the bar, else 0 and nothing changes.
    int DrawColorCircle(int x, int y);
    /// Draws the plane, the bar and the marks; the main context must be current.
    void GeneratePicker();

  private:
    int planeWidth() const;
    int lastLine() const;
    void pick(int x, int y);
};

/// A colour wheel with four handles.
///
/// A colour circle, blue at the top, red at 120 and green at 240 degrees clockwise, white at
/// the centre, with four handle points; it sends nothing, the host reads a handle's colour.
///
/// The frame of the handles, kept as the wheel has always had it: a handle holds the GUI
/// position of the pointer (the wheel's centre after creation) and is drawn there, but
/// ResetColors puts handles at (0, 0), and GetColorWheelColor reads a handle as a vector
/// from the GUI origin, not from the wheel's centre, and scales the colour by that vector's
/// length |x| + |y| in pixels instead of normalising it. The mouse always moves handle 0;
/// the wheel type names the handle whose line from the centre is drawn and which
/// ResetColors(0) clears.
class ZUAPI ZUColorWheel : public ZUWindow {
  public:
    ZUColorWheel() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    /// Sets the type, the handle 0 to 3; anything else gives 0. 0.
    int SetColorWheelType(int type);
    /// Puts every handle (all != 0) or the type's handle at (0, 0). 0.
    int ResetColors(int all);
    /// Writes the handle's colour, scaled as described above, into the outputs. 0.
    /// A handle outside 0 to 3 reads the point (0, 0); null outputs are skipped.
    int GetColorWheelColor(int handle, float* red, float* green, float* blue);

    int dragging = 0;   ///< 1 while the mouse is held on the wheel.
    float centreX = 0;  ///< GUI x of the wheel's centre.
    float centreY = 0;  ///< GUI y of the wheel's centre.
    ZuFLOATPOINT handles[4] = {};  ///< Handle points, GUI coordinates.
    int wheelType = 0;  ///< The handle whose line is drawn, 0 to 3.

  protected:
    /// Moves a handle, only while the wheel is shown.
    void DrawLine(int handle, int x, int y);
    /// Draws the circle; the main context must be current.
    void GenerateCircle();
    /// Draws the handles and the type's line, skipping handle skip.
    void PaintLines(int skip);
};
