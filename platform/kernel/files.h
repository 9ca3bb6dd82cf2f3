// Files as kernel32 offers them: CreateFileA opens or creates a file and hands
// out a handle; ReadFile, SetFilePointer and GetFileSize work on the handle's
// one file position; CloseHandle ends it. A stale, closed, foreign or invalid
// handle makes every call fail (FALSE, INVALID_SET_FILE_POINTER,
// INVALID_FILE_SIZE) with ERROR_INVALID_HANDLE as the last error, never crash.
#pragma once

#include <cstdint>

#include "platform/kernel/last_error.h"
#include "platform/win32_types.h"

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
// Overlapped (asynchronous) input is not offered; see ReadFile.
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
using LPDWORD = DWORD*;
using PLONG = LONG*;

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;

inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Opens (or creates, by `creationDisposition`: CREATE_NEW, CREATE_ALWAYS,
// OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING) the file `fileName` for the
// GENERIC_READ and/or GENERIC_WRITE access asked. The position starts at 0.
// Share modes, security attributes, flags and the template are accepted and
// have no effect here (nothing on this system locks files against others).
// OPEN_ALWAYS and CREATE_ALWAYS on an existing file succeed with
// ERROR_ALREADY_EXISTS as the last error. A directory cannot be opened
// (ERROR_ACCESS_DENIED). Failure: INVALID_HANDLE_VALUE and the last error.
// The caller closes the handle with CloseHandle.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Reads up to `bytesToRead` bytes at the file position into `buffer` and
// moves the position past them. `*bytesRead` (when given) is set to 0 first,
// then to the count read; a read at or past the end succeeds with 0 bytes.
// Fails (FALSE) for a bad handle, a handle opened without GENERIC_READ
// (ERROR_ACCESS_DENIED), a null buffer with a non-zero count, or any
// `overlapped` record (ERROR_INVALID_PARAMETER: only synchronous reads exist).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped);

// Moves the file position by `distanceToMove` from FILE_BEGIN, FILE_CURRENT or
// FILE_END and answers the low 32 bits of the new position. Without
// `distanceToMoveHigh` the distance is a signed 32-bit value and the new
// position must stay below 2^32 - 1; with it, `*distanceToMoveHigh` is the high
// half of a signed 64-bit distance and receives the high half of the result.
// Positions past the end are allowed. A move to a negative position fails with
// ERROR_NEGATIVE_SEEK and leaves the position where it was. Failure answers
// INVALID_SET_FILE_POINTER; success sets the last error to ERROR_SUCCESS, so a
// caller can tell a real position 0xFFFFFFFF from a failure.
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);

// The low 32 bits of the file's size; the high 32 bits go to `*fileSizeHigh`
// when given. Failure answers INVALID_FILE_SIZE; success sets the last error
// to ERROR_SUCCESS (a size whose low half is 0xFFFFFFFF is then told apart).
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);

// Closes a file handle; the handle value is dead from then on (a second close
// fails with ERROR_INVALID_HANDLE).
BOOL CloseHandle(HANDLE object);
