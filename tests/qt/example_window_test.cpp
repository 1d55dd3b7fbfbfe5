// The example window shown from the main window: modal, made anew each time,
// closed only by its button or Enter.
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

struct Contents {
    QString source, output, text1, text2, text3, text4;
    bool operator==(const Contents&) const = default;
};

Contents Read(qt::ExampleWindow& example) {
    auto line = [&](Control c) { return static_cast<QLineEdit*>(example.Widget(c))->text(); };
    auto block = [&](Control c) {
        return static_cast<QPlainTextEdit*>(example.Widget(c))->toPlainText();
    };
    return {block(Control::ExampleSourceBox), block(Control::ExampleOutputBox),
            line(Control::SourcePathBox),     line(Control::OutputPathBox),
            line(Control::DelimiterBox),      line(Control::FieldNumberBox)};
}

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

TEST_F(ExampleFromMainWindow, ShowsTheSameContentAfterEdits) {
    Contents first, second;
    ShowExample([&](qt::ExampleWindow& example) {
        first = Read(example);
        QTest::keyClicks(example.Widget(Control::SourcePathBox), "changed");
        static_cast<QPlainTextEdit*>(example.Widget(Control::ExampleSourceBox))
            ->setPlainText("gone");
        QTest::mouseClick(example.Widget(Control::ExampleCloseButton), Qt::LeftButton);
    });
    ShowExample([&](qt::ExampleWindow& example) {
        second = Read(example);
        QTest::mouseClick(example.Widget(Control::ExampleCloseButton), Qt::LeftButton);
    });
    EXPECT_EQ(first.source, QString::fromUtf8("01,张三,男\n02,李四,男\n03,赵钱,男\n04,孙李,男\n"));
    EXPECT_EQ(first.output, QString::fromUtf8("张三\n李四\n赵钱\n孙李\n"));
    EXPECT_EQ(first.text1, "C:\\123.txt");
    EXPECT_EQ(first.text2, QString::fromUtf8("C:\\321.txt提取.txt"));
    EXPECT_EQ(first.text3, ",");
    EXPECT_EQ(first.text4, "2");
    EXPECT_EQ(second, first);
}

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
        QTest::mouseClick(example.Widget(Control::ExampleCloseButton), Qt::LeftButton);
    });
    EXPECT_TRUE(answerer.notices.empty());
}

TEST_F(ExampleFromMainWindow, EnterClosesItAndEscapeDoesNot) {
    ShowExample([&](qt::ExampleWindow& example) {
        QTest::keyClick(example.Widget(Control::SourcePathBox), Qt::Key_Escape);
        example.close();
        QTest::qWait(20);
        EXPECT_TRUE(example.isVisible());
        QTest::keyClick(example.Widget(Control::SourcePathBox), Qt::Key_Return);
    });
    ShowExample([&](qt::ExampleWindow& example) {
        // Enter in a multi-line box closes it too.
        QTest::keyClick(example.Widget(Control::ExampleSourceBox), Qt::Key_Return);
    });
    // The Enter stayed in the example window: the main window did not start.
    EXPECT_TRUE(answerer.notices.empty());
}

TEST_F(ExampleFromMainWindow, IsFramelessAndCentredOnTheMainWindow) {
    ShowExample([&](qt::ExampleWindow& example) {
        EXPECT_TRUE(example.windowFlags() & Qt::FramelessWindowHint);
        const QPoint offset =
            example.frameGeometry().center() - test.Window().frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
        QTest::mouseClick(example.Widget(Control::ExampleCloseButton), Qt::LeftButton);
    });
}

}  // namespace
}  // namespace morvane
