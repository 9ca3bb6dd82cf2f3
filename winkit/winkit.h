// The window kit in one include: controls and the message loop, menus from
// templates, the file dialog, the paint box, the scroll box and alignment.
//
// Usage: make a form (NewForm), its menu (NewMenu) and children (NewPaintBox,
// NewScrollingBox, NewChildControl), make it the application control, and
// hand it to Run, which shows it, runs the loop until it is closed and frees
// it with everything it owns.
#pragma once

#include "winkit/align.h"
#include "winkit/application.h"
#include "winkit/control.h"
#include "winkit/file_chooser.h"
#include "winkit/menu.h"
#include "winkit/paint_box.h"
#include "winkit/scroll_box.h"
