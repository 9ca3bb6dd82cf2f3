// Replays every input kept in fuzz/regressions (each once made the reader or
// the conversion after it fail under the sanitizers) and the seed files
// through the fuzz target's own steps. Inputs named "reject-*" must be
// refused by the reader; the seeds must all load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz/reader_check.h"

namespace gleamkit::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(ReaderRegression, EveryKeptInputIsReadSafely) {
    const fs::path folder = fs::path(GLEAMKIT_FUZZ_DIR) / "regressions";
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::vector<uint8_t> bytes = ReadBytes(entry.path());
        const bool loaded = LoadAndReadEveryPixel(bytes.data(), bytes.size()).loaded;
        if (entry.path().filename().string().starts_with("reject-")) {
            EXPECT_FALSE(loaded) << entry.path();
        }
        ++count;
    }
    EXPECT_GT(count, 0u);
}

// Every seed loads, and the forms of one layout (file header, top-down, no
// file header, core header) give the same pixels.
TEST(ReaderRegression, EverySeedLoadsAndItsFormsAgree) {
    const std::vector<SeedFile> seeds = SeedFiles();
    EXPECT_EQ(seeds.size(), 22u);
    std::map<std::string, uint32_t> checksums;
    for (const SeedFile& seed : seeds) {
        const ReadResult result = LoadAndReadEveryPixel(seed.bytes.data(), seed.bytes.size());
        EXPECT_TRUE(result.loaded) << seed.name;
        const std::string layout = seed.name.substr(0, seed.name.find_first_of("-."));
        const auto [known, fresh] = checksums.emplace(layout, result.checksum);
        EXPECT_EQ(known->second, result.checksum) << seed.name;
    }
}

} // namespace
} // namespace gleamkit::fuzz
