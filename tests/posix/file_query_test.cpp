#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/file_query.h"
#include "tests/support/files.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

TEST(WildcardMatch, StarAndQuestionMark) {
    EXPECT_TRUE(WildcardMatch("*.txt", "a.txt"));
    EXPECT_TRUE(WildcardMatch("*.txt", ".txt"));
    EXPECT_TRUE(WildcardMatch("a?c", "abc"));
    EXPECT_TRUE(WildcardMatch("a?c", "a提c"));  // one character, three bytes
    EXPECT_TRUE(WildcardMatch("*", "anything"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(WildcardMatch("*.txt", "a.txt.bak"));
    EXPECT_FALSE(WildcardMatch("a?c", "ac"));
    EXPECT_TRUE(WildcardMatch("[1].txt", "[1].txt"));
    EXPECT_FALSE(WildcardMatch("[1].txt", "1.txt"));
}

TEST(FindMatchingFile, PlainPathsMatchRegularFilesOnly) {
    TempDir dir;
    dir.Write("a.txt", "x");
    ::mkdir((dir / "folder").c_str(), 0700);
    EXPECT_EQ(FindMatchingFile(dir / "a.txt"), "a.txt");
    EXPECT_EQ(FindMatchingFile(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(FindMatchingFile(dir / "folder"), std::nullopt);
    EXPECT_EQ(FindMatchingFile(dir.Path() + "/"), std::nullopt);
    EXPECT_EQ(FindMatchingFile(""), std::nullopt);
}

TEST(FindMatchingFile, HiddenFilesDoNotMatch) {
    TempDir dir;
    dir.Write(".hidden.txt", "x");
    EXPECT_EQ(FindMatchingFile(dir / ".hidden.txt"), std::nullopt);
    EXPECT_EQ(FindMatchingFile(dir / "*.txt"), std::nullopt);
}

TEST(FindMatchingFile, WildcardsInTheLastComponent) {
    TempDir dir;
    ::mkdir((dir / "sub.txt").c_str(), 0700);
    EXPECT_EQ(FindMatchingFile(dir / "*.txt"), std::nullopt);
    dir.Write("数据.txt", "x");
    EXPECT_EQ(FindMatchingFile(dir / "*.txt"), "数据.txt");
    EXPECT_EQ(FindMatchingFile(dir / "??.txt"), "数据.txt");
}

TEST(FindMatchingFile, SymbolicLinksAreFollowed) {
    TempDir dir;
    dir.Write("target.txt", "x");
    ASSERT_EQ(::symlink((dir / "target.txt").c_str(), (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling.txt").c_str()), 0);
    EXPECT_EQ(FindMatchingFile(dir / "link.txt"), "link.txt");
    EXPECT_EQ(FindMatchingFile(dir / "dangling.txt"), std::nullopt);
}

TEST(FindMatchingFile, PathsTheSystemRefusesAreNoMatch) {
    EXPECT_EQ(FindMatchingFile(std::string(5000, 'a')), std::nullopt);
    EXPECT_EQ(FindMatchingFile("/" + std::string(300, 'b') + "/*.txt"), std::nullopt);
    EXPECT_EQ(FindMatchingFile(std::string("a\0b", 3)), std::nullopt);
    EXPECT_EQ(FindMatchingFile("/proc/1/nonexistent/*"), std::nullopt);
}

TEST(FindMatchingFile, RelativePathsUseTheWorkingFolder) {
    TempDir dir;
    dir.Write("rel.csv", "x");
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    EXPECT_EQ(FindMatchingFile("rel.csv"), "rel.csv");
    EXPECT_EQ(FindMatchingFile("*.csv"), "rel.csv");
    ASSERT_EQ(::chdir(previous), 0);
}

}  // namespace
}  // namespace morvane::posix
