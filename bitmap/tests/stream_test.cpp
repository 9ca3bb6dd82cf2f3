// The read-only file stream: its operations over the kernel's file calls,
// and a stream whose file could not be opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap/stream.h"
#include "bitmap/tests/test_support.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

using testing::TempFile;

TEST(StreamTest, ReadsSeeksAndRefusesToWrite) {
    TempFile file({'a', 'b', 'c', 'd', 'e', 'f'});
    Stream* stream = NewReadFileStream(file.Path());
    EXPECT_EQ(stream->Size(), 6u);
    char buffer[8] = {};
    EXPECT_EQ(stream->Read(buffer, 4), 4u);
    EXPECT_EQ(stream->Position(), 4u);
    EXPECT_FALSE(stream->AtEnd());
    EXPECT_EQ(stream->Seek(-3, SeekOrigin::End), 3u);
    EXPECT_EQ(stream->Read(buffer, 8), 3u);
    EXPECT_EQ(std::string(buffer, 3), "def");
    EXPECT_TRUE(stream->AtEnd());
    EXPECT_EQ(stream->Seek(-10, SeekOrigin::Current), kSeekFailed);
    EXPECT_EQ(stream->Write("x", 1), 0u);
    stream->SetSize(2);
    EXPECT_EQ(stream->Size(), 6u);

    // Freeing the stream closes its file.
    HANDLE handle = stream->FileHandle();
    Free(stream);
    EXPECT_FALSE(CloseHandle(handle));
}

TEST(StreamTest, StreamOnAMissingFileAnswersNothing) {
    Stream* stream = NewReadFileStream("/nonexistent/folder/file.bmp");
    EXPECT_EQ(stream->FileHandle(), INVALID_HANDLE_VALUE);
    char buffer[4];
    EXPECT_EQ(stream->Read(buffer, 4), 0u);
    EXPECT_EQ(stream->Size(), 0u);
    EXPECT_EQ(stream->Position(), kSeekFailed);
    Free(stream);
}

// The memory stream answers every call as the file stream over the same
// bytes does, including seeks before the start and reads past the end.
TEST(StreamTest, MemoryStreamBehavesAsAFileHoldingTheSameBytes) {
    const std::vector<uint8_t> bytes = {'a', 'b', 'c', 'd', 'e', 'f'};
    TempFile file(bytes);
    Stream* streams[] = {NewReadFileStream(file.Path()),
                         NewReadMemoryStream(bytes.data(), static_cast<uint32_t>(bytes.size()))};
    struct Step {
        int32_t offset;
        SeekOrigin origin;
        uint32_t readCount;
    };
    const Step steps[] = {{0, SeekOrigin::Current, 4},   {-3, SeekOrigin::End, 8},
                          {-10, SeekOrigin::Current, 2}, {2, SeekOrigin::End, 1},
                          {1, SeekOrigin::Beginning, 3}, {-1, SeekOrigin::Beginning, 1}};
    for (const Step& step : steps) {
        uint32_t answers[2][2];
        std::string read[2];
        for (int k = 0; k < 2; ++k) {
            answers[k][0] = streams[k]->Seek(step.offset, step.origin);
            char buffer[8] = {};
            answers[k][1] = streams[k]->Read(buffer, step.readCount);
            read[k].assign(buffer, answers[k][1]);
            EXPECT_EQ(streams[k]->AtEnd(), streams[0]->AtEnd());
        }
        EXPECT_EQ(answers[0][0], answers[1][0]) << step.offset;
        EXPECT_EQ(answers[0][1], answers[1][1]) << step.offset;
        EXPECT_EQ(read[0], read[1]) << step.offset;
        EXPECT_EQ(streams[0]->Position(), streams[1]->Position()) << step.offset;
    }
    EXPECT_EQ(streams[1]->Size(), 6u);
    EXPECT_EQ(streams[1]->Write("x", 1), 0u);
    for (Stream* stream : streams) Free(stream);
}

} // namespace
} // namespace gleamkit::bitmap
