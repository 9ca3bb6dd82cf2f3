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

// Every leaf under "Effects" (not a sub-menu parent, not a separator) has
// exactly one row: 79 commands.
TEST(CommandTable, CoversEveryEffectLeaf) {
    const std::vector<std::string> paths = EffectPaths();
    std::vector<int32_t> leaves;
    for (int32_t index = 6; index < static_cast<int32_t>(paths.size()); ++index) {
        const bool separator = paths[index].ends_with("-");
        const bool parent = index + 1 < static_cast<int32_t>(paths.size()) &&
                            paths[index + 1].starts_with(paths[index] + " > ");
        if (!separator && !parent) leaves.push_back(index);
    }
    std::vector<int32_t> rows;
    for (const Command& command : Commands()) rows.push_back(command.index);
    EXPECT_EQ(rows, leaves);
    EXPECT_EQ(rows.size(), 79u);
}

TEST(CommandTable, FindsRowsByIndexOnly) {
    EXPECT_EQ(FindCommand(37)->caption, "Gaussian blur");
    EXPECT_EQ(FindCommand(91)->kind, CommandKind::Doubled);
    for (int32_t index :
         {0, 1, 2, 3, 4, 5, 11, 16, 24, 28, 33, 42, 48, 58, 64, 67, 73, 78, 81, 85, 92, 100, -1})
        EXPECT_EQ(FindCommand(index), nullptr) << index;
}

} // namespace
} // namespace gleamkit::app
