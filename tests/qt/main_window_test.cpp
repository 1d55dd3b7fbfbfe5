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
    QTest::keyClick(&test.Widget(Control::Text1), Qt::Key_Return);
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].text, "请输入源文件路径！");
    EXPECT_EQ(answerer.notices[0].title, "提示！");
    EXPECT_EQ(answerer.notices[0].buttons, QStringList{"OK"});
    EXPECT_TRUE(answerer.notices[0].applicationModal);
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::Text1));
    EXPECT_FALSE(test.Window().Timer1().isActive());
}

TEST(MainWindow, EnterInAnyBoxPressesStart) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    static_cast<QLineEdit&>(test.Widget(Control::Text1)).setText("/nonexistent/source.txt");
    for (Control box : {Control::Text2, Control::Text3, Control::Text4}) {
        test.Widget(box).setFocus();
        QTest::keyClick(&test.Widget(box), Qt::Key_Enter, Qt::KeypadModifier);
    }
    ASSERT_EQ(answerer.notices.size(), 3u);
    for (const auto& notice : answerer.notices) EXPECT_EQ(notice.text, "请输入输出路径！");
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::Text2));
}

TEST(MainWindow, EnterOnAFocusedButtonPressesThatButton) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    test.Widget(Control::Command4).setFocus();
    QTest::keyClick(&test.Widget(Control::Command4), Qt::Key_Return);
    EXPECT_EQ(test.endRequests, 1);
    EXPECT_TRUE(answerer.notices.empty());
}

TEST(MainWindow, ExitEndsAtOnceWithoutANotice) {
    ProgramUnderTest test;
    ModalAnswerer answerer;
    QTest::mouseClick(&test.Widget(Control::Command4), Qt::LeftButton);
    EXPECT_EQ(test.endRequests, 1);
    EXPECT_TRUE(answerer.notices.empty());
}

TEST(MainWindow, FocusOnADisabledControlIsHarmless) {
    ProgramUnderTest test;
    test.Widget(Control::Text2).setFocus();
    test.program.Controls().SetEnabled(Control::Text1, false);
    test.program.Controls().SetFocus(Control::Text1);
    test.program.Controls().SetFocus(Control::Text5);  // hidden
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::Text2));
}

TEST(MainWindow, BusyPointerCoversTheWindowAndComesBack) {
    ProgramUnderTest test;
    auto& controls = test.program.Controls();
    const Qt::CursorShape boxPointer = test.Widget(Control::Text1).cursor().shape();
    controls.SetMousePointer(MousePointer::Hourglass);
    EXPECT_EQ(test.Window().cursor().shape(), Qt::WaitCursor);
    for (Control name : {Control::Text1, Control::Text4, Control::Command3, Control::Label7})
        EXPECT_EQ(test.Widget(name).cursor().shape(), Qt::WaitCursor);
    controls.SetMousePointer(MousePointer::Default);
    EXPECT_EQ(test.Window().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(test.Widget(Control::Text1).cursor().shape(), boxPointer);
    EXPECT_EQ(boxPointer, Qt::IBeamCursor);
}

}  // namespace
}  // namespace morvane
