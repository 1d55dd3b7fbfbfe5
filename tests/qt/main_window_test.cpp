// Enter, Exit and notices of the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "tests/qt/gui_helpers.h"

namespace morvane {
namespace {

using testing::ModalAnswerer;
using testing::ProgramUnderTest;

TEST(MainWindow, EnterInTheSourceBoxStartsAndOnlyTheFirstCheckSpeaks) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    QTest::keyClick(&test.Widget(Control::SourcePathBox), Qt::Key_Return);
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].text, "请输入源文件路径！");
    EXPECT_EQ(answerer.notices[0].title, "提示！");
    EXPECT_EQ(answerer.notices[0].buttons, QStringList{"OK"});
    EXPECT_TRUE(answerer.notices[0].applicationModal);
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::SourcePathBox));
    EXPECT_FALSE(test.Window().CompletionTimerRunning());
}

TEST(MainWindow, EnterInAnyBoxPressesStart) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    static_cast<QLineEdit&>(test.Widget(Control::SourcePathBox)).setText("/nonexistent/source.txt");
    for (Control box : {Control::OutputPathBox, Control::DelimiterBox, Control::FieldNumberBox}) {
        test.Widget(box).setFocus();
        QTest::keyClick(&test.Widget(box), Qt::Key_Enter, Qt::KeypadModifier);
    }
    ASSERT_EQ(answerer.notices.size(), 3u);
    for (const auto& notice : answerer.notices) EXPECT_EQ(notice.text, "请输入输出路径！");
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::OutputPathBox));
}

TEST(MainWindow, EnterOnAFocusedButtonPressesThatButton) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    test.Widget(Control::ExitButton).setFocus();
    QTest::keyClick(&test.Widget(Control::ExitButton), Qt::Key_Return);
    EXPECT_EQ(test.endRequests, 1);
    EXPECT_TRUE(answerer.notices.empty());
}

TEST(MainWindow, ExitEndsAtOnceWithoutANotice) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    QTest::mouseClick(&test.Widget(Control::ExitButton), Qt::LeftButton);
    EXPECT_EQ(test.endRequests, 1);
    EXPECT_TRUE(answerer.notices.empty());
}

}  // namespace
}  // namespace morvane
