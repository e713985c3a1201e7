// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into brantlow-cli by fault-inject: counts the file system calls
// made by worker threads (where every file is rewritten) and fails, shortens
// or kills at one of them.
//
//   BRANTLOW_FAULT_LOG=FILE   append one line per counted call: "<n> <name>"
//   BRANTLOW_FAULT_AT=N       act at the N-th counted call (1-based)
//   BRANTLOW_FAULT=ENOSPC|EIO|kill|short
//       ENOSPC, EIO: the call fails with that errno and does nothing
//       kill: the process gets SIGKILL before the call
//       short (write calls only): half the bytes are written, and every
//       later write fails with ENOSPC, as on a disk that just filled up
//
// The main thread is not counted: it loads libraries and prints, and a fault
// there says nothing about how a file is saved.

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

std::atomic<long> g_calls{0};
std::atomic<bool> g_diskFull{false};

enum class Action { None, Fail, Kill, Short };

struct Decision {
    Action action = Action::None;
    int error = 0;
};

bool inWorkerThread() { return ::syscall(SYS_gettid) != ::getpid(); }

void logCall(long n, const char *name)
{
    const char *path = std::getenv("BRANTLOW_FAULT_LOG");
    if (!path)
        return;
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%ld %s\n", n, name);
    const int fd = static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd < 0)
        return;
    [[maybe_unused]] const long written = ::syscall(SYS_write, fd, line, static_cast<std::size_t>(length));
    ::syscall(SYS_close, fd);
}

Decision decide(const char *name, bool isWrite)
{
    if (!inWorkerThread())
        return {};
    if (isWrite && g_diskFull.load())
        return {Action::Fail, ENOSPC};
    const long n = ++g_calls;
    logCall(n, name);
    const char *at = std::getenv("BRANTLOW_FAULT_AT");
    const char *fault = std::getenv("BRANTLOW_FAULT");
    if (!at || !fault || std::atol(at) != n)
        return {};
    if (std::strcmp(fault, "kill") == 0) {
        ::syscall(SYS_kill, ::getpid(), SIGKILL);
        return {};
    }
    if (std::strcmp(fault, "short") == 0)
        return isWrite ? Decision{Action::Short, 0} : Decision{};
    if (std::strcmp(fault, "ENOSPC") == 0)
        return {Action::Fail, ENOSPC};
    if (std::strcmp(fault, "EIO") == 0)
        return {Action::Fail, EIO};
    return {};
}

template <typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

const char *openName(int flags)
{
    if ((flags & O_TMPFILE) == O_TMPFILE)
        return "openat:tmpfile";
    if (flags & O_DIRECTORY)
        return "openat:dir";
    return (flags & O_ACCMODE) == O_RDONLY ? "openat:read" : "openat:write";
}

// For calls that return -1 and set errno.
#define FAIL_OR(decision)                                                                                             \
    if ((decision).action == Action::Fail) {                                                                          \
        errno = (decision).error;                                                                                     \
        return -1;                                                                                                    \
    }

} // namespace

extern "C" {

int openat(int dirfd, const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    const Decision d = decide(openName(flags), false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, int, ...)>("openat")(dirfd, path, flags, mode);
}
int openat64(int dirfd, const char *path, int flags, ...) __attribute__((alias("openat")));

int open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    const Decision d = decide(openName(flags), false);
    FAIL_OR(d);
    return real<int (*)(const char *, int, ...)>("open")(path, flags, mode);
}
int open64(const char *path, int flags, ...) __attribute__((alias("open")));

ssize_t read(int fd, void *buffer, size_t count)
{
    const Decision d = decide("read", false);
    FAIL_OR(d);
    return real<ssize_t (*)(int, void *, size_t)>("read")(fd, buffer, count);
}

ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    const Decision d = decide("pread", false);
    FAIL_OR(d);
    return real<ssize_t (*)(int, void *, size_t, off_t)>("pread")(fd, buffer, count, offset);
}
ssize_t pread64(int fd, void *buffer, size_t count, off_t offset) __attribute__((alias("pread")));

ssize_t write(int fd, const void *buffer, size_t count)
{
    const Decision d = decide("write", true);
    FAIL_OR(d);
    if (d.action == Action::Short) {
        g_diskFull = true;
        count = count > 1 ? count / 2 : count;
    }
    return real<ssize_t (*)(int, const void *, size_t)>("write")(fd, buffer, count);
}

ssize_t pwrite(int fd, const void *buffer, size_t count, off_t offset)
{
    const Decision d = decide("pwrite", true);
    FAIL_OR(d);
    if (d.action == Action::Short) {
        g_diskFull = true;
        count = count > 1 ? count / 2 : count;
    }
    return real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite")(fd, buffer, count, offset);
}
ssize_t pwrite64(int fd, const void *buffer, size_t count, off_t offset) __attribute__((alias("pwrite")));

ssize_t copy_file_range(int in, loff_t *inOffset, int out, loff_t *outOffset, size_t count, unsigned flags)
{
    const Decision d = decide("copy_file_range", true);
    FAIL_OR(d);
    if (d.action == Action::Short) {
        g_diskFull = true;
        count = count > 1 ? count / 2 : count;
    }
    return real<ssize_t (*)(int, loff_t *, int, loff_t *, size_t, unsigned)>("copy_file_range")(
        in, inOffset, out, outOffset, count, flags);
}

int sync_file_range(int fd, off64_t offset, off64_t count, unsigned flags)
{
    const Decision d = decide("sync_file_range", false);
    FAIL_OR(d);
    return real<int (*)(int, off64_t, off64_t, unsigned)>("sync_file_range")(fd, offset, count, flags);
}

int fsync(int fd)
{
    const Decision d = decide("fsync", false);
    FAIL_OR(d);
    return real<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd)
{
    const Decision d = decide("fdatasync", false);
    FAIL_OR(d);
    return real<int (*)(int)>("fdatasync")(fd);
}

int fchmod(int fd, mode_t mode)
{
    const Decision d = decide("fchmod", false);
    FAIL_OR(d);
    return real<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group)
{
    const Decision d = decide("fchown", false);
    FAIL_OR(d);
    return real<int (*)(int, uid_t, gid_t)>("fchown")(fd, owner, group);
}

int linkat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath, int flags)
{
    const Decision d = decide("linkat", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, int, const char *, int)>("linkat")(olddirfd, oldpath, newdirfd, newpath,
                                                                             flags);
}

int renameat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath)
{
    const Decision d = decide("renameat", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, int, const char *)>("renameat")(olddirfd, oldpath, newdirfd, newpath);
}

int rename(const char *oldpath, const char *newpath)
{
    const Decision d = decide("rename", false);
    FAIL_OR(d);
    return real<int (*)(const char *, const char *)>("rename")(oldpath, newpath);
}

int unlinkat(int dirfd, const char *path, int flags)
{
    const Decision d = decide("unlinkat", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, int)>("unlinkat")(dirfd, path, flags);
}

// The journal's record in the state folder goes by path.
int unlink(const char *path)
{
    const Decision d = decide("unlink", false);
    FAIL_OR(d);
    return real<int (*)(const char *)>("unlink")(path);
}

int utimensat(int dirfd, const char *path, const struct timespec times[2], int flags)
{
    const Decision d = decide("utimensat", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, const struct timespec[2], int)>("utimensat")(dirfd, path, times, flags);
}

int futimens(int fd, const struct timespec times[2])
{
    const Decision d = decide("futimens", false);
    FAIL_OR(d);
    return real<int (*)(int, const struct timespec[2])>("futimens")(fd, times);
}

int fallocate(int fd, int mode, off_t offset, off_t length)
{
    const Decision d = decide("fallocate", false);
    FAIL_OR(d);
    return real<int (*)(int, int, off_t, off_t)>("fallocate")(fd, mode, offset, length);
}
int fallocate64(int fd, int mode, off_t offset, off_t length) __attribute__((alias("fallocate")));

int posix_fallocate(int fd, off_t offset, off_t length)
{
    const Decision d = decide("posix_fallocate", false);
    if (d.action == Action::Fail)
        return d.error;
    return real<int (*)(int, off_t, off_t)>("posix_fallocate")(fd, offset, length);
}
int posix_fallocate64(int fd, off_t offset, off_t length) __attribute__((alias("posix_fallocate")));

int ftruncate(int fd, off_t length)
{
    const Decision d = decide("ftruncate", false);
    FAIL_OR(d);
    return real<int (*)(int, off_t)>("ftruncate")(fd, length);
}
int ftruncate64(int fd, off_t length) __attribute__((alias("ftruncate")));

int flock(int fd, int operation)
{
    const Decision d = decide("flock", false);
    FAIL_OR(d);
    return real<int (*)(int, int)>("flock")(fd, operation);
}

int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags)
{
    const Decision d = decide("fsetxattr", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, const void *, size_t, int)>("fsetxattr")(fd, name, value, size, flags);
}

ssize_t flistxattr(int fd, char *list, size_t size)
{
    const Decision d = decide("flistxattr", false);
    FAIL_OR(d);
    return real<ssize_t (*)(int, char *, size_t)>("flistxattr")(fd, list, size);
}

ssize_t fgetxattr(int fd, const char *name, void *value, size_t size)
{
    const Decision d = decide("fgetxattr", false);
    FAIL_OR(d);
    return real<ssize_t (*)(int, const char *, void *, size_t)>("fgetxattr")(fd, name, value, size);
}

int fstat(int fd, struct stat *buffer)
{
    const Decision d = decide("fstat", false);
    FAIL_OR(d);
    return real<int (*)(int, struct stat *)>("fstat")(fd, buffer);
}

int fstatat(int dirfd, const char *path, struct stat *buffer, int flags)
{
    const Decision d = decide("fstatat", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, struct stat *, int)>("fstatat")(dirfd, path, buffer, flags);
}

int stat(const char *path, struct stat *buffer)
{
    const Decision d = decide("stat", false);
    FAIL_OR(d);
    return real<int (*)(const char *, struct stat *)>("stat")(path, buffer);
}

int lstat(const char *path, struct stat *buffer)
{
    const Decision d = decide("lstat", false);
    FAIL_OR(d);
    return real<int (*)(const char *, struct stat *)>("lstat")(path, buffer);
}

int statx(int dirfd, const char *path, int flags, unsigned int mask, struct statx *buffer)
{
    const Decision d = decide("statx", false);
    FAIL_OR(d);
    return real<int (*)(int, const char *, int, unsigned int, struct statx *)>("statx")(dirfd, path, flags, mask,
                                                                                        buffer);
}

int close(int fd)
{
    const Decision d = decide("close", false);
    FAIL_OR(d);
    return real<int (*)(int)>("close")(fd);
}

} // extern "C"
