// The command table against the menu it serves: every row names a leaf of
// "Effects" by the caption path its index has in the menu template, the rows
// stand in index order, and the run wires pictures by kind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/main_form.h"
#include "effects/effects.h"

namespace gleamkit::app {
namespace {

// The caption path of every item index under "Effects", walked from the
// template the way the menu numbers it (every string but "(" and ")" counts).
std::vector<std::string> EffectPaths() {
    std::vector<std::string> paths;
    std::vector<std::string> parents;
    std::string last;
    for (const char* text : MainMenuTemplate()) {
        const std::string item = text;
        if (item.empty()) break;
        if (item == "(") {
            parents.push_back(last);
            continue;
        }
        if (item == ")") {
            parents.pop_back();
            continue;
        }
        std::string path;
        for (size_t level = 1; level < parents.size(); ++level) path += parents[level] + " > ";
        paths.push_back(path + item);
        last = item;
    }
    return paths;
}

TEST(CommandTable, EveryRowNamesItsMenuItem) {
    const std::vector<std::string> paths = EffectPaths();
    ASSERT_EQ(paths.size(), 100u);
    for (const Command& command : Commands()) {
        ASSERT_GE(command.index, 6);
        ASSERT_LE(command.index, 99);
        EXPECT_EQ(command.caption, paths[command.index]) << "index " << command.index;
    }
}

TEST(CommandTable, FindsRowsByIndexOnly) {
    EXPECT_EQ(FindCommand(37)->caption, "Gaussian blur");
    EXPECT_EQ(FindCommand(91)->kind, CommandKind::Doubled);
    for (int32_t index : {0, 1, 2, 3, 4, 5, 11, 16, 24, 28, 33, 42, 48, 58, 64, 67, 73, 78, 81, 85,
                          92, 100, -1})
        EXPECT_EQ(FindCommand(index), nullptr) << index;
}

} // namespace
} // namespace gleamkit::app
