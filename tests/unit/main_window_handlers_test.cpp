#include <gtest/gtest.h>

#include "tests/support/fake_runtime.h"
#include "ui/main_window_handlers.h"

namespace morvane {
namespace {

using testing::FakeRuntime;

class MainWindowHandlersTest : public ::testing::Test {
  protected:
    FakeRuntime runtime;
    MainWindowHandlers handlers{runtime, runtime};
};

TEST_F(MainWindowHandlersTest, SecondInstanceShowsOnlyItsNoticeAndEnds) {
    runtime.anotherCopyRunning = true;
    EXPECT_FALSE(handlers.GuardSingleInstance());
    ASSERT_EQ(runtime.notices.size(), 1u);
    EXPECT_EQ(runtime.notices[0].prompt, "一次只能运行一个程序,否则可能造成程序出错!");
    EXPECT_EQ(runtime.notices[0].title, "提示");
    EXPECT_TRUE(runtime.ended);
}

TEST_F(MainWindowHandlersTest, FirstInstanceLoadsSilently) {
    EXPECT_TRUE(handlers.GuardSingleInstance());
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_FALSE(runtime.ended);
}

TEST_F(MainWindowHandlersTest, ExitEndsAtOnceWithoutANotice) {
    handlers.OnExit();
    EXPECT_TRUE(runtime.ended);
    EXPECT_TRUE(runtime.notices.empty());
    EXPECT_TRUE(runtime.writtenFiles.empty());
}

TEST_F(MainWindowHandlersTest, TheFieldBoxKeyFilterReplacesRefusedCharactersByZero) {
    for (int code : {int{'a'}, int{'-'}, int{'.'}, 22, 3, 24, 13, 0x4E2D}) {
        int key = code;
        handlers.OnFieldNumberKey(key);
        EXPECT_EQ(key, 0) << code;
    }
    for (int code : {int{'0'}, int{'5'}, int{'9'}, 8}) {
        int key = code;
        handlers.OnFieldNumberKey(key);
        EXPECT_EQ(key, code);
    }
}

TEST_F(MainWindowHandlersTest, ExampleButtonShowsTheExampleWindow) {
    handlers.OnShowExample();
    handlers.OnShowExample();
    EXPECT_EQ(runtime.exampleShows, 2);
}

}  // namespace
}  // namespace morvane
