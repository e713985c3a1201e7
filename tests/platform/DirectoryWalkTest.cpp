// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirectoryWalk.h"

#include "TestFiles.h"

#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

std::set<std::string> walk(const std::string &folder, std::vector<std::string> *order = nullptr)
{
    std::set<std::string> seen;
    const bool ok = enumerateDirectory(folder, [&](const DirectoryEntry &entry) {
        EXPECT_TRUE(seen.insert(entry.name).second) << "reported twice: " << entry.name;
        if (order)
            order->push_back(entry.name);
    });
    EXPECT_TRUE(ok);
    return seen;
}

TEST(DirectoryWalk, ReportsEveryEntry)
{
    ScratchFolder folder;
    test::writeBytes(folder.file("song.mp3"), "x");
    test::writeBytes(folder.file(".hidden.wav"), "x");
    test::writeBytes(folder.file("L\xC3\xA4nge.MP3"), "x");
    ASSERT_EQ(::mkdir(folder.file("album").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("album", folder.file("link-to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", folder.file("dangling.mp3").c_str()), 0);
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0644), 0);

    const std::set<std::string> expected = {
        "song.mp3", ".hidden.wav", "L\xC3\xA4nge.MP3", "album", "link-to-folder", "dangling.mp3", "pipe"};
    EXPECT_EQ(walk(folder.path()), expected);
}

TEST(DirectoryWalk, KeepsTheFileSystemsOrder)
{
    ScratchFolder folder;
    for (int i = 0; i < 50; ++i)
        test::writeBytes(folder.file("f" + std::to_string(i * 7919 % 101) + ".mp3"), "x");
    std::vector<std::string> order;
    walk(folder.path(), &order);
    std::vector<std::string> readdirOrder;
    for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
        readdirOrder.push_back(entry.path().filename().string());
    EXPECT_EQ(order, readdirOrder);
}

TEST(DirectoryWalk, EmptyFolderVisitsNothing)
{
    ScratchFolder folder;
    EXPECT_TRUE(walk(folder.path()).empty());
}

// Each file comes with the size its look found (what its run reserves), also
// through a link; anything but a regular file with 0.
TEST(DirectoryWalker, GivesEachRegularFilesSize)
{
    ScratchFolder folder;
    test::writeBytes(folder.file("a.mp3"), std::string(1234, 'a'));
    ASSERT_EQ(::symlink("a.mp3", folder.file("link.mp3").c_str()), 0);
    ASSERT_EQ(::mkfifo(folder.file("pipe.mp3").c_str(), 0600), 0);
    std::map<std::string, std::uint64_t> sizes;
    DirectoryWalker walker(
        {false, true, false, {}},
        {[&](const FoundFile &found) { sizes[found.path.substr(folder.path().size())] = found.bytes; }, {}, {}});
    walker.walk(folder.path());
    walker.walk(folder.file("pipe.mp3")); // named: looked at by the walk too
    const std::map<std::string, std::uint64_t> wanted = {{"/a.mp3", 1234}, {"/pipe.mp3", 0}};
    EXPECT_EQ(sizes, wanted); // the link is the same file, listed once
    std::map<std::string, std::uint64_t> named;
    DirectoryWalker byName({}, {[&](const FoundFile &found) { named[found.path] = found.bytes; }, {}, {}});
    byName.walk(folder.file("link.mp3"));
    EXPECT_EQ(named[folder.file("link.mp3")], 1234u);
}

TEST(DirectoryWalk, FailsOnWhatCannotBeEnumerated)
{
    ScratchFolder folder;
    test::writeBytes(folder.file("file.mp3"), "x");
    int visits = 0;
    auto count = [&](const DirectoryEntry &) { ++visits; };
    EXPECT_FALSE(enumerateDirectory(folder.file("missing"), count));
    EXPECT_FALSE(enumerateDirectory(folder.file("file.mp3"), count));
    EXPECT_FALSE(enumerateDirectory("", count));

    ASSERT_EQ(::chmod(folder.path().c_str(), 0711), 0);
    const std::string unreadable = folder.file("closed");
    ASSERT_EQ(::mkdir(unreadable.c_str(), 0700), 0);
    test::writeBytes(unreadable + "/inside.mp3", "x");
    ASSERT_EQ(::chmod(unreadable.c_str(), 0300), 0); // no one but root may list it
    const int status = test::runUnprivileged([&] {
        int seen = 0;
        const bool ok = enumerateDirectory(unreadable, [&](const DirectoryEntry &) { ++seen; });
        return ok ? 2 : (seen == 0 ? 1 : 3);
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(visits, 0);
}


// ---------------------------------------------------------------------------
// The folder scan, on a fake tree holding the traps a music library can hold.

struct WalkRow {
    const char *what;
    std::vector<std::string> roots; // relative to the tree
    WalkOptions options;
    std::vector<std::string> expected; // "file P", "named P", "problem P <kind> <errno>"; P relative
    std::size_t stopAfterFiles = 0;    // cancel once this many files were found; 0: never
};

class FakeTree {
public:
    FakeTree()
    {
        ::chmod(m_scratch.path().c_str(), 0755); // the walk may run as another user
        m_outside = makeOutside();
        make();
    }
    ~FakeTree()
    {
        if (!m_outsideScratch.empty())
            std::filesystem::remove_all(m_outsideScratch);
    }
    std::string path(const std::string &relative) const { return relative.empty() ? m_tree : m_tree + "/" + relative; }
    const std::string &tree() const { return m_tree; }
    const std::string &outside() const { return m_outside; }
    const std::string &tooLong() const { return m_tooLong; }
    // Whether the folder outside lies on another file system than the tree.
    bool outsideIsOtherFileSystem() const { return test::statOf(m_outside).st_dev != test::statOf(m_tree).st_dev; }

private:
    // Another file system when /dev/shm is one, so that -x can be seen.
    std::string makeOutside()
    {
        std::string pattern = "/dev/shm/brantlow-outside-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            pattern = m_scratch.file("outside");
            ::mkdir(pattern.c_str(), 0755);
        } else {
            m_outsideScratch = pattern;
        }
        ::chmod(pattern.c_str(), 0755);
        test::writeBytes(pattern + "/out.mp3", "x");
        return pattern;
    }

    void make()
    {
        m_tree = m_scratch.file("tree");
        ::mkdir(m_tree.c_str(), 0755);
        auto file = [&](const std::string &relative) { test::writeBytes(path(relative), "x"); };
        auto folder = [&](const std::string &relative) { ASSERT_EQ(::mkdir(path(relative).c_str(), 0755), 0); };
        auto link = [&](const std::string &target, const std::string &relative) {
            ASSERT_EQ(::symlink(target.c_str(), path(relative).c_str()), 0);
        };
        file("a.mp3");
        file("B.WAV");
        file("notes.txt");
        ASSERT_EQ(::link(path("a.mp3").c_str(), path("hard.mp3").c_str()), 0);
        folder("album.mp3");
        file("album.mp3/inner.rmp");
        folder("sub");
        file("sub/deep.mp3");
        folder("bad\xff\xfe");
        file("bad\xff\xfe/name\xe9\n.mp3");
        folder("closed");
        file("closed/hidden.mp3");
        ASSERT_EQ(::chmod(path("closed").c_str(), 0300), 0); // listing refused to anyone but root
        link("sub", "link-in");
        link(m_outside, "link-out");
        link(".", "loop");
        link("a.mp3", "file-link.mp3");
        link(m_outside + "/out.mp3", "out-file.mp3");
        link("nowhere.mp3", "dangling.mp3");
        link("/proc", "proc-link");
        // Links that lead back above the tree: / itself, its parent, / through a /proc magic link.
        link("/", "to-root");
        link("..", "up");
        link("/proc/self/root", "proc-root");
        // A folder path too long to open.
        folder("long");
        const std::string name(200, 'n');
        m_tooLong = "long";
        int fd = ::open(path("long").c_str(), O_RDONLY | O_DIRECTORY);
        while (fd >= 0 && path(m_tooLong).size() < PATH_MAX) {
            ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
            const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = sub;
            m_tooLong += "/" + name;
        }
        ::close(fd);
    }

    test::ScratchFolder m_scratch;
    std::string m_tree;
    std::string m_outside;
    std::string m_outsideScratch;
    std::string m_tooLong;
};

// Runs the walk as an unprivileged user (root reads any folder) in a child,
// which sends one record per event back through a pipe (names may hold newlines).
std::vector<std::string> walkTree(const FakeTree &tree, const WalkRow &row)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {"pipe failed"};
    const int status = test::runUnprivileged([&] {
        ::close(ends[0]);
        std::string out;
        auto relative = [&](const std::string &path) {
            std::string shown = path;
            if (shown.starts_with(tree.tree() + "/"))
                shown = shown.substr(tree.tree().size() + 1);
            else if (shown.starts_with(tree.outside()))
                shown = "OUTSIDE" + shown.substr(tree.outside().size());
            return shown == tree.tooLong() ? std::string("TOO-LONG") : shown;
        };
        std::size_t files = 0;
        DirectoryWalker walker(row.options,
                               {[&](const FoundFile &found) {
                                    ++files;
                                    out += (found.named ? "named " : "file ") + relative(found.path) + '\0';
                                },
                                [&](const WalkProblem &problem) {
                                    out += "problem " + relative(problem.path) + " "
                                        + (problem.kind == WalkProblemKind::CannotRead            ? "unreadable "
                                               : problem.kind == WalkProblemKind::LinkNotFollowed ? "link "
                                                                                                  : "pseudo ")
                                        + std::to_string(problem.error) + '\0';
                                },
                                [&](const WalkProgress &progress) {
                                    return row.stopAfterFiles == 0 || progress.files < row.stopAfterFiles;
                                }});
        bool finished = true;
        for (const std::string &root : row.roots)
            finished = finished && walker.walk(tree.path(root));
        if (!finished)
            out += std::string("cancelled") + '\0';
        if (walker.progress().files != files)
            out += std::string("miscounted") + '\0';
        return ::write(ends[1], out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 0 : 1;
    });
    ::close(ends[1]);
    std::string all;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        all.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
        lines.push_back(all.substr(start, end - start));
    if (status != 0)
        lines.push_back("child status " + std::to_string(status));
    return lines;
}

TEST(DirectoryWalker, StaysInItsTreeListsEachFileOnceAndReportsWhatItCannotRead)
{
    FakeTree tree;
    const WalkOptions flat{false, false, false, audioExtensions()};
    const WalkOptions deep{true, false, false, audioExtensions()};
    const WalkOptions follow{true, true, false, audioExtensions()};
    const WalkOptions followOneFs{true, true, true, audioExtensions()};
    const std::string eacces = std::to_string(EACCES);
    const std::string toolong = std::to_string(ENAMETOOLONG);
    const std::string badFile = "bad\xff\xfe/name\xe9\n.mp3";
    // Bytes order: upper case first; "B.WAV" < "a.mp3" < "album.mp3" < "bad..." < ...
    const std::vector<std::string> deepFiles = {"file B.WAV", "file a.mp3", "file album.mp3/inner.rmp",
                                                "file " + badFile, "problem closed unreadable " + eacces,
                                                "problem TOO-LONG unreadable " + toolong, "file sub/deep.mp3"};
    std::vector<std::string> followFiles = {"file B.WAV",
                                            "file a.mp3",
                                            "file album.mp3/inner.rmp",
                                            "file " + badFile,
                                            "problem closed unreadable " + eacces,
                                            "problem dangling.mp3 unreadable " + std::to_string(ENOENT),
                                            "file link-in/deep.mp3",
                                            "file link-out/out.mp3",
                                            "problem TOO-LONG unreadable " + toolong,
                                            "problem proc-link pseudo 0",
                                            "problem proc-root link 0",
                                            "problem to-root link 0",
                                            "problem up link 0"};
    // Another file system's folder is not entered (nor /proc); its file is taken through out-file.mp3 instead.
    const bool otherFs = tree.outsideIsOtherFileSystem();
    std::vector<std::string> followOneFsFiles = {"file B.WAV",
                                                 "file a.mp3",
                                                 "file album.mp3/inner.rmp",
                                                 "file " + badFile,
                                                 "problem closed unreadable " + eacces,
                                                 "problem dangling.mp3 unreadable " + std::to_string(ENOENT),
                                                 "file link-in/deep.mp3",
                                                 otherFs ? "" : "file link-out/out.mp3",
                                                 "problem TOO-LONG unreadable " + toolong,
                                                 otherFs ? "file out-file.mp3" : "",
                                                 "problem proc-root link 0",
                                                 "problem to-root link 0",
                                                 "problem up link 0"};
    std::erase(followOneFsFiles, "");
    // Without -x, out-file.mp3 is the file already listed as link-out/out.mp3.

    const std::vector<WalkRow> rows = {
        {"one folder, links not taken, a hard link listed once", {""}, flat, {"file B.WAV", "file a.mp3"}},
        {"sub-folders, no links followed", {""}, deep, deepFiles},
        {"links followed: each folder and file once, no loop, /proc not entered", {""}, follow, followFiles},
        {"links followed on one file system", {""}, followOneFs, followOneFsFiles},
        {"named files are taken as they are, once", {"a.mp3", "file-link.mp3", "notes.txt", "missing.mp3", "sub"},
         flat, {"named a.mp3", "named notes.txt", "named missing.mp3", "file sub/deep.mp3"}},
        {"a named folder that cannot be read", {"closed"}, flat, {"problem closed unreadable " + eacces}},
        {"cancelled", {""}, deep, {"file B.WAV", "file a.mp3", "cancelled"}, 2},
    };
    for (const WalkRow &row : rows)
        EXPECT_EQ(walkTree(tree, row), row.expected) << row.what;
}

} // namespace
} // namespace brantlow::platform
