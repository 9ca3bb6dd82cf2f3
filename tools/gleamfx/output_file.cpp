// The temporary file is made with mkstemp in the target's own folder (so the
// rename stays on one file system) and given the mode the target would have:
// an existing file's own, or the usual 0666 less the umask for a new one. A
// symbolic link is followed, so the link stays and its target is replaced.
#include "tools/gleamfx/output_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace gleamkit::tools {

namespace {

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The path a write must replace: symbolic links resolved when the target
// exists, the path itself otherwise.
std::string ResolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) return resolved;
    return path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

OutputFile::~OutputFile() {
    Abandon();
}

bool OutputFile::Open(const std::string& path, std::string& error) {
    Abandon();
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        error = "is a folder";
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or pipe: written in place, never replaced or removed.
        m_file = std::fopen(path.c_str(), "wb");
        if (m_file == nullptr) error = std::string("cannot open: ") + std::strerror(errno);
        return m_file != nullptr;
    }
    m_target = exists ? ResolvedTarget(path) : path;
    std::string pattern = FolderOf(m_target) + "/.gleamfx-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        error = std::string("cannot create the file: ") + std::strerror(errno);
        return false;
    }
    m_temporary = pattern;
    fchmod(descriptor, exists ? (existing.st_mode & 07777) : NewFileMode());
    m_file = fdopen(descriptor, "wb");
    if (m_file == nullptr) {
        close(descriptor);
        Abandon();
        error = "cannot create the file";
        return false;
    }
    return true;
}

bool OutputFile::Commit(std::string& error) {
    if (m_file == nullptr) {
        error = "cannot write the file";
        return false;
    }
    const bool written = std::ferror(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed) {
        Abandon();
        error = "cannot write the file";
        return false;
    }
    if (!m_temporary.empty()) {
        if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            error = std::string("cannot replace the file: ") + std::strerror(errno);
            Abandon();
            return false;
        }
        m_temporary.clear();
    }
    return true;
}

void OutputFile::Abandon() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::remove(m_temporary.c_str());
        m_temporary.clear();
    }
}

} // namespace gleamkit::tools
