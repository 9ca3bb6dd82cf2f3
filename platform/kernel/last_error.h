// The calling thread's last-error value, as Win32 keeps it: functions that
// fail set it, a few that succeed clear it, and callers read it right after a
// failure. The program has one thread, so one value serves.
#pragma once

#include "platform/win32_types.h"

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_READ_FAULT = 30;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;

// The last error recorded by a platform call (ERROR_SUCCESS at start).
DWORD GetLastError();
// Records `errorCode` as the last error.
void SetLastError(DWORD errorCode);
