// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExclusiveFile.h"
#include "platform/OwnedFd.h"
#include "platform/ReadAll.h"

#include "TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

class ExclusiveFileTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string path = folder.file("song.mp3");
    void SetUp() override { test::writeBytes(path, "0123456789"); }
};

TEST_F(ExclusiveFileTest, SecondOpenFailsWhileTheFirstHoldsTheFile)
{
    for (FileAccess firstAccess : {FileAccess::Read, FileAccess::ReadWrite}) {
        ExclusiveFile first;
        ASSERT_TRUE(first.open(path, firstAccess));
        for (FileAccess secondAccess : {FileAccess::Read, FileAccess::ReadWrite}) {
            ExclusiveFile second;
            errno = 0;
            EXPECT_FALSE(second.open(path, secondAccess));
            EXPECT_EQ(errno, EWOULDBLOCK);
            EXPECT_FALSE(second.isOpen());
        }
        first.close();
        ExclusiveFile again;
        EXPECT_TRUE(again.open(path, FileAccess::Read)) << "the lock must go with close()";
    }
}

TEST_F(ExclusiveFileTest, AnotherProcessCannotOpenWhileHeld)
{
    auto childOpens = [this] {
        return test::runUnprivileged([this] {
            ExclusiveFile file;
            return file.open(path, FileAccess::Read) ? 0 : (errno == EWOULDBLOCK ? 1 : 2);
        });
    };
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(path.c_str(), 0644);
    {
        ExclusiveFile held;
        ASSERT_TRUE(held.open(path, FileAccess::Read));
        EXPECT_EQ(childOpens(), 1);
    }
    EXPECT_EQ(childOpens(), 0);
}

TEST_F(ExclusiveFileTest, LockHeldByAnotherProcessMakesOpenFail)
{
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ExclusiveFile held;
        const char ok = held.open(path, FileAccess::ReadWrite) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char done;
        (void)!::read(release[0], &done, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    ExclusiveFile file;
    EXPECT_FALSE(file.open(path, FileAccess::Read));
    (void)!::write(release[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(file.open(path, FileAccess::Read));
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
}

TEST_F(ExclusiveFileTest, ReadsTheWholeFile)
{
    ExclusiveFile file;
    ASSERT_TRUE(file.open(path, FileAccess::Read));
    ASSERT_EQ(file.size(), 10);
    std::uint8_t buffer[10] = {};
    ASSERT_TRUE(file.readWhole(buffer, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 10), "0123456789");
    // Again from the start, whatever was read before.
    ASSERT_TRUE(file.readWhole(buffer, 4));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 4), "0123");
    std::uint8_t tooLarge[11] = {};
    EXPECT_FALSE(file.readWhole(tooLarge, 11)) << "a short read is a failure";
    EXPECT_TRUE(file.readWhole(nullptr, 0));
}

// Every read of a file's bytes goes through readAllAt: fewer bytes than
// asked only where the file ends (which callers name "changed" or EIO), -1
// only where a read fails.
TEST_F(ExclusiveFileTest, ReadAllAtReadsUpToTheEnd)
{
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.valid());
    const struct {
        std::int64_t offset, count, got;
        const char *bytes;
    } cases[] = {{0, 10, 10, "0123456789"}, {3, 4, 4, "3456"}, {6, 8, 4, "6789"}, {10, 5, 0, ""}, {12, 1, 0, ""}};
    for (const auto &c : cases) {
        std::string buffer(static_cast<std::size_t>(c.count), '\0');
        EXPECT_EQ(readAllAt(fd.get(), buffer.data(), c.count, c.offset), c.got) << c.offset << '+' << c.count;
        EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(c.got)), c.bytes);
    }
    char byte = 0;
    errno = 0;
    EXPECT_EQ(readAllAt(-1, &byte, 1, 0), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(ExclusiveFileTest, LargeFileIsReadCompletely)
{
    const std::string content = test::patternBytes(3 * 1024 * 1024 + 17, 'a');
    test::writeBytes(path, content);
    ExclusiveFile file;
    ASSERT_TRUE(file.open(path, FileAccess::Read));
    std::string buffer(content.size(), '\0');
    ASSERT_TRUE(file.readWhole(reinterpret_cast<std::uint8_t *>(buffer.data()), file.size()));
    EXPECT_EQ(buffer, content);
}

TEST_F(ExclusiveFileTest, OpensThroughSymbolicLink)
{
    const std::string link = folder.file("link.mp3");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ExclusiveFile viaLink;
    ASSERT_TRUE(viaLink.open(link, FileAccess::ReadWrite));
    EXPECT_EQ(viaLink.size(), 10);
    ExclusiveFile direct;
    EXPECT_FALSE(direct.open(path, FileAccess::Read)) << "the lock is on the target";
}

TEST_F(ExclusiveFileTest, RefusesWhatIsNotAnExistingRegularFile)
{
    const std::string fifo = folder.file("pipe.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string dangling = folder.file("dangling.mp3");
    ASSERT_EQ(::symlink(folder.file("gone").c_str(), dangling.c_str()), 0);
    struct Case {
        std::string path;
        FileAccess access;
        int error;
    };
    const Case cases[] = {
        {folder.file("missing.mp3"), FileAccess::Read, ENOENT},
        {folder.file("missing.mp3"), FileAccess::ReadWrite, ENOENT},
        {dangling, FileAccess::Read, ENOENT},
        {folder.path(), FileAccess::Read, EISDIR},
        {folder.path(), FileAccess::ReadWrite, EISDIR},
        {fifo, FileAccess::Read, EINVAL}, // must not hang waiting for a writer
    };
    for (const Case &c : cases) {
        ExclusiveFile file;
        errno = 0;
        EXPECT_FALSE(file.open(c.path, c.access)) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(file.size(), -1);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing.mp3"))) << "a missing file is never created";
}

TEST_F(ExclusiveFileTest, ReadWriteOnAFileWithoutWriteRightsFails)
{
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(path.c_str(), 0444);
    const int status = test::runUnprivileged([this] {
        ExclusiveFile file;
        if (file.open(path, FileAccess::ReadWrite))
            return 0;
        return errno == EACCES ? 1 : 2;
    });
    EXPECT_EQ(status, 1);
}

TEST_F(ExclusiveFileTest, MoveCarriesTheLock)
{
    ExclusiveFile first;
    ASSERT_TRUE(first.open(path, FileAccess::Read));
    ExclusiveFile moved(std::move(first));
    EXPECT_FALSE(first.isOpen());
    EXPECT_TRUE(moved.isOpen());
    ExclusiveFile assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved.isOpen());
    ExclusiveFile other;
    EXPECT_FALSE(other.open(path, FileAccess::Read)) << "still locked after the moves";
    assigned.close();
    EXPECT_TRUE(other.open(path, FileAccess::Read));
}

TEST_F(ExclusiveFileTest, DescriptorIsNotInheritedByExec)
{
    ExclusiveFile file;
    ASSERT_TRUE(file.open(path, FileAccess::Read));
    EXPECT_TRUE(::fcntl(file.fd(), F_GETFD) & FD_CLOEXEC);
    EXPECT_FALSE(::fcntl(file.fd(), F_GETFL) & O_NONBLOCK);
}

} // namespace
} // namespace brantlow::platform
