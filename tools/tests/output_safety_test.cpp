// gleamfx never harms a path it did not create: a failed write leaves an
// existing file, a device or a link as it was and no temporary file behind;
// a picture too large for memory is reported with its size, not as an
// exception's name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "tools/gleamfx/gleamfx.h"
#include "tools/gleamfx/output_file.h"

namespace gleamkit::tools {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class OutputSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("gleamfx_output_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }
    // Runs the real binary under a shell prefix; answers its exit status.
    int RunBinary(const std::string& prefix, const std::string& arguments) const {
        const std::string command =
            prefix + " '" + std::string(GLEAMFX_BINARY) + "' " + arguments + " 2>/dev/null";
        const int raw = std::system(("sh -c \"" + command + "\"").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path m_dir;
};

TEST_F(OutputSafetyTest, CommitReplacesTheFileAndKeepsItsModeAndLinks) {
    const std::string target = PathOf("out.bin");
    std::ofstream(target) << "old";
    chmod(target.c_str(), 0640);
    fs::create_symlink(target, PathOf("link.bin"));
    for (const std::string& path : {target, PathOf("link.bin")}) {
        OutputFile output;
        std::string error;
        ASSERT_TRUE(output.Open(path, error)) << error;
        std::fputs("new", output.Stream());
        ASSERT_TRUE(output.Commit(error)) << error;
    }
    EXPECT_EQ(Contents(target), "new");
    EXPECT_TRUE(fs::is_symlink(PathOf("link.bin")));
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(OutputSafetyTest, AnAbandonedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string target = PathOf("out.bin");
    std::ofstream(target) << "old";
    {
        OutputFile output;
        std::string error;
        ASSERT_TRUE(output.Open(target, error)) << error;
        std::fputs("half", output.Stream());
    }
    EXPECT_EQ(Contents(target), "old");
    EXPECT_EQ(EntryCount(), 1u);

    OutputFile folder;
    std::string error;
    EXPECT_FALSE(folder.Open(m_dir.string(), error));
    EXPECT_FALSE(folder.Open(PathOf("no/such/folder/out.bin"), error));
    EXPECT_TRUE(fs::is_directory(m_dir));
}

// The write fails part-way (the file size limit stops it): the old file
// stays and nothing else is left in the folder.
TEST_F(OutputSafetyTest, AFailedWriteLeavesAnExistingFileAsItWas) {
    const std::string target = PathOf("out.bmp");
    std::ofstream(target) << "precious";
    EXPECT_EQ(RunBinary("trap '' XFSZ; ulimit -f 4;", "sample '" + target + "' 300x300"),
              kExitFailure);
    EXPECT_EQ(Contents(target), "precious");
    EXPECT_EQ(EntryCount(), 1u);
}

// A character device named as the output was once removed after the failed
// write; it is written in place and stays.
TEST_F(OutputSafetyTest, ADeviceNamedAsTheOutputIsNeverRemoved) {
    const fs::path device = "/dev/full"; // every write fails with "no space"
    if (!fs::is_character_file(device)) GTEST_SKIP() << "no " << device;
    // 24 bits through the bitmap writer, 8 through the depth writer.
    for (const std::string depth : {"24", "8"}) {
        std::ostringstream out, err;
        const std::vector<std::string> args = {"sample", device.string(), "64x64", depth};
        EXPECT_EQ(RunGleamfx(args, out, err), kExitFailure) << depth;
        EXPECT_EQ(err.str().rfind("gleamfx: /dev/full: ", 0), 0u) << err.str();
        EXPECT_TRUE(fs::is_character_file(device));
    }
    std::ostringstream out, err;
    const std::string png = PathOf("in.png");
    ASSERT_EQ(RunGleamfx(std::vector<std::string>{"sample", png, "8x8"}, out, err), kExitOk);
    // A PNG read and converted: the same writer, the same care.
    EXPECT_EQ(RunGleamfx(std::vector<std::string>{"convert", png, device.string()}, out, err),
              kExitFailure);
    EXPECT_TRUE(fs::is_character_file(device));
}

TEST_F(OutputSafetyTest, PicturesTooLargeForMemoryAreReportedWithTheirSize) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string in = PathOf("in.bmp");
    std::ostringstream ignored;
    ASSERT_EQ(RunGleamfx(std::vector<std::string>{"sample", in, "4x3"}, ignored, ignored), kExitOk);
    const Case cases[] = {
        {{"sample", PathOf("big.bmp"), "32767x32767"}, "32767 \u00d7 32767"},
        {{"apply", in, PathOf("big.bmp"), "Stretch", "2000000000", "2000000000"},
         "2000000000 \u00d7 2000000000"},
        {{"apply", in, PathOf("big.bmp"), "SmoothResize", "70000", "70000"}, "70000 \u00d7 70000"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunGleamfx(c.args, out, err), kExitFailure) << c.message;
        EXPECT_EQ(err.str(), "gleamfx: not enough memory for a " + c.message + " picture\n");
        EXPECT_FALSE(fs::exists(PathOf("big.bmp")));
    }
}

} // namespace
} // namespace gleamkit::tools
