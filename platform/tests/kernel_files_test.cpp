// File handles: reading, the file position and its limits, and the failures a
// caller must be able to rely on (bad handles, missing files, directories).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/win32.h"

namespace {

class KernelFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/gleamkit_kernel_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_path = m_folder + "/ten.bin";
        FILE* file = std::fopen(m_path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite("0123456789", 1, 10, file);
        std::fclose(file);
    }
    void TearDown() override {
        std::remove(m_path.c_str());
        std::remove((m_folder + "/new.bin").c_str());
        rmdir(m_folder.c_str());
    }

    HANDLE OpenForReading(const std::string& path) const {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    std::string m_folder;
    std::string m_path;
};

TEST_F(KernelFilesTest, ReadsInPiecesAndAnswersZeroBytesAtTheEnd) {
    HANDLE file = OpenForReading(m_path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    DWORD got = 99;
    ASSERT_TRUE(ReadFile(file, buffer, 4, &got, nullptr));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    ASSERT_TRUE(ReadFile(file, buffer, 16, &got, nullptr));
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    ASSERT_TRUE(ReadFile(file, buffer, 16, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(GetFileSize(file, nullptr), 10u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(KernelFilesTest, FilePointerMovesFromEachOriginAndRefusesNegativePositions) {
    HANDLE file = OpenForReading(m_path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 9u);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 9u);

    // A move before the start fails and leaves the position alone.
    EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 9u);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Past the end is a valid position; reading there gives nothing.
    EXPECT_EQ(SetFilePointer(file, 100, nullptr, FILE_END), 110u);
    char byte = 0;
    DWORD got = 5;
    EXPECT_TRUE(ReadFile(file, &byte, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);

    // Without a high half the position must fit 32 bits; with one it may not.
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    EXPECT_EQ(SetFilePointer(file, 0x7FFFFFFF, nullptr, FILE_BEGIN), 0x7FFFFFFFu);
    EXPECT_EQ(SetFilePointer(file, 0x7FFFFFFF, nullptr, FILE_CURRENT), 0xFFFFFFFEu);
    EXPECT_EQ(SetFilePointer(file, 1, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    high = -1; // -1 from the end: distance high -1, low 0xFFFFFFFF
    EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_END), 9u);
    EXPECT_EQ(high, 0);
    CloseHandle(file);
}

TEST_F(KernelFilesTest, BadHandlesFailEverywhereWithoutTouchingLiveFiles) {
    HANDLE file = OpenForReading(m_path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(file));
    // The slot is reused by the next open; the old handle must stay dead.
    HANDLE reopened = OpenForReading(m_path);
    ASSERT_NE(reopened, INVALID_HANDLE_VALUE);
    EXPECT_NE(reopened, file);

    int notAHandle = 0;
    for (HANDLE bad :
         {file, HANDLE{nullptr}, INVALID_HANDLE_VALUE, static_cast<HANDLE>(&notAHandle)}) {
        char buffer[4];
        DWORD got = 7;
        EXPECT_FALSE(ReadFile(bad, buffer, 4, &got, nullptr));
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(SetFilePointer(reopened, 0, nullptr, FILE_CURRENT), 0u);
    EXPECT_TRUE(CloseHandle(reopened));
    EXPECT_FALSE(CloseHandle(reopened));
}

TEST_F(KernelFilesTest, OpenFailuresReportTheirCause) {
    EXPECT_EQ(OpenForReading(m_folder + "/missing.bin"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenForReading(m_folder), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenForReading(""), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, 0, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}

TEST_F(KernelFilesTest, CreationDispositionsAndAccessRights) {
    const std::string fresh = m_folder + "/new.bin";
    HANDLE created = CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(created, nullptr), 0u);
    // Opened for writing only: reading is refused.
    char byte;
    DWORD got;
    EXPECT_FALSE(ReadFile(created, &byte, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(created);

    HANDLE again = CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(again, nullptr), 10u);
    CloseHandle(again);

    HANDLE truncated = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(truncated, INVALID_HANDLE_VALUE);
    DWORD high = 5;
    EXPECT_EQ(GetFileSize(truncated, &high), 0u);
    EXPECT_EQ(high, 0u);
    CloseHandle(truncated);
}

} // namespace
