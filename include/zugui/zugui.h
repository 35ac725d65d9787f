/// \file
/// zugui: the whole public API; include this one header. \ref threads gives the thread
/// rules, \ref zum_messages the messages and \ref internals a map of the code.
#pragma once

#include "zugui/types.h"
#include "zugui/platform.h"
#include "zugui/gui.h"
#include "zugui/text.h"
#include "zugui/widgets.h"
#include "zugui/popups.h"
#include "zugui/video.h"
