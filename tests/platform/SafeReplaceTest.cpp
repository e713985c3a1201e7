// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExclusiveFile.h"
#include "platform/SafeReplace.h"
#include "platform/TempLedger.h"

#include "TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <csignal>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>

#include <cstring>
#include <optional>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

std::string describe(const ReplaceResult &result)
{
    return std::string("ok=") + (result.ok ? "1" : "0") + " step=" + result.step + " error=" + std::strerror(result.error);
}

// What must hold for a file after a replace failed: same bytes, mode and
// last-write time, and no temporary file left in its folder.
struct Snapshot {
    std::string path;
    std::string content;
    struct stat st {};
    std::set<std::string> folderEntries;

    static Snapshot of(const std::string &path)
    {
        Snapshot s;
        s.path = path;
        s.content = test::readBytes(path);
        s.st = test::statOf(path);
        s.folderEntries = test::entriesOf(std::filesystem::path(path).parent_path().string());
        return s;
    }
    void expectUnchanged() const
    {
        const struct stat now = test::statOf(path);
        EXPECT_EQ(test::readBytes(path), content) << path;
        EXPECT_EQ(now.st_ino, st.st_ino);
        EXPECT_EQ(now.st_mode, st.st_mode);
        EXPECT_EQ(now.st_size, st.st_size);
        EXPECT_EQ(now.st_mtim.tv_sec, st.st_mtim.tv_sec);
        EXPECT_EQ(now.st_mtim.tv_nsec, st.st_mtim.tv_nsec);
        EXPECT_EQ(test::entriesOf(std::filesystem::path(path).parent_path().string()), folderEntries)
            << "a temporary file was left behind";
    }
};

class FaultHookGuard {
public:
    explicit FaultHookGuard(std::function<int(const char *)> hook) { setReplaceFaultHook(std::move(hook)); }
    ~FaultHookGuard() { setReplaceFaultHook({}); }
};

// Fails the first call of `step` with `error`; with `alsoForceNamedTemp` the
// anonymous temporary file is refused first, as on a file system without it.
std::function<int(const char *)> failOnce(std::string step, int error, bool alsoForceNamedTemp = false)
{
    auto fired = std::make_shared<bool>(false);
    auto refusedTmpfile = std::make_shared<bool>(!alsoForceNamedTemp);
    return [=](const char *current) {
        if (!*refusedTmpfile && std::strcmp(current, "create") == 0) {
            *refusedTmpfile = true;
            return EOPNOTSUPP;
        }
        if (!*fired && step == current) {
            *fired = true;
            return error;
        }
        return 0;
    };
}

class SafeReplaceTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string path = folder.file("song.mp3");
    std::string original = test::patternBytes(5000, 'A');
    std::string replacement = test::patternBytes(7321, 'a');

    void SetUp() override
    {
        test::writeBytes(path, original);
        ::chmod(path.c_str(), 0640);
        const timespec stamps[2] = {{0, UTIME_OMIT}, {1'000'000'000, 42}};
        ::utimensat(AT_FDCWD, path.c_str(), stamps, 0);
    }
    // Every replace here keeps a last-write time, as a rewrite does.
    timespec keptTime{1'100'000'000, 7};
    ReplaceResult replace(const std::string &target, const std::string &content, const FileIdentity &expected = {})
    {
        return replaceFileContents(target, test::bytesOf(content), content.size(), expected, &keptTime);
    }
};

TEST_F(SafeReplaceTest, ReplacesContentThroughANewFile)
{
    const auto before = test::entriesOf(folder.path());
    for (const std::string &content : {replacement, std::string("short"), std::string()}) {
        const ino_t oldInode = test::statOf(path).st_ino;
        const ReplaceResult result = replace(path, content);
        ASSERT_TRUE(result.ok) << describe(result);
        EXPECT_EQ(result.method, ReplaceMethod::Rename);
        EXPECT_NE(test::statOf(path).st_ino, oldInode);
        EXPECT_EQ(test::readBytes(path), content);
        EXPECT_EQ(test::entriesOf(folder.path()), before);
    }
}

TEST_F(SafeReplaceTest, KeepsPermissionBitsAndOwner)
{
    for (mode_t mode : {0600, 0640, 0604, 0755, 02750}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNobody), 0);
        }
        const struct stat before = test::statOf(path);
        const ReplaceResult result = replace(path, replacement);
        ASSERT_TRUE(result.ok) << describe(result);
        const struct stat after = test::statOf(path);
        EXPECT_EQ(after.st_mode, before.st_mode) << std::oct << mode;
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
    }
}

TEST_F(SafeReplaceTest, KeepsExtendedAttributes)
{
    const std::string tag = "user.brantlow.rating";
    if (::setxattr(path.c_str(), tag.c_str(), "5 stars", 7, 0) != 0)
        GTEST_SKIP() << "no user extended attributes on this file system: " << std::strerror(errno);

    {
        SCOPED_TRACE("a failure while copying them leaves everything as it was");
        const Snapshot before = Snapshot::of(path);
        FaultHookGuard hook(failOnce("xattr", EIO));
        const ReplaceResult result = replace(path, replacement);
        EXPECT_FALSE(result.ok);
        EXPECT_STREQ(result.step, "xattr");
        before.expectUnchanged();
    }

    const ReplaceResult result = replace(path, replacement);
    ASSERT_TRUE(result.ok) << describe(result);
    char value[32] = {};
    ASSERT_EQ(::getxattr(path.c_str(), tag.c_str(), value, sizeof value), 7);
    EXPECT_EQ(std::string(value), "5 stars");
}

TEST_F(SafeReplaceTest, FollowsSymbolicLinksAndKeepsThem)
{
    ScratchFolder elsewhere;
    const std::string link = elsewhere.file("link.mp3");
    // A relative link into another folder: the target's folder gets the temporary file.
    const std::string relativeTarget = std::filesystem::relative(path, elsewhere.path()).string();
    ASSERT_EQ(::symlink(relativeTarget.c_str(), link.c_str()), 0);
    const auto targetFolder = test::entriesOf(folder.path());
    const auto linkFolder = test::entriesOf(elsewhere.path());

    const ReplaceResult result = replace(link, replacement);
    ASSERT_TRUE(result.ok) << describe(result);
    EXPECT_TRUE(S_ISLNK(test::statOf(link).st_mode));
    char stored[4096] = {};
    ASSERT_GT(::readlink(link.c_str(), stored, sizeof stored - 1), 0);
    EXPECT_EQ(std::string(stored), relativeTarget);
    EXPECT_EQ(test::readBytes(path), replacement);
    EXPECT_EQ(test::entriesOf(folder.path()), targetFolder);
    EXPECT_EQ(test::entriesOf(elsewhere.path()), linkFolder);
}

TEST_F(SafeReplaceTest, HardLinkedFileIsRewrittenInPlace)
{
    const std::string second = folder.file("other-name.mp3");
    ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
    for (const std::string &content : {replacement, std::string("shorter")}) {
        const ReplaceResult result = replace(path, content);
        ASSERT_TRUE(result.ok) << describe(result);
        EXPECT_EQ(result.method, ReplaceMethod::InPlace);
        EXPECT_EQ(test::readBytes(path), content);
        EXPECT_EQ(test::readBytes(second), content);
        EXPECT_EQ(test::statOf(path).st_nlink, 2u);
    }
}

TEST_F(SafeReplaceTest, LongNameStillGetsATemporaryName)
{
    const std::string longName = folder.file(std::string(239, 'n') + "\xC3\xA4" + std::string(10, 'n') + ".mp3");
    ASSERT_EQ(std::filesystem::path(longName).filename().string().size(), 256u - 1u);
    test::writeBytes(longName, original);
    const auto before = test::entriesOf(folder.path());
    for (bool named : {false, true}) {
        FaultHookGuard hook(named ? failOnce("none", 0, true) : std::function<int(const char *)>());
        const ReplaceResult result = replace(longName, replacement);
        ASSERT_TRUE(result.ok) << describe(result);
        EXPECT_EQ(result.method, ReplaceMethod::Rename);
        EXPECT_EQ(test::readBytes(longName), replacement);
        EXPECT_EQ(test::entriesOf(folder.path()), before);
    }
}

TEST_F(SafeReplaceTest, RefusedTargetsStayAsTheyAre)
{
    const std::string missing = folder.file("missing.mp3");
    const std::string dangling = folder.file("dangling.mp3");
    ASSERT_EQ(::symlink(missing.c_str(), dangling.c_str()), 0);
    const std::string readOnly = folder.file("read-only.mp3");
    test::writeBytes(readOnly, original);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string subFolder = folder.file("folder.mp3");
    ASSERT_EQ(::mkdir(subFolder.c_str(), 0755), 0);

    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {missing, ENOENT},
        {dangling, ENOENT},
        {readOnly, EACCES}, // refused even for root, who could open it
        {subFolder, EISDIR},
        {folder.file("no-folder/song.mp3"), ENOENT},
        {path + "/song.mp3", ENOTDIR},
    };
    const auto before = test::entriesOf(folder.path());
    for (const Case &c : cases) {
        const ReplaceResult result = replace(c.path, replacement);
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_STREQ(result.step, "open") << c.path;
        EXPECT_EQ(result.error, c.error) << c.path;
    }
    EXPECT_EQ(test::entriesOf(folder.path()), before) << "nothing created";
    EXPECT_EQ(test::readBytes(readOnly), original);
}

TEST_F(SafeReplaceTest, LockedFileIsNotWritten)
{
    const Snapshot before = Snapshot::of(path);
    ExclusiveFile holder;
    ASSERT_TRUE(holder.open(path, FileAccess::Read));
    const ReplaceResult result = replace(path, replacement);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.step, "lock");
    EXPECT_EQ(result.error, EWOULDBLOCK);
    before.expectUnchanged();
}

TEST_F(SafeReplaceTest, FileChangedSinceLoadIsNotWritten)
{
    FileIdentity loaded;
    {
        ExclusiveFile file;
        ASSERT_TRUE(file.open(path, FileAccess::Read));
        loaded = identityOf(file.fd());
    }
    // Another program rewrites the file after it was loaded.
    const std::string theirs = test::patternBytes(5000, 'Q');
    test::writeBytes(path, theirs);
    const Snapshot changed = Snapshot::of(path);

    const ReplaceResult result = replace(path, replacement, loaded);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.step, "changed");
    changed.expectUnchanged();
    EXPECT_EQ(test::readBytes(path), theirs);

    // The identity of the file as it is now lets the replace through.
    FileIdentity current;
    {
        ExclusiveFile file;
        ASSERT_TRUE(file.open(path, FileAccess::Read));
        current = identityOf(file.fd());
    }
    const ReplaceResult accepted = replace(path, replacement, current);
    EXPECT_TRUE(accepted.ok) << describe(accepted);
    EXPECT_EQ(test::readBytes(path), replacement);
}

// Every failing system call of the rename path, on both kinds of temporary
// file: the original stays as it was and no temporary name stays behind.
TEST_F(SafeReplaceTest, InjectedFailuresLeaveTheOriginalIntact)
{
    const char *steps[] = {"folder", "open",  "lock",  "create", "write", "fchown",
                           "fchmod", "times", "fsync", "link",   "rename"};
    for (bool namedTemp : {false, true}) {
        for (const char *step : steps) {
            if (namedTemp && std::strcmp(step, "link") == 0)
                continue; // a named temporary file is never linked
            for (int error : {EIO, ENOSPC}) {
                SCOPED_TRACE(std::string(step) + (namedTemp ? " (named temporary file)" : "") + " "
                             + std::strerror(error));
                const Snapshot before = Snapshot::of(path);
                FaultHookGuard hook(failOnce(step, error, namedTemp));
                const ReplaceResult result = replace(path, replacement);
                EXPECT_FALSE(result.ok);
                EXPECT_STREQ(result.step, step);
                EXPECT_EQ(result.error, error);
                before.expectUnchanged();
            }
        }
    }
}

// A process killed before any step leaves the complete old or the complete
// new content; a temporary name it leaves (it carries the killed run's id)
// is cleared by the leftover sweep of the next run.
TEST_F(SafeReplaceTest, KilledProcessLeavesOldOrNewContent)
{
    ScratchFolder state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    const std::string leftover = ".song.mp3.brantlow-tmp-";
    const auto entriesBefore = test::entriesOf(folder.path());
    const char *steps[] = {"folder", "open",  "lock", "create", "write",  "fchown",
                           "fchmod", "times", "fsync", "link",  "rename", "syncdir"};
    for (bool namedTemp : {false, true}) {
        for (const char *step : steps) {
            if (namedTemp && std::strcmp(step, "link") == 0)
                continue;
            SCOPED_TRACE(std::string("killed at ") + step + (namedTemp ? " (named temporary file)" : ""));
            test::writeBytes(path, original);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                auto refuseTmpfile = std::make_shared<bool>(namedTemp);
                setReplaceFaultHook([&, refuseTmpfile](const char *current) {
                    if (*refuseTmpfile && std::strcmp(current, "create") == 0) {
                        *refuseTmpfile = false;
                        return EOPNOTSUPP;
                    }
                    if (std::strcmp(current, step) == 0)
                        ::raise(SIGKILL);
                    return 0;
                });
                replace(path, replacement);
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the step was never reached";

            const bool renamed = std::strcmp(step, "syncdir") == 0;
            EXPECT_EQ(test::readBytes(path), renamed ? replacement : original);
            for (const std::string &entry : test::entriesOf(folder.path()))
                EXPECT_TRUE(entriesBefore.count(entry) || entry.rfind(leftover + std::to_string(child) + "-", 0) == 0)
                    << "unexpected entry " << entry;

            for (const Leftover &left : removeLeftovers())
                EXPECT_TRUE(left.removed) << left.path << ": " << left.reason;
            const ReplaceResult next = replace(path, replacement);
            ASSERT_TRUE(next.ok) << describe(next);
            EXPECT_EQ(test::readBytes(path), replacement);
            EXPECT_EQ(test::entriesOf(folder.path()), entriesBefore) << "the next run clears what was left";
        }
    }
}

TEST_F(SafeReplaceTest, FailedFolderFlushIsOnlyAWarning)
{
    FaultHookGuard hook(failOnce("syncdir", EIO));
    const ReplaceResult result = replace(path, replacement);
    EXPECT_TRUE(result.ok);
    EXPECT_STREQ(result.step, "syncdir");
    EXPECT_EQ(result.error, EIO);
    EXPECT_EQ(test::readBytes(path), replacement);
}

// A folder made append-only between the staging and the rename refuses the
// rename: the staged content is written in place instead. Made so before
// the anonymous file is linked (at its flush) nothing is left; after it the
// folder keeps the name, which is emptied and told as a warning.
TEST_F(SafeReplaceTest, FolderTurnedAppendOnlyBeforeTheRenameGetsTheFileRewrittenInPlace)
{
    ScratchFolder state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    const auto setAppendOnly = [&](bool on) {
        const int dir = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        const bool done = ::ioctl(dir, FS_IOC_GETFLAGS, &flags) == 0
            && (flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL, ::ioctl(dir, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(dir);
        return done;
    };
    if (!setAppendOnly(false) || !setAppendOnly(true) || !setAppendOnly(false))
        GTEST_SKIP() << "no append-only folders here: " << std::strerror(errno);
    const auto before = test::entriesOf(folder.path());
    for (const char *step : {"fsync", "rename"}) {
        SCOPED_TRACE(step);
        test::writeBytes(path, original);
        const ino_t inode = test::statOf(path).st_ino;
        FaultHookGuard hook([&](const char *current) {
            if (std::strcmp(current, step) == 0)
                setAppendOnly(true);
            return 0;
        });
        const ReplaceResult result = replace(path, replacement);
        setAppendOnly(false);
        ASSERT_TRUE(result.ok) << describe(result);
        EXPECT_EQ(result.method, ReplaceMethod::InPlace);
        EXPECT_EQ(test::readBytes(path), replacement);
        EXPECT_EQ(test::statOf(path).st_ino, inode);
        EXPECT_EQ(test::statOf(path).st_mtim.tv_sec, keptTime.tv_sec);
        std::set<std::string> left;
        for (const std::string &entry : test::entriesOf(folder.path()))
            if (!before.count(entry)) {
                left.insert(entry);
                EXPECT_EQ(test::statOf(folder.file(entry)).st_size, 0) << entry << " still holds the new content";
                ::unlink(folder.file(entry).c_str());
            }
        EXPECT_EQ(left.size(), std::strcmp(step, "rename") == 0 ? 1u : 0u);
        EXPECT_STREQ(result.step, left.empty() ? "" : "temp-remove");
    }
}

TEST_F(SafeReplaceTest, InPlaceFailuresBeforeWritingLeaveTheOriginalIntact)
{
    const std::string second = folder.file("other-name.mp3");
    ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
    for (const char *step : {"times", "allocate", "write"}) {
        SCOPED_TRACE(step);
        const Snapshot before = Snapshot::of(path);
        FaultHookGuard hook(failOnce(step, ENOSPC));
        const ReplaceResult result = replace(path, replacement);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.method, ReplaceMethod::InPlace);
        EXPECT_STREQ(result.step, step);
        before.expectUnchanged();
    }
}

// Root passes permission bits, so a forked child drops to nobody first.
class UnprivilegedReplaceTest : public SafeReplaceTest {
protected:
    std::string resultFile = folder.file("result");
    ScratchFolder state; // nobody's own state folder

    void SetUp() override
    {
        SafeReplaceTest::SetUp();
        ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
        ASSERT_EQ(::chown(state.path().c_str(), test::kNobody, test::kNobody), 0);
    }
    // Runs the replace as nobody; the result comes back through a file that
    // the parent prepared for it.
    ReplaceResult replaceAsNobody(const std::string &target, const std::string &content,
                                  const timespec *lastWrite = nullptr)
    {
        test::writeBytes(resultFile, "");
        ::chmod(resultFile.c_str(), 0666);
        const int status = test::runUnprivileged([&] {
            ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
            const ReplaceResult r =
                replaceFileContents(target, test::bytesOf(content), content.size(), {}, lastWrite);
            std::ofstream out(resultFile, std::ios::trunc);
            out << r.ok << ' ' << static_cast<int>(r.method) << ' ' << r.error << ' ' << r.step;
            return out ? 0 : 1;
        });
        EXPECT_EQ(status, 0);
        std::istringstream in(test::readBytes(resultFile));
        int ok = 0;
        int method = 0;
        ReplaceResult r;
        in >> ok >> method >> r.error >> m_step;
        r.ok = ok != 0;
        r.method = static_cast<ReplaceMethod>(method);
        r.step = m_step.c_str();
        return r;
    }

private:
    std::string m_step;
};

TEST_F(UnprivilegedReplaceTest, ReadOnlyFolderWithWritableFileIsRewrittenInPlace)
{
    ScratchFolder locked;
    const std::string target = locked.file("song.mp3");
    test::writeBytes(target, original);
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(locked.path().c_str(), 0555), 0); // no new file can be made here
    const auto before = test::entriesOf(locked.path());

    const ReplaceResult result = replaceAsNobody(target, replacement);
    ASSERT_TRUE(result.ok) << describe(result);
    EXPECT_EQ(result.method, ReplaceMethod::InPlace);
    EXPECT_EQ(test::readBytes(target), replacement);
    EXPECT_EQ(test::entriesOf(locked.path()), before);
}

TEST_F(UnprivilegedReplaceTest, ReadOnlyFolderWithReadOnlyFileFails)
{
    ScratchFolder locked;
    const std::string target = locked.file("song.mp3");
    test::writeBytes(target, original);
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(locked.path().c_str(), 0555), 0);
    const Snapshot before = Snapshot::of(target);

    const ReplaceResult result = replaceAsNobody(target, replacement);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.step, "open");
    EXPECT_EQ(result.error, EACCES);
    before.expectUnchanged();
}

TEST_F(UnprivilegedReplaceTest, FolderThatCannotBeListedStillGetsTheFileReplaced)
{
    ScratchFolder blind;
    const std::string target = blind.file("song.mp3");
    test::writeBytes(target, original);
    ASSERT_EQ(::chown(target.c_str(), test::kNobody, test::kNobody), 0); // so that a new file may keep the owner
    ASSERT_EQ(::chmod(blind.path().c_str(), 0333), 0); // nobody may search and write, not list

    const ReplaceResult result = replaceAsNobody(target, replacement);
    ASSERT_EQ(::chmod(blind.path().c_str(), 0755), 0); // so that the test may look
    ASSERT_TRUE(result.ok) << describe(result);
    EXPECT_EQ(result.method, ReplaceMethod::Rename);
    EXPECT_EQ(test::readBytes(target), replacement);
    EXPECT_EQ(test::entriesOf(blind.path()), std::set<std::string>{"song.mp3"});
}

TEST_F(UnprivilegedReplaceTest, ForeignOwnedFileIsRewrittenInPlaceSoThatItKeepsItsOwner)
{
    // nobody may write the file and the folder but cannot give a new file
    // root's owner: the file itself is rewritten, owner, group and mode kept.
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const struct stat before = test::statOf(path);

    // Not the owner, nobody may not set the file's times: a rewrite that is
    // to keep them is refused before any byte changes.
    const ReplaceResult refused = replaceAsNobody(path, replacement, &keptTime);
    EXPECT_FALSE(refused.ok);
    EXPECT_STREQ(refused.step, "times");
    EXPECT_EQ(refused.error, EPERM);
    EXPECT_EQ(test::readBytes(path), original);
    EXPECT_EQ(test::statOf(path).st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(test::statOf(path).st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    const ReplaceResult result = replaceAsNobody(path, replacement);
    ASSERT_TRUE(result.ok) << describe(result);
    EXPECT_EQ(result.method, ReplaceMethod::InPlace);
    EXPECT_EQ(test::readBytes(path), replacement);
    const struct stat after = test::statOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(test::entriesOf(folder.path()), (std::set<std::string>{"result", "song.mp3"})) << "no temporary file left";
}

// Real file systems that fail: a tiny tmpfs that fills up and a read-only bind
// mount, each in a private mount namespace so that nothing leaks.
class MountedReplaceTest : public SafeReplaceTest {
protected:
    ScratchFolder mountPoint;
    bool mounted = false;

    void mountTmpfs(const char *options)
    {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
        if (::mount("tmpfs", mountPoint.path().c_str(), "tmpfs", 0, options) != 0)
            GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(mountPoint.path().c_str(), MNT_DETACH);
    }
    std::uint64_t freeBytes() const
    {
        struct statvfs vfs {};
        ::statvfs(mountPoint.path().c_str(), &vfs);
        return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_bsize;
    }
};

TEST_F(MountedReplaceTest, FullDiskLeavesTheOriginalIntact)
{
    mountTmpfs("size=256k,mode=0755");
    if (!mounted)
        return;
    const std::string target = mountPoint.file("song.mp3");
    test::writeBytes(target, test::patternBytes(64 * 1024, 'A'));
    const std::string tooLarge = test::patternBytes(freeBytes() + 8192, 'z');
    for (bool namedTemp : {false, true}) {
        SCOPED_TRACE(namedTemp ? "named temporary file" : "anonymous temporary file");
        const Snapshot before = Snapshot::of(target);
        FaultHookGuard hook(failOnce("none", 0, namedTemp));
        const ReplaceResult result = replace(target, tooLarge);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, ENOSPC) << describe(result);
        before.expectUnchanged();
    }
    // What fits still goes through.
    const std::string fits = test::patternBytes(16 * 1024, 'f');
    EXPECT_TRUE(replace(target, fits).ok);
    EXPECT_EQ(test::readBytes(target), fits);
}

TEST_F(MountedReplaceTest, FullDiskFailsTheInPlaceRewriteBeforeAnyByteChanges)
{
    mountTmpfs("size=256k,mode=0755");
    if (!mounted)
        return;
    const std::string target = mountPoint.file("song.mp3");
    const std::string second = mountPoint.file("other-name.mp3");
    test::writeBytes(target, test::patternBytes(64 * 1024, 'A'));
    ASSERT_EQ(::link(target.c_str(), second.c_str()), 0);
    const Snapshot before = Snapshot::of(target);

    const ReplaceResult result = replace(target, test::patternBytes(64 * 1024 + freeBytes() + 8192, 'z'));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.method, ReplaceMethod::InPlace);
    EXPECT_STREQ(result.step, "allocate");
    EXPECT_EQ(result.error, ENOSPC);
    before.expectUnchanged();
    EXPECT_EQ(test::readBytes(second), before.content);
}

TEST_F(MountedReplaceTest, ReadOnlyFileSystemIsRefused)
{
    mountTmpfs("size=256k,mode=0755");
    if (!mounted)
        return;
    const std::string target = mountPoint.file("song.mp3");
    test::writeBytes(target, original);
    if (::mount(nullptr, mountPoint.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot remount read-only: " << std::strerror(errno);
    const Snapshot before = Snapshot::of(target);
    const ReplaceResult result = replace(target, replacement);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.step, "open");
    EXPECT_EQ(result.error, EROFS);
    before.expectUnchanged();
}

} // namespace
} // namespace brantlow::platform

namespace brantlow::platform {
namespace {

FileIdentity identityAt(const std::string &path)
{
    struct stat st = test::statOf(path);
    return identityFrom(st);
}

// A group in two folders: nothing changes before the commit; then every file
// holds the original with its edits (the rest copied by the kernel, or
// through memory where the kernel copies nothing) and the kept time, except
// those changed or replaced under their name meanwhile, which are left as
// they are, and one whose edits do not fit it, refused at once. A group
// dropped uncommitted changes nothing.
TEST(ReplaceGroupTest, CommitsEachFileOrLeavesItAsItIs)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path() + "/sub");
    const timespec kept{1'100'000'000, 7};
    struct Row {
        std::string name;
        enum { Plain, ThroughMemory, ChangedMeanwhile, ReplacedMeanwhile, PastTheEnd } what;
    };
    const std::vector<Row> rows = {{"a.mp3", Row::Plain},
                                   {"sub/b.mp3", Row::Plain},
                                   {"c.mp3", Row::ChangedMeanwhile},
                                   {"sub/d.mp3", Row::ReplacedMeanwhile},
                                   {"e.mp3", Row::ThroughMemory},
                                   {"f.mp3", Row::PastTheEnd}};
    for (const bool commit : {false, true}) {
        ReplaceGroup group;
        std::vector<std::string> paths, olds, news;
        std::vector<std::size_t> entries;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            paths.push_back(folder.file(rows[i].name));
            olds.push_back(test::patternBytes(300'000 + i, static_cast<char>('A' + i)));
            test::writeBytes(paths[i], olds[i]);
            // A new head of 417 bytes for the first 1000, 4 bytes grown to 8
            // in the middle, a removal just before the end.
            const std::string head = test::patternBytes(417, 'z');
            const std::string end = rows[i].what == Row::PastTheEnd ? olds[i].substr(0, 12) : olds[i].substr(0, 2);
            const ByteEdits edits = {{0, 1000, {head.begin(), head.end()}},
                                     {150'000, 4, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}},
                                     {olds[i].size() - 10, end.size(), {}}};
            news.push_back(head + olds[i].substr(1000, 149'000) + "abcdefgh"
                           + olds[i].substr(150'004, olds[i].size() - 10 - 150'004)
                           + olds[i].substr(olds[i].size() - 8));
            std::optional<FaultHookGuard> noKernelCopy;
            if (rows[i].what == Row::ThroughMemory)
                noKernelCopy.emplace([](const char *step) { return std::strcmp(step, "copy") == 0 ? EXDEV : 0; });
            entries.push_back(group.add(paths[i], edits, identityAt(paths[i]), &kept));
            EXPECT_STREQ(group.result(entries[i]).step, rows[i].what == Row::PastTheEnd ? "write" : "pending");
        }
        const std::string theirs = "another program's content";
        test::writeBytes(paths[2], theirs);
        test::writeBytes(folder.file("sub/new"), theirs);
        std::filesystem::rename(folder.file("sub/new"), paths[3]); // another file put in its place
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i != 2 && i != 3) {
                EXPECT_EQ(test::readBytes(paths[i]), olds[i]) << rows[i].name << ": changed before the commit";
            }
        }
        if (!commit)
            continue; // dropped: checked below with the folder listing
        group.commit();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ReplaceResult result = group.result(entries[i]);
            switch (rows[i].what) {
            case Row::Plain:
            case Row::ThroughMemory:
                ASSERT_TRUE(result.ok) << rows[i].name << " " << describe(result);
                EXPECT_EQ(test::readBytes(paths[i]), news[i]) << rows[i].name;
                EXPECT_EQ(test::statOf(paths[i]).st_mtim.tv_sec, kept.tv_sec) << rows[i].name;
                break;
            case Row::PastTheEnd:
                EXPECT_FALSE(result.ok) << rows[i].name;
                EXPECT_EQ(test::readBytes(paths[i]), olds[i]) << rows[i].name;
                break;
            case Row::ChangedMeanwhile:
            case Row::ReplacedMeanwhile:
                EXPECT_FALSE(result.ok) << rows[i].name;
                EXPECT_STREQ(result.step, "changed") << rows[i].name;
                EXPECT_EQ(test::readBytes(paths[i]), theirs) << rows[i].name;
                break;
            }
        }
    }
    // Nothing but the files themselves is left in either folder.
    EXPECT_EQ(test::entriesOf(folder.path()), (std::set<std::string>{"a.mp3", "c.mp3", "e.mp3", "f.mp3", "sub"}));
    EXPECT_EQ(test::entriesOf(folder.path() + "/sub"), (std::set<std::string>{"b.mp3", "d.mp3"}));
}

// Every kind of edit gives the exact content: ranges that keep their places
// within a page are copied by the kernel (or through memory where it copies
// nothing), shifted ones are put together in memory and written in whole
// pages; a large file crosses the steps at which its write-back starts. The
// bytes are not periodic, so a range copied from a wrong offset shows.
TEST(ReplaceGroupTest, WritesEveryKindOfEditExactly)
{
    enum Kind { SameLength, GrownByAPage, Shifted, ShiftedAndBack };
    const struct {
        const char *name;
        std::size_t size;
        Kind kind;
        bool kernelCopies;
    } rows[] = {{"same length", 300'000, SameLength, true},
                {"same length, no kernel copy", 300'000, SameLength, false},
                {"grown by a page", 300'000, GrownByAPage, true},
                {"shifted", 300'000, Shifted, true},
                {"shifted and back", 300'000, ShiftedAndBack, true},
                {"large, same length", 17u << 20, SameLength, true},
                {"large, shifted", 17u << 20, Shifted, true}};
    ScratchFolder folder;
    for (const auto &row : rows) {
        std::string old(row.size, '\0');
        std::uint32_t state = 12345;
        for (char &byte : old) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<char>(state >> 24);
        }
        const std::string path = folder.file("a.mp3");
        test::writeBytes(path, old);
        const auto bytes = [](std::size_t count, char seed) {
            const std::string text = test::patternBytes(count, seed);
            return std::vector<std::uint8_t>(text.begin(), text.end());
        };
        ByteEdits edits;
        switch (row.kind) {
        case SameLength:
            edits = {{100, 417, bytes(417, 'a')}, {old.size() - 4, 4, bytes(4, 'b')}};
            break;
        case GrownByAPage:
            edits = {{0, 0, bytes(4096, 'c')}};
            break;
        case Shifted:
            edits = {{0, 1000, bytes(417, 'd')}};
            break;
        case ShiftedAndBack:
            edits = {{10, 0, bytes(417, 'e')}, {200'000, 417, {}}};
            break;
        }
        std::string expected;
        std::size_t next = 0;
        for (const ByteEdit &edit : edits) {
            expected += old.substr(next, edit.offset - next) + std::string(edit.bytes.begin(), edit.bytes.end());
            next = edit.offset + edit.oldLength;
        }
        expected += old.substr(next);

        auto kernelCopies = std::make_shared<int>(0);
        ReplaceResult result;
        {
            FaultHookGuard hook([&row, kernelCopies](const char *step) {
                if (std::strcmp(step, "copy") != 0)
                    return 0;
                ++*kernelCopies;
                return row.kernelCopies ? 0 : EXDEV;
            });
            ReplaceGroup group;
            const std::size_t entry = group.add(path, edits, identityAt(path), nullptr);
            group.commit();
            result = group.result(entry);
        }
        ASSERT_TRUE(result.ok) << row.name << " " << describe(result);
        EXPECT_TRUE(test::readBytes(path) == expected) << row.name;
        const bool keepsPages = row.kind == SameLength || row.kind == GrownByAPage;
        EXPECT_EQ(*kernelCopies > 0, keepsPages) << row.name;
    }
}

// A group takes over the original its caller holds open and locked, with
// no second open: the lock stays until the commit; the file is rewritten
// with its owner and group,
// in place where it has other names; a name that no longer names the held
// file (a link, another file put there) or a file changed since is opened
// as a path is, and refused when it is not the file that was read; a file
// with no write bit is refused.
TEST(ReplaceGroupTest, TakesOverTheHeldOriginal)
{
    enum What { Plain, OtherOwner, HardLinked, ThroughLink, ChangedMeanwhile, ReplacedMeanwhile, NoWriteBit };
    const struct {
        What what;
        const char *step; // of the result after the commit
    } rows[] = {{Plain, nullptr},       {OtherOwner, nullptr},         {HardLinked, nullptr},
                {ThroughLink, nullptr}, {ChangedMeanwhile, "changed"}, {ReplacedMeanwhile, "changed"},
                {NoWriteBit, "open"}};
    const timespec kept{1'100'000'000, 7};
    for (const auto &row : rows) {
        SCOPED_TRACE(static_cast<int>(row.what));
        ScratchFolder folder;
        const std::string real = folder.file("song.mp3");
        const std::string old = test::patternBytes(200'000, 'A');
        test::writeBytes(real, old);
        std::string path = real;
        if (row.what == HardLinked) {
            ASSERT_EQ(::link(real.c_str(), folder.file("other name").c_str()), 0);
        }
        if (row.what == ThroughLink) {
            path = folder.file("link.mp3");
            ASSERT_EQ(::symlink("song.mp3", path.c_str()), 0);
        }
        if (row.what == NoWriteBit)
            ::chmod(real.c_str(), 0444);
        if (row.what == OtherOwner && ::chown(real.c_str(), test::kNobody, test::kNobody) != 0)
            continue; // only root gives a file away
        const struct stat owner = test::statOf(real);
        ExclusiveFile held;
        ASSERT_TRUE(held.open(path, FileAccess::Read));
        const FileIdentity identity = held.identity();
        const std::string theirs = "another program's content";
        if (row.what == ChangedMeanwhile)
            test::writeBytes(real, theirs);
        if (row.what == ReplacedMeanwhile) {
            test::writeBytes(folder.file("new"), theirs);
            std::filesystem::rename(folder.file("new"), real);
        }
        const std::string head = test::patternBytes(417, 'z');
        const ByteEdits edits = {{0, 1000, {head.begin(), head.end()}}};
        const std::string wanted = head + old.substr(1000);
        ReplaceGroup group;
        const std::size_t entry = group.add(path, edits, identity, &kept, std::move(held));
        EXPECT_FALSE(held.isOpen());
        if (row.step == nullptr && row.what != HardLinked) { // in place: done at once
            // Still locked: nobody else opens it exclusively before the commit.
            ExclusiveFile other;
            EXPECT_FALSE(other.open(path, FileAccess::Read));
        }
        group.commit();
        const ReplaceResult result = group.result(entry);
        if (row.step != nullptr) {
            EXPECT_FALSE(result.ok);
            EXPECT_STREQ(result.step, row.step);
            EXPECT_EQ(test::readBytes(real), row.what == NoWriteBit ? old : theirs);
            continue;
        }
        ASSERT_TRUE(result.ok) << describe(result);
        EXPECT_EQ(test::readBytes(real), wanted);
        EXPECT_EQ(test::statOf(real).st_mtim.tv_sec, kept.tv_sec);
        EXPECT_EQ(test::statOf(real).st_uid, owner.st_uid);
        EXPECT_EQ(test::statOf(real).st_gid, owner.st_gid);
        if (row.what == HardLinked) {
            EXPECT_EQ(test::readBytes(folder.file("other name")), wanted);
        }
        if (row.what == ThroughLink) {
            EXPECT_TRUE(S_ISLNK(test::statOf(path).st_mode));
        }
        group.clear();
        ExclusiveFile after;
        EXPECT_TRUE(after.open(path, FileAccess::Read)) << "the lock outlived the commit";
    }
}

// A held file that its user may read but not write, in a folder where he
// may make files, is refused as the open for writing would refuse it: one of
// another owner, and his own without the owner's write bit.
TEST(ReplaceGroupTest, HeldFileTheUserMayNotWriteIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as another user";
    for (const auto &[owner, mode] : {std::pair<uid_t, mode_t>{0, 0644}, {test::kNobody, 0464}}) {
        ScratchFolder folder;
        ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
        const std::string path = folder.file("song.mp3");
        const std::string old = test::patternBytes(50'000, 'A');
        test::writeBytes(path, old);
        ASSERT_EQ(::chown(path.c_str(), owner, owner), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const int status = test::runUnprivileged([&] {
            ExclusiveFile held;
            if (!held.open(path, FileAccess::Read))
                return 2;
            const FileIdentity identity = held.identity();
            ReplaceGroup group;
            const std::size_t entry = group.add(path, {{0, 4, {'x'}}}, identity, nullptr, std::move(held));
            group.commit();
            const ReplaceResult result = group.result(entry);
            return !result.ok && std::strcmp(result.step, "open") == 0 && result.error == EACCES ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << "owner " << owner;
        EXPECT_EQ(test::readBytes(path), old) << "owner " << owner;
    }
}

} // namespace
} // namespace brantlow::platform
