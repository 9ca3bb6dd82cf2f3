// The window manager's icons as the graphics layer's CopyImage sees them (not
// part of Win32): CopyImage hands IMAGE_ICON and IMAGE_CURSOR here.
#pragma once

#include "platform/win32_types.h"

// A new, non-shared copy of an icon (type IMAGE_ICON) or cursor
// (IMAGE_CURSOR); NULL when `image` is no live icon or cursor of that type.
// The copy is freed with DestroyIcon / DestroyCursor.
HANDLE UserCopyIcon(HANDLE image, UINT type);
// Whether `handle` is a live icon or cursor.
bool UserIsIcon(HANDLE handle);
