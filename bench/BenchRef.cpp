// SPDX-License-Identifier: GPL-3.0-or-later
// The reference steps bench/run times brantlow-cli against: the least I/O a
// safe rewrite of a folder of files can do, written plainly in C++ so that
// no interpreter's cost lands in a reference's time.
//
//   brantlow-bench-ref durable FOLDER       per file: read whole, write a temporary file
//                                           in the folder, fsync, rename over the file,
//                                           fsync the folder
//   brantlow-bench-ref floor_cfr FOLDER     the same, the copy made by the kernel
//                                           (copy_file_range, no user buffer)
//   brantlow-bench-ref floor_batch FOLDER   groups of 32 files: copy each into its
//                                           temporary file and start its write-back,
//                                           then fsync each, rename each, fsync the
//                                           folder once per group
//   brantlow-bench-ref limit FOLDER TARGET  every file's bytes into the new file TARGET,
//                                           one fsync, TARGET removed
//
// The files of FOLDER are its regular files in name order; every step leaves
// them byte-identical. Exit status 0, or 1 with the failing call on stderr.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char *call, const std::string &path)
{
    std::fprintf(stderr, "brantlow-bench-ref: %s %s: %s\n", call, path.c_str(), std::strerror(errno));
    std::exit(1);
}

struct Fd {
    int fd;
    explicit Fd(int value) : fd(value) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
};

std::vector<std::string> filesOf(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        fail("opendir", folder);
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        struct stat st {};
        const std::string path = folder + "/" + entry->d_name;
        if (entry->d_name[0] != '.' && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(path);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string temporaryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return path.substr(0, slash + 1) + ".bench-" + path.substr(slash + 1) + ".tmp";
}

void writeAll(int fd, const char *data, std::size_t size, const std::string &path)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            fail("write", path);
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

// The whole file into `buffer` (kept between files, as a plain C copy would).
void readWhole(const std::string &path, std::vector<char> &buffer)
{
    const Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0)
        fail("open", path);
    buffer.resize(static_cast<std::size_t>(st.st_size));
    for (std::size_t done = 0; done < buffer.size();) {
        const ssize_t got = ::read(in.fd, buffer.data() + done, buffer.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            fail("read", path);
        done += static_cast<std::size_t>(got);
    }
}

// Appends all of `from` to `to` in the kernel; through a bounded buffer
// where the file system cannot copy between the two.
void kernelCopy(int from, int to, const std::string &path)
{
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS)
            fail("copy_file_range", path);
        break;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail("read", path);
        if (got == 0)
            return;
        writeAll(to, buffer.data(), static_cast<std::size_t>(got), path);
    }
}

int createNew(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("create", path);
    return fd;
}

void syncFd(int fd, const std::string &path)
{
    if (::fsync(fd) != 0)
        fail("fsync", path);
}

void renameOver(const std::string &from, const std::string &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        fail("rename", to);
}

void syncFolder(const std::string &folder)
{
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0)
        fail("open", folder);
    syncFd(dir.fd, folder);
}

void durableCopy(const std::string &folder)
{
    std::vector<char> buffer;
    for (const std::string &path : filesOf(folder)) {
        readWhole(path, buffer);
        const std::string temp = temporaryOf(path);
        {
            const Fd out(createNew(temp));
            writeAll(out.fd, buffer.data(), buffer.size(), temp);
            syncFd(out.fd, temp);
        }
        renameOver(temp, path);
        syncFolder(folder);
    }
}

// A copy of `path` into its new temporary file, left open for its fsync.
int kernelCopyToTemporary(const std::string &path)
{
    const Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        fail("open", path);
    const int out = createNew(temporaryOf(path));
    kernelCopy(in.fd, out, path);
    return out;
}

void floorCopyFileRange(const std::string &folder)
{
    for (const std::string &path : filesOf(folder)) {
        {
            const Fd out(kernelCopyToTemporary(path));
            syncFd(out.fd, path);
        }
        renameOver(temporaryOf(path), path);
        syncFolder(folder);
    }
}

void floorBatch(const std::string &folder)
{
    constexpr std::size_t kGroup = 32;
    const std::vector<std::string> files = filesOf(folder);
    for (std::size_t first = 0; first < files.size(); first += kGroup) {
        const std::size_t end = std::min(files.size(), first + kGroup);
        std::vector<int> outs;
        for (std::size_t i = first; i < end; ++i) {
            outs.push_back(kernelCopyToTemporary(files[i]));
            if (::sync_file_range(outs.back(), 0, 0, SYNC_FILE_RANGE_WRITE) != 0)
                fail("sync_file_range", files[i]);
        }
        for (std::size_t i = first; i < end; ++i) {
            syncFd(outs[i - first], files[i]);
            ::close(outs[i - first]);
        }
        for (std::size_t i = first; i < end; ++i)
            renameOver(temporaryOf(files[i]), files[i]);
        syncFolder(folder);
    }
}

void oneFileLimit(const std::string &folder, const std::string &target)
{
    {
        const Fd out(createNew(target));
        for (const std::string &path : filesOf(folder)) {
            const Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
            if (in.fd < 0)
                fail("open", path);
            kernelCopy(in.fd, out.fd, path);
        }
        syncFd(out.fd, target);
    }
    if (::unlink(target.c_str()) != 0)
        fail("unlink", target);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string step = argc > 1 ? argv[1] : "";
    if (argc == 3 && step == "durable")
        durableCopy(argv[2]);
    else if (argc == 3 && step == "floor_cfr")
        floorCopyFileRange(argv[2]);
    else if (argc == 3 && step == "floor_batch")
        floorBatch(argv[2]);
    else if (argc == 4 && step == "limit")
        oneFileLimit(argv[2], argv[3]);
    else {
        std::fprintf(stderr,
                     "usage: brantlow-bench-ref durable|floor_cfr|floor_batch FOLDER\n"
                     "       brantlow-bench-ref limit FOLDER TARGET\n");
        return 2;
    }
    return 0;
}
