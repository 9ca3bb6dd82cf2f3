// What the program learns about the system: an NT 5.1 version (the platform
// behaves as Windows XP's classic look), and its own module handle.
#include "platform/user/user.h"

#include <cstring>

namespace {

// A fixed non-null value: the program is the only module.
HMODULE ProgramModule() {
    static char marker;
    return reinterpret_cast<HMODULE>(&marker);
}

} // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? ProgramModule() : nullptr;
}
