/// \file
/// Popups: the drop-down list of the combo buttons and the message box. Each lives in a
/// top-level window of its own with its own GL context and font set. ZUInitGUI creates
/// both hidden and ZUKillGUI releases them; call them on the thread that owns the main
/// window.
#pragma once

#include "zugui/types.h"

// ---- Drop-down popup --------------------------------------------------------------------
/// Creates the hidden popup ("XCombo") with its context and font set 1; (x, y, width,
/// height) is its first screen geometry. 0 (also when it exists), or -2 when the window or
/// its context cannot be made.
ZUAPI ZuErr ZUInitCombo(int x, int y, int width, int height, char* iconFile);
/// Shows the popup with its top-left corner at screen (x, y), width x height, for count
/// rows of items (not copied: the array must stay valid while shown). Drawing waits for
/// ZURenderComboGUI. 0, or -2 when the popup does not exist.
ZUAPI ZuErr ZUShowCombo(int x, int y, int width, int height, int count, char** items);
/// Draws the popup once, highlighting the row under the pointer, with the popup's context
/// made current on the calling thread (a combo button calls it on each pointer move).
ZUAPI void ZURenderComboGUI(void);
/// Hides the popup; the index of the row under the pointer (0 at the top), or -1.
ZUAPI int ZUHideCombo(void);
/// Destroys the popup with its context and fonts. 0, also when it does not exist.
ZUAPI ZuErr ZUKillCombo(void);

// ---- Message box --------------------------------------------------------------------------
/// Creates the hidden message box ("XMB") with its context and font set 2. 0 (also when it
/// exists), or -2 when the window or its context cannot be made.
ZUAPI ZuErr ZUInitMB(char* iconFile);
/// Shows a title and a message (at most 255 characters each are drawn) centred over the
/// node held in the root node's user data (over the main window when that is null). Input
/// to the main window and the video windows is ignored until the box is dismissed by a
/// click on it or by ZUHideMB. 0, or -2 when the box does not exist.
ZUAPI ZuErr ZUShowMB(char* title, char* message);
/// Hides the box and ends the input block. 1.
ZUAPI int ZUHideMB(void);
/// Draws the box once with its context made current on the calling thread; the box also
/// draws itself when shown, activated or exposed.
ZUAPI void ZURenderMBGUI(void);
/// Hides the box, ends the input block and destroys the window with its context. 0.
ZUAPI ZuErr ZUKillMB(void);
