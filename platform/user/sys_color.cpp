// System colours: the classic scheme, whose table lives in base/ so that the
// graphics layer and the kit's colours read the same values.
#include "platform/user/sys_color.h"

#include "base/color.h"

DWORD GetSysColor(int index) {
    return gleamkit::ClassicSystemColor(index);
}
