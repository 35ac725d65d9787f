// Popups: the drop-down list of the combo buttons and the message box. Each lives in a
// top-level window of its own with its own GL context and font set. ZUInitGUI creates
// both hidden and ZUKillGUI releases them; call them on the thread that owns the main
// window.
#pragma once

#include "zugui/types.h"

// ---- Drop-down popup --------------------------------------------------------------------
// Creates the hidden popup ("XCombo") with its context and font set 1. 0, or -2 when the
// window class cannot be registered.
ZUAPI ZuErr ZUInitCombo(int x, int y, int width, int height, char* iconFile);
// Shows the popup with its top-left corner at screen (x, y), width x height, for count
// rows of items (not copied: the array must stay valid while shown). Drawing waits for
// ZURenderComboGUI. 0, or -2 when the popup does not exist.
ZUAPI ZuErr ZUShowCombo(int x, int y, int width, int height, int count, char** items);
// Draws the popup once, highlighting the row under the pointer.
ZUAPI void ZURenderComboGUI(void);
// Hides the popup; the index of the row under the pointer (0 at the top), or -1.
ZUAPI int ZUHideCombo(void);
ZUAPI ZuErr ZUKillCombo(void);

// ---- Message box --------------------------------------------------------------------------
// Creates the hidden message box ("XMB") with its context and font set 2. 0, or -2.
ZUAPI ZuErr ZUInitMB(char* iconFile);
// Shows a title and a message (at most 255 characters each are drawn) centred over the
// node held in the root node's user data (over the main window when that is null). Input
// to the main window and the video windows is ignored until the box is dismissed by a
// click on it or by ZUHideMB. 0, or -2 when the box does not exist.
ZUAPI ZuErr ZUShowMB(char* title, char* message);
// Hides the box and ends the input block. 1.
ZUAPI int ZUHideMB(void);
ZUAPI void ZURenderMBGUI(void);
ZUAPI ZuErr ZUKillMB(void);
