// The example window shown from the main window: modal, closed only by its
// button or Enter. What it shows, afresh each time, is a controls-contract
// case; its layout is in form_builder_test.cpp.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/qt/example_window.h"
#include "tests/qt/gui_helpers.h"

namespace morvane {
namespace {

using testing::ModalAnswerer;
using testing::ProgramUnderTest;

class ExampleFromMainWindow : public ::testing::Test {
  protected:
    // Presses "例" and runs `whileOpen` on the example window once it shows.
    void ShowExample(const std::function<void(qt::ExampleWindow&)>& whileOpen) {
        bool ran = false;
        answerer.onOtherModal = [&](QWidget& modal) {
            auto* example = qobject_cast<qt::ExampleWindow*>(&modal);
            if (example == nullptr || ran) return;
            ran = true;
            EXPECT_EQ(test.program.Controls().OpenExampleWindow(), example);
            whileOpen(*example);
        };
        QTest::mouseClick(&test.Widget(Control::ExampleButton), Qt::LeftButton);
        EXPECT_TRUE(ran);
        EXPECT_EQ(test.program.Controls().OpenExampleWindow(), nullptr);
    }

    ProgramUnderTest test;
    ModalAnswerer answerer;
};

TEST_F(ExampleFromMainWindow, BlocksInputToTheMainWindow) {
    ShowExample([&](qt::ExampleWindow& example) {
        EXPECT_EQ(QApplication::activeModalWidget(), &example);
        EXPECT_TRUE(example.isModal());
        // A click on Exit and typing in the source box reach nothing.
        QTest::mouseClick(test.Window().windowHandle(), Qt::LeftButton, {},
                          test.Widget(Control::ExitButton).geometry().center());
        QTest::keyClick(test.Window().windowHandle(), Qt::Key_A);
        QTest::qWait(50);
        EXPECT_EQ(test.endRequests, 0);
        EXPECT_EQ(test.Text(Control::SourcePathBox), "");
        QTest::mouseClick(example.ControlHandle(Control::ExampleCloseButton), Qt::LeftButton);
    });
    EXPECT_TRUE(answerer.notices.empty());
}

TEST_F(ExampleFromMainWindow, EnterClosesItAndEscapeDoesNot) {
    ShowExample([&](qt::ExampleWindow& example) {
        QTest::keyClick(example.ControlHandle(Control::SourcePathBox), Qt::Key_Escape);
        example.close();
        QTest::qWait(20);
        EXPECT_TRUE(example.isVisible());
        QTest::keyClick(example.ControlHandle(Control::SourcePathBox), Qt::Key_Return);
    });
    ShowExample([&](qt::ExampleWindow& example) {
        // Enter in a multi-line box closes it too.
        QTest::keyClick(example.ControlHandle(Control::ExampleSourceBox), Qt::Key_Return);
    });
    // The Enter stayed in the example window: the main window did not start.
    EXPECT_TRUE(answerer.notices.empty());
}

}  // namespace
}  // namespace morvane
