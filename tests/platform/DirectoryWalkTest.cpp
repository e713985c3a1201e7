#include "platform/DirectoryWalk.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <map>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

struct Seen {
    bool isDirectory;
    bool isSymbolicLink;
    bool operator==(const Seen &) const = default;
};

std::map<std::string, Seen> walk(const std::string &folder, std::vector<std::string> *order = nullptr)
{
    std::map<std::string, Seen> seen;
    const bool ok = enumerateDirectory(folder, [&](const DirectoryEntry &entry) {
        EXPECT_TRUE(seen.emplace(entry.name, Seen{entry.isDirectory, entry.isSymbolicLink}).second)
            << "reported twice: " << entry.name;
        if (order)
            order->push_back(entry.name);
    });
    EXPECT_TRUE(ok);
    return seen;
}

TEST(DirectoryWalk, ReportsEveryEntryWithWhatItIs)
{
    ScratchFolder folder;
    test::writeBytes(folder.file("song.mp3"), "x");
    test::writeBytes(folder.file(".hidden.wav"), "x");
    test::writeBytes(folder.file("L\xC3\xA4nge.MP3"), "x");
    ASSERT_EQ(::mkdir(folder.file("album").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.file("folder.mp3").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("album", folder.file("link-to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("song.mp3", folder.file("link-to-file.mp3").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", folder.file("dangling.mp3").c_str()), 0);
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0644), 0);

    const std::map<std::string, Seen> expected = {
        {"song.mp3", {false, false}},         {".hidden.wav", {false, false}},
        {"L\xC3\xA4nge.MP3", {false, false}}, {"album", {true, false}},
        {"folder.mp3", {true, false}},        {"link-to-folder", {true, true}},
        {"link-to-file.mp3", {false, true}},  {"dangling.mp3", {false, true}},
        {"pipe", {false, false}},
    };
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

} // namespace
} // namespace brantlow::platform
