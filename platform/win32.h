// The Win32-shaped platform layer: include this one header to call it as kit
// code would call Win32. Each area has its own header beside this one.
#pragma once

#include "platform/win32_types.h"
#include "platform/user/sys_color.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"
#include "platform/user/user.h"
#include "platform/comdlg/comdlg.h"
#include "platform/gdi/gdi.h"
