// gleamfx command: runs one of the desktop program's menu commands, by its
// item index, through the program's own command table, so the output is the
// picture the program would show after choosing that item on IN. Also the
// listing of the menu commands for `list` and `help`.
#include <algorithm>
#include <charconv>
#include <iomanip>
#include <optional>
#include <ostream>
#include <vector>

#include "app/commands/command_table.h"
#include "effects/effect_common.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/gleamfx/picture_files.h"
#include "tools/gleamfx/run_options.h"

namespace gleamkit::tools {

namespace {

struct CommandOptions : RunOptions {
    std::vector<std::string> positional; // IN OUT INDEX
};

std::optional<std::string> ParseCommandOptions(std::span<const std::string> args,
                                               CommandOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        std::optional<std::string> reason;
        if (ReadRunOption(args, i, options, reason)) {
            if (reason) return reason;
        } else if (word.starts_with("--")) {
            return "unknown option '" + word + "'";
        } else {
            options.positional.push_back(word);
        }
    }
    if (options.positional.size() != 3) return "command takes IN, OUT and INDEX";
    return std::nullopt;
}

const app::Command* ParseIndex(const std::string& text) {
    int32_t index = 0;
    if (!ParseNumber(std::string_view(text), index)) return nullptr;
    return app::FindCommand(index);
}

} // namespace

void ListCommands(std::ostream& out) {
    // The caption column is as wide as the longest caption, plus a gap.
    size_t captionWidth = 0;
    for (const app::Command& command : app::Commands())
        captionWidth = std::max(captionWidth, command.caption.size());
    for (const app::Command& command : app::Commands()) {
        const bool second = command.kind == app::CommandKind::SecondPicture;
        out << std::right << std::setw(3) << command.index << "  " << std::left
            << std::setw(static_cast<int>(captionWidth + 2)) << command.caption << command.call
            << (second ? "  [--second]" : "") << '\n';
    }
}

int RunCommand(std::span<const std::string> args, std::ostream& err) {
    CommandOptions options;
    if (const auto reason = ParseCommandOptions(args, options)) return UsageError(err, *reason);
    const std::string& inPath = options.positional[0];
    const std::string& outPath = options.positional[1];
    const app::Command* command = ParseIndex(options.positional[2]);
    if (command == nullptr)
        return UsageError(err, "'" + options.positional[2] +
                                   "' is not the index of a menu command (see gleamfx list)");
    const bool needsSecond = command->kind == app::CommandKind::SecondPicture;
    const std::string name(command->caption);
    PictureHolder picture;
    PictureHolder second;
    if (const int status =
            ReadInputPictures(inPath, options.second, needsSecond, name, picture, second, err))
        return status;
    const FixedClock clock(options.utcTime);
    fx::SetRandomState(options.seed);
    try {
        app::ApplyCommand(*command, *picture, second.get());
    } catch (const std::exception& error) {
        return Failure(err, name + ": " + error.what());
    }
    std::string reason;
    if (!WritePicture(*picture, outPath, reason)) return Failure(err, outPath + ": " + reason);
    return kExitOk;
}

} // namespace gleamkit::tools
