// The read-only file stream: its operations over the kernel's file calls,
// and a stream whose file could not be opened.
#include <gtest/gtest.h>

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

} // namespace
} // namespace gleamkit::bitmap
