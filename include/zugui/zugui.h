/// \file
/// zugui: the whole public API; include this one header.
#pragma once

#include "zugui/types.h"
#include "zugui/platform.h"
#include "zugui/gui.h"
#include "zugui/text.h"
#include "zugui/widgets.h"
#include "zugui/popups.h"
#include "zugui/video.h"
