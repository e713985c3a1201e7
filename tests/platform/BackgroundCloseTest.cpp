// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BackgroundClose.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace brantlow::platform {
namespace {

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

// Handed over, a descriptor is closed by the thread soon; in a child process
// after a fork, where that thread does not run, at once.
TEST(BackgroundClose, ClosesSoonOrAtOnceAfterAFork)
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    closeInBackground(fd);
    for (int i = 0; i < 1000 && isOpen(fd); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(isOpen(fd));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int inChild = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        closeInBackground(inChild);
        ::_exit(inChild >= 0 && !isOpen(inChild) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child's descriptor stayed open";
}

} // namespace
} // namespace brantlow::platform
