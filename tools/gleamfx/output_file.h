// Writing an output file without ever harming what the path named before: a
// regular file (new or existing) is written to a temporary file beside it and
// renamed into place only when every byte went out, so a failed write leaves
// the old file as it was and removes only the temporary file this tool made.
// A path that names something else (a character device, a pipe) is written
// in place and never removed.
#pragma once

#include <cstdio>
#include <string>

namespace gleamkit::tools {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // abandons an uncommitted write
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens the stream to write `path` through; false (with a short reason in
    // `error`) when it cannot be created.
    bool Open(const std::string& path, std::string& error);
    // The stream opened by Open.
    std::FILE* Stream() const { return m_file; }
    // Closes the stream and puts the file in place; false (with a reason) when
    // a write, the close or the rename failed: the temporary file is removed
    // and the target is untouched.
    bool Commit(std::string& error);

private:
    void Abandon();

    std::FILE* m_file = nullptr;
    std::string m_target;    // the path the file ends at
    std::string m_temporary; // empty when writing in place
};

} // namespace gleamkit::tools
