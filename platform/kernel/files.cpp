// File handles over POSIX descriptors, kept in the platform's typed handle
// table: a closed, stale or foreign handle finds no file and the call fails.
#include "platform/kernel/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/handle_table.h"

namespace {

// One open file; closing happens when the table lets it go.
struct OpenFile {
    OpenFile(int descriptorIn, bool canReadIn) : descriptor(descriptorIn), canRead(canReadIn) {}
    ~OpenFile() { close(descriptor); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int descriptor;
    bool canRead;
};

HandleTable<OpenFile>& Files() {
    static HandleTable<OpenFile> files(HandleTag::File);
    return files;
}

// The open file a handle names, or nullptr (last error set) when it names none.
OpenFile* SlotOf(HANDLE handle) {
    OpenFile* file = Files().Find(reinterpret_cast<uintptr_t>(handle));
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

DWORD ErrorFromErrno(int error, bool creating) {
    switch (error) {
    case ENOENT:
        return creating ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// The open(2) flags for an access mask and creation disposition; -1 when the
// disposition is not one of the five.
int OpenFlags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    flags |= (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
        return flags;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return -1;
    }
}

bool FileExists(LPCSTR fileName) {
    struct stat info;
    return stat(fileName, &info) == 0;
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD, HANDLE) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const int flags = OpenFlags(desiredAccess, creationDisposition);
    // Truncating needs the right to write, as on the platform this mirrors.
    if (flags < 0 ||
        (creationDisposition == TRUNCATE_EXISTING && !(desiredAccess & GENERIC_WRITE))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const bool existed = (flags & O_CREAT) && FileExists(fileName);
    int descriptor;
    do {
        descriptor = open(fileName, flags, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        SetLastError(ErrorFromErrno(errno, (flags & O_CREAT) != 0));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(descriptor);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const uintptr_t handle =
        Files().Insert(std::make_unique<OpenFile>(descriptor, (desiredAccess & GENERIC_READ) != 0));
    if (handle == 0) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    const bool reportsExisting =
        existed && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(handle);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped) {
    if (bytesRead) *bytesRead = 0;
    OpenFile* slot = SlotOf(file);
    if (!slot) return FALSE;
    if (overlapped || (!buffer && bytesToRead != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!slot->canRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto* target = static_cast<uint8_t*>(buffer);
    DWORD total = 0;
    while (total < bytesToRead) {
        const ssize_t got = read(slot->descriptor, target + total, bytesToRead - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (bytesRead) *bytesRead = total;
            SetLastError(ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    if (bytesRead) *bytesRead = total;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod) {
    OpenFile* slot = SlotOf(file);
    if (!slot) return INVALID_SET_FILE_POINTER;
    int64_t distance = distanceToMove;
    if (distanceToMoveHigh) {
        const uint64_t bits =
            (static_cast<uint64_t>(static_cast<uint32_t>(*distanceToMoveHigh)) << 32) |
            static_cast<uint32_t>(distanceToMove);
        distance = static_cast<int64_t>(bits);
    }
    int64_t base;
    if (moveMethod == FILE_BEGIN) {
        base = 0;
    } else if (moveMethod == FILE_CURRENT) {
        base = lseek(slot->descriptor, 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info;
        base = fstat(slot->descriptor, &info) == 0 ? info.st_size : -1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0 || __builtin_add_overflow(base, distance, &distance)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (!distanceToMoveHigh && distance >= int64_t{0xFFFFFFFF}) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(slot->descriptor, distance, SEEK_SET) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceToMoveHigh) *distanceToMoveHigh = static_cast<LONG>(distance >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(distance & 0xFFFFFFFF);
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    OpenFile* slot = SlotOf(file);
    if (!slot) return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(slot->descriptor, &info) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFF);
}

BOOL CloseHandle(HANDLE object) {
    if (!Files().Remove(reinterpret_cast<uintptr_t>(object))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
