// The batch command checks the whole command first (the words, where every
// output goes, that no output is an input or named twice), then hands each
// file to RunApply, so a batch run and single runs give the same files.
#include "tools/gleamfx/batch.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "tools/gleamfx/gleamfx.h"
#include "tools/gleamfx/picture_files.h"

namespace gleamkit::tools {

namespace {

namespace fs = std::filesystem;

// FOLDER/NAME for one input.
fs::path OutputFor(const fs::path& folder, const std::string& input) {
    fs::path name = fs::path(input).filename();
    if (KindOfPath(input) == FileKind::Jpeg) name.replace_extension(".png");
    return folder / name;
}

// The reason no file may be written, or "" when the outputs are sound.
std::string CheckOutputs(const std::vector<std::string>& inputs,
                         const std::vector<fs::path>& outputs) {
    std::map<fs::path, std::string> seen;
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (fs::path(inputs[i]).filename().empty()) return "'" + inputs[i] + "' names no file";
        std::error_code error;
        fs::path key = fs::weakly_canonical(outputs[i], error);
        if (error) key = outputs[i].lexically_normal();
        const auto [earlier, fresh] = seen.emplace(key, inputs[i]);
        if (!fresh) {
            return earlier->second + " and " + inputs[i] + " would both be written to " +
                   outputs[i].string();
        }
        if (fs::equivalent(inputs[i], outputs[i], error))
            return inputs[i] + " would be overwritten by its own output";
    }
    return "";
}

// Keeps one terminal line up to date; the line is cleared before anything
// else is printed.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool shown) : m_err(err), m_shown(shown) {}
    void Show(size_t done, size_t total, const std::string& name) {
        if (!m_shown) return;
        m_err << "\r\033[Kgleamfx: [" << done << '/' << total << "] " << name << std::flush;
    }
    void Clear() {
        if (m_shown) m_err << "\r\033[K" << std::flush;
    }

private:
    std::ostream& m_err;
    bool m_shown;
};

} // namespace

int RunBatch(std::span<const std::string> args, std::ostream& err, bool progress) {
    const auto separator = std::find(args.begin(), args.end(), "--");
    if (args.empty() || args[0] == "--" || separator == args.end())
        return UsageError(err, "batch takes FOLDER, OP and then -- and the input files");
    const fs::path folder = args[0];
    const std::vector<std::string> applyWords(args.begin() + 1, separator);
    const std::vector<std::string> inputs(separator + 1, args.end());
    if (applyWords.empty()) return UsageError(err, "batch takes an operation before --");
    if (inputs.empty()) return UsageError(err, "batch takes the input files after --");

    std::vector<fs::path> outputs;
    for (const std::string& input : inputs) outputs.push_back(OutputFor(folder, input));
    if (const std::string reason = CheckOutputs(inputs, outputs); !reason.empty())
        return UsageError(err, reason);
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder)) return Failure(err, "cannot make the folder " + folder.string());

    ProgressLine line(err, progress);
    size_t failed = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        line.Show(i + 1, inputs.size(), inputs[i]);
        std::vector<std::string> words = {inputs[i], outputs[i].string()};
        words.insert(words.end(), applyWords.begin(), applyWords.end());
        std::ostringstream messages;
        const int status = RunApply(words, messages);
        if (!messages.str().empty()) {
            line.Clear();
            err << messages.str();
        }
        // A usage error is the same for every file: stop at the first.
        if (status == kExitUsage) return kExitUsage;
        if (status != kExitOk) ++failed;
    }
    line.Clear();
    if (progress) {
        err << "gleamfx: " << inputs.size() - failed << " of " << inputs.size()
            << " file(s) written to " << folder.string() << '\n';
    }
    return failed == 0 ? kExitOk : kExitFailure;
}

} // namespace gleamkit::tools
