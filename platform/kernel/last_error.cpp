// One last-error value for the program's one thread.
#include "platform/kernel/last_error.h"

namespace {
DWORD g_lastError = ERROR_SUCCESS;
} // namespace

DWORD GetLastError() {
    return g_lastError;
}

void SetLastError(DWORD errorCode) {
    g_lastError = errorCode;
}
