// Widgets: the ZUWindow base class and the library's widget classes.
//
// A widget object owns one window node whose user data is the object; the node's messages
// become virtual ReceiveZUMessage calls. The host allocates and frees the objects itself,
// creates each with CreateZUWindow under a parent widget, and hears the widgets' actions
// (ZUM_CLICKED, ZUM_SELECT, ...) in the ReceiveZUMessage of its own ZUWindow-derived parent,
// with p = the widget. Widgets never change their own checked or selected state on a click:
// the parent decides and calls the setter.
//
// Threads: input reaches a widget on the main window's thread, ZUM_RENDER on the render
// thread while the input thread waits, so nothing is locked. Create, destroy and change
// widgets on the main window's thread or while no render pass runs.
#pragma once

#include "zugui/gui.h"
#include "zugui/text.h"

class ZUAPI ZUWindow {
  public:
    ZUWindow() = default;
    // Copies share the node; its messages keep reaching the first object.
    ZUWindow(const ZUWindow& other) = default;
    ZUWindow& operator=(const ZUWindow& other) = default;
    // Destroys a node that is still there, and with it the node's whole subtree.
    virtual ~ZUWindow();

    // -2 when the object already has a node or no node could be made (a root exists and
    // parent has no node). The first widget made while no root exists becomes the root.
    virtual ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags,
                                 unsigned int reserved, ZuRECT* rect, ZUWindow* parent);
    // Runs OnZUDestroy, then destroys the node; 0, also without a node.
    virtual ZuErr DestroyZUWindow(void);
    virtual ZuErr ResizeZUWindow(ZuRECT* rect, unsigned char repaint);
    virtual ZuErr SetZUFocus(void);  // focus is not supported: always -2
    virtual ZuErr ShowZUWindow(int show, unsigned char repaint);
    virtual ZuErr EnableZUWindow(int enable, unsigned char repaint);
    virtual unsigned char IsVisible(void);  // 0 without a node
    virtual unsigned char IsEnabled(void);  // 0 without a node
    virtual ZuErr RenderZUWindow(void);
    virtual ZuErr GetZURect(ZuRECT* rect);  // -2 without a node
    virtual ZuErr SetWindowZUText(char* text, unsigned char repaint);
    // buffer must hold 256 bytes; size is not used to cut the text. -2 without a node.
    virtual ZuErr GetWindowZUText(char* buffer, int size);
    virtual ZuErr SetWindowZUTextStyle(int font, int flags, unsigned char repaint);
    virtual ZuErr GetWindowZUTextStyle(int& font, int& flags);
    virtual ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q);
    // Calls target->ReceiveZUMessage at once; 0 (also for a null target, which hears nothing).
    virtual ZuErr SendZUMessage(ZUWindow* target, unsigned int msg, int a, int b, void* p, void* q);
    virtual ZUWindow* GetZUParent(void);
    virtual ZUWindowNode* GetZUParentWnd(void);
    virtual ZuErr OnZUCreate(void);
    virtual ZuErr OnZUResize(void);
    virtual ZuErr OnZUDestroy(void);

    ZUWindowNode* GetZUWndHandle(void) { return node; }
    static int stWinMsgHandler(void* userData, unsigned int msg, int a, int b, void* p, void* q);

    ZUWindow* parent = nullptr;
    ZuRECT rect{};
    int fontId = 0;
    int textFlags = 0;
    ZUWindowNode* node = nullptr;

  protected:
    // The creation shared by the library's widgets: node style 2 whatever the caller asks,
    // double clicks switched on when asked, then OnZUCreate.
    ZuErr createWidget(char* text, unsigned int flags, ZuRECT* rect, ZUWindow* parent,
                       bool doubleClicks = false);
    // The destruction shared by the library's widgets: no OnZUDestroy hook.
    ZuErr destroyWidget(void);
    // Tells the parent widget, if any: (parent, msg, a, 0, this, 0).
    void notifyParent(unsigned int msg, int a);
    bool contains(int x, int y) const {
        return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
    }
    bool drawable() const { return node && node->visible; }
};

// ---- Push buttons and check boxes ---------------------------------------------------------
// Type 0 push, 1 latching (check box: checkable), 2 inert: a press captures and the release
// only gives the capture back. A click sends (parent, ZUM_CLICKED, value, 0, this, 0);
// value is 0, or for a check box the state the user asks for.
class ZUAPI ZUButton : public ZUWindow {
  public:
    ZUButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    // Bit 0: type 1; else bit 1: type 2; else unchanged.
    virtual int ButtonZUType(unsigned int bits);
    // Type 1 only; requests no repaint.
    virtual int SetZUCheck(int state);
    virtual int GetZUCheck();

    int pressed = 0;
    int buttonType = 0;
    int checked = 0;
    int pressPending = 0;

  protected:
    void press();
    // Returns whether the release completes a click inside.
    bool release(int x, int y);
};

class ZUAPI ZUCheckBox : public ZUButton {
  public:
    ZUCheckBox();
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    int SetZUCheck(int state) override;
};

// ---- Picture buttons ------------------------------------------------------------------------
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
    ZU_PICT_DISCPRESSED = 17,  // the disc, active only while pressed
    ZU_PICT_MAXIMIZE = 23,
};

// Button types: 0 push, 1 latch, 2 inert (the release gives the capture back), 3 action:
// the first click inside engages it and keeps the pointer captured, a second click or
// ResetZUActionState releases it; each click sends ZUM_CLICKED. Background 0 plain, 1 framed.
class ZUAPI ZUPictureButton : public ZUWindow {
  public:
    ZUPictureButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    virtual int ButtonZUPictureType(unsigned int type);  // any value
    virtual int ButtonZUType(unsigned int type);         // 0 to 3, others ignored
    virtual int ResetZUActionState(bool redraw);
    virtual int SetZUCheck(int state);
    virtual int GetZUCheck();
    virtual int SetZUBkType(int type);  // 0 or 1, others ignored
    virtual int GetZUBkType();

    int pictureType = 0;
    int pressed = 0;
    int buttonType = 0;
    int check = 0;
    int armed = 0;
    int engaged = 0;
    int bkType = 0;
};

// ---- Tabs ----------------------------------------------------------------------------------
// A click sends ZUM_CLICKED; the parent makes a tab current with SetZUTabCheck.
// DestroyZUWindow returns -2 in every case, as the design has it.
class ZUAPI ZUTabButton : public ZUWindow {
  public:
    ZUTabButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    virtual int SetZUTabCheck(int state);  // requests no repaint
    virtual int GetZUTabCheck();

    int tabChecked = 0;
    int pressed = 0;
};

// The caption-only tab; it hears the pointer pass over it through mouse rollover.
class ZUAPI ZUMiniTabButton : public ZUTabButton {
  public:
    ZUMiniTabButton();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;

    bool hover = false;
};

// ---- Static text and text input ---------------------------------------------------------------
class ZUAPI ZUStatic : public ZUWindow {
  public:
    ZUStatic();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
};

// A click starts an edit (the field captures the pointer and so receives the keys); Enter
// or another click commits it and sends (parent, ZUM_TEXTENTERED, 0, 0, this, 0); Escape or
// a right click restores the text from before the edit and sends nothing.
class ZUAPI ZUText : public ZUWindow {
  public:
    ZUText();
    ZUText(const ZUText& other);
    ZUText& operator=(const ZUText& other);
    ~ZUText() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    // Punctuation: the nine characters a file name may not hold (\ / : * ? " < > |).
    // Digits only still accepts that punctuation and the space when they are allowed.
    virtual int SetZUTextInputType(bool allowPunctuation, bool digitsOnly, bool allowSpace);
    virtual int SetZUTextInputMax(int max);  // 1 to 254, others ignored

    int maxLength = 255;
    bool editing = false;
    bool allowPunctuation = true;
    bool digitsOnly = false;
    bool allowSpace = true;
    char* savedText = nullptr;  // the text from before the edit (512-byte buffer)
    int caret = 0;

  protected:
    void beginEdit();
    void commit(bool byClick);
    void cancel();
    void key(int ch, int vk);
};

// @@widgets-ii: the item lists, number field, slider, scroll and colour widgets follow.

// ---- Item lists ------------------------------------------------------------------------------
// Up to 128 items, appended only; user input never changes the selection: the widget asks
// its parent with the index and the parent calls SetZUCurSel. The redraw arguments have no
// effect; the next render pass shows every change.
enum : int { ZU_MAX_ITEMS = 128 };

// Type 0 opens the drop-down popup while the button is held; 1 and 3 step back or forward
// by the half clicked; 2 steps forward on every click and draws the keywords
// "XP_PLAYSTRAIGHT", "XP_PLAYLOOP", "XP_PLAYBOUNCE", "XP_RANGE" and "XP_INFINITY" as
// pictograms. A choice sends (parent, ZUM_SELECT, index, 0, this, 0).
class ZUAPI ZUComboButton : public ZUWindow {
  public:
    ZUComboButton();
    ZUComboButton(const ZUComboButton& other);
    ZUComboButton& operator=(const ZUComboButton& other);
    ~ZUComboButton() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    // 0, or 1 when index is neither the count nor -1, the list is full or text is null.
    virtual int InsertZUItem(int index, char* text, bool redraw);
    // size: the longest text the buffer takes (it holds size + 1 bytes). 0, or 1. The size is
    // compared unsigned: a negative size bounds nothing.
    virtual int GetZUItemText(int index, char* buffer, int size);
    virtual int SetZUCurSel(int index, bool redraw);  // -1 for an index out of range
    virtual int GetZUCurSel();                        // -1 without items
    virtual int ResetZUAll(bool redraw);              // keeps the selection value
    virtual int SetZUComboType(int type);             // 0 to 3, others ignored

    int comboType = 0;
    int pressed = 0;
    int curSel = 0;
    int count = 0;
    char* items[ZU_MAX_ITEMS] = {};
};

// A clickable label on a flat dark plate: ZUM_CLICKED.
class ZUAPI ZUHotText : public ZUWindow {
  public:
    ZUHotText();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;

    int pressed = 0;
};

// Every item in its own row, row 0 at the top: a press sends ZUM_ITEMPRESSED with the row,
// the release inside ZUM_CLICKED, a double click on the same row ZUM_ITEMDBLCLK.
class ZUAPI ZUHotTextList : public ZUWindow {
  public:
    ZUHotTextList();
    ZUHotTextList(const ZUHotTextList& other);
    ZUHotTextList& operator=(const ZUHotTextList& other);
    ~ZUHotTextList() override;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    virtual int InsertZUItem(int index, char* text, bool redraw);
    virtual int GetZUItemText(int index, char* buffer, int size);
    virtual int SetZUCurSel(int index, bool redraw);  // -1 clears the highlight
    virtual int GetZUCurSel();
    virtual int ResetZUAll(bool redraw);
    // The row under GUI height y (row 0 at the top).
    int RowAt(int y) const;

    int highlighted = -1;
    int count = 0;
    char* items[ZU_MAX_ITEMS] = {};
    int pressed = 0;
    int lastPressedRow = -1;
};

// ---- Number field, slider, scroll and colour widgets ---------------------------------------

// A one-line number or timecode field. Type 0 shows the position as a decimal number, type 1
// shows it as a frame count in timecode at the field's rate, type 2 shows a timecode text
// the host stores with PutZUNumberTC. Dragging sideways (scrollable fields) and committing
// the editor that a double click opens send (parent, ZUM_VALUECHANGED, value, 0, this, 0);
// a type-2 commit sends a = 0 and q = the normalised text, valid during the call only. A
// drag or an edit starts with ZUM_NUMBERBEGIN; a cancelled edit (right click, Escape) ends
// with ZUM_NUMBEREND. The field shows the new value only once the parent stores it.
//
// Rates (numerator/denominator): 24000, 15000, 25000, 30000, 50000 and 60000 over 1000 or
// 1001 display; 50000 and 60000 show the count halved in 25 and 30 frame timecode. Entry
// takes 24000, 30000 and 60000 over 1000 or 1001 and 25000 and 50000 over 1000; other rates
// show "00:00:00:00" and enter 0. Drop frame applies at 30000 and 60000 only; at 60000 an
// entered drop-frame timecode gives twice its 30-frame count, the inverse of the display.
// The "-" key works only while the range minimum is below 0; on a 12-character timecode it
// is ignored.
class ZUAPI ZUNumber : public ZUWindow {
  public:
    ZUNumber();
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    // Ignored when min > max; the position is not clamped to the new range.
    virtual int SetZUNumberRange(int min, int max, bool redraw);
    virtual int GetZUNumberPos();
    // Ignored outside the range or when unchanged.
    virtual int PutZUNumberPos(int pos, bool redraw);
    // buffer must hold 13 bytes and, as the caller's pledge of that, a text of 11 or 12
    // characters; -1 otherwise (and for null).
    virtual int GetZUNumberTC(char* buffer);
    // Keeps the first 12 characters of a longer text; null is ignored.
    virtual int PutZUNumberTC(char* text, bool redraw);
    virtual int GetZUNumberType();
    // Type 0 to 2, others ignored.
    virtual int PutZUNumberType(int type, int rateNum, int rateDen, bool dropFrame);
    virtual int SetZUScrollable(bool on);
    virtual bool GetZUScrollable();

    int rangeMin = 0;
    int position = 0;
    int rangeMax = 0;
    int dragAnchor = 0;
    bool scrollable = true;
    bool dragging = false;
    bool editing = false;
    int caret = 0;
    int editValue = 0;
    char editText[13] = {};
    char timecode[13] = "00:00:00:00";
    int numberType = 0;
    int rateNum = 30000;
    int rateDen = 1001;
    bool dropFrame = false;

  protected:
    // The drag position for a pointer at x: one unit per pixel from the centre line, from
    // the position the drag began at, within the range.
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
};

// A position in a range, drawn as a filled bar with a position line (type 0) or as a track
// with a diamond knob (type 1), with an optional highlighted sub-range. Holding the mouse on
// it reports the position under the pointer: (parent, ZUM_SLIDERPRESS / ZUM_SLIDERDRAG /
// ZUM_SLIDERRELEASE, position, 0, this, 0); the parent moves it with PutZUSliderPos.
// Setters refuse bad values silently and request no repaint during a drag.
class ZUAPI ZUSlider : public ZUWindow {
  public:
    ZUSlider() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    virtual int GetZUSliderType();
    virtual int SetZUSliderType(int type, bool repaint);           // 0 or 1
    virtual int SetZUSliderRange(int min, int max, bool repaint);  // the position stays
    // (0, 0) and the whole range draw no highlight.
    virtual int SetZUSliderSubRange(int start, int end, bool repaint);
    virtual int GetZUSliderPos();
    virtual int PutZUSliderPos(int pos, bool repaint);  // within the range, else ignored

    int sliderType = 0;
    int minimum = 0;
    int position = 0;
    int maximum = 0;
    int subStart = 0;
    int subEnd = 0;
    unsigned char dragging = 0;

  protected:
    // The position under a pointer at x, within the range.
    int GenerateHPos(int x);
    void GenerateSlider();

  private:
    void repaint(bool redraw);
};

// A passive scroll bar frame: a grey track between two 32 x 32 buttons at its ends. The
// buttons' clicks reach the scroll, which ignores them; it has no position of its own.
class ZUAPI ZUScroll : public ZUWindow {
  public:
    ZUScroll() = default;
    // -2 for a null rectangle too: the buttons are placed from it.
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;

    ZUButton endButton;    // right
    ZUButton startButton;  // left
};

// A hue plane (the hue at the top fading to white at the bottom) with a brightness bar at
// its right. Holding the mouse on either picks from the point under the pointer and sends
// (parent, ZUM_COLORCHANGED, 0, 0, this, 0); a picker without a parent picks nothing. The
// plane is width - 38 pixels wide, then a 6-pixel gap that picks nothing, then the bar.
class ZUAPI ZUColorPicker : public ZUWindow {
  public:
    ZUColorPicker() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    virtual int SetZUColorPicker(ZuFCOLOR* colour);  // has no effect
    // The chosen colour times the brightness, alpha 1.
    virtual int GetZUColorPicker(ZuFCOLOR* colour);

    int markX = 0;
    int markY = 0;
    float red = 1;
    float green = 1;
    float blue = 1;
    float brightness = 1;
    int dragging = 0;

  protected:
    // Picks at a point: 1 when it hit the plane or the bar, else 0 and nothing changes.
    int DrawColorCircle(int x, int y);
    void GeneratePicker();

  private:
    int planeWidth() const;
    int lastLine() const;
    void pick(int x, int y);
};

// A colour circle, blue at the top, red at 120 and green at 240 degrees clockwise, white at
// the centre, with four handle points; it sends nothing, the host reads a handle's colour.
//
// The frame of the handles, kept as the wheel has always had it: a handle holds the GUI
// position of the pointer (the wheel's centre after creation) and is drawn there, but
// ResetColors puts handles at (0, 0), and GetColorWheelColor reads a handle as a vector
// from the GUI origin, not from the wheel's centre, and scales the colour by that vector's
// length |x| + |y| in pixels instead of normalising it. The mouse always moves handle 0;
// the wheel type names the handle whose line from the centre is drawn and which
// ResetColors(0) clears.
class ZUAPI ZUColorWheel : public ZUWindow {
  public:
    ZUColorWheel() = default;
    ZuErr CreateZUWindow(char* text, unsigned int style, unsigned int flags, unsigned int reserved,
                         ZuRECT* rect, ZUWindow* parent) override;
    ZuErr DestroyZUWindow(void) override;
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    int SetColorWheelType(int type);  // 0 to 3, anything else gives 0
    int ResetColors(int all);
    // A handle outside 0 to 3 reads the point (0, 0); null outputs are skipped.
    int GetColorWheelColor(int handle, float* red, float* green, float* blue);

    int dragging = 0;
    float centreX = 0;
    float centreY = 0;
    ZuFLOATPOINT handles[4] = {};
    int wheelType = 0;

  protected:
    // Moves a handle, only while the wheel is shown.
    void DrawLine(int handle, int x, int y);
    void GenerateCircle();
    void PaintLines(int skip);
};
