// The field-number box passes typed characters through the main window's
// field-number key handler: digits and Backspace only.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QtTest/QTest>
#include <memory>

#include "platform/qt/typed_character_filter.h"
#include "tests/qt/gui_helpers.h"

namespace morvane {
namespace {

using testing::ProgramUnderTest;

std::optional<int> CodeOf(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    return qt::TypedCharacterCode(event);
}

TEST(TypedCharacterCode, CtrlLettersAreControlCodesWhateverTheEventCarries) {
    for (const QString& text : {QString(), QString("v"), QString("V"), QString(QChar(22))})
        EXPECT_EQ(CodeOf(Qt::Key_V, Qt::ControlModifier, text), 22) << text.toStdString();
    EXPECT_EQ(CodeOf(Qt::Key_C, Qt::ControlModifier, ""), 3);
    EXPECT_EQ(CodeOf(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier, "X"), 24);
    EXPECT_EQ(CodeOf(Qt::Key_A, Qt::ControlModifier, ""), 1);
}

TEST(TypedCharacterCode, CharactersAndBackspace) {
    EXPECT_EQ(CodeOf(Qt::Key_7, Qt::NoModifier, "7"), '7');
    EXPECT_EQ(CodeOf(Qt::Key_A, Qt::NoModifier, "a"), 'a');
    EXPECT_EQ(CodeOf(Qt::Key_Minus, Qt::NoModifier, "-"), '-');
    EXPECT_EQ(CodeOf(Qt::Key_Backspace, Qt::NoModifier, ""), 8);
    EXPECT_EQ(CodeOf(Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8))), 8);
    EXPECT_EQ(CodeOf(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("中")), 0x4E2D);
    EXPECT_EQ(CodeOf(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("😀")), 0x1F600);
}

TEST(TypedCharacterCode, KeysThatTypeNothingAreNotCharacters) {
    EXPECT_EQ(CodeOf(Qt::Key_Left, Qt::NoModifier, ""), std::nullopt);
    EXPECT_EQ(CodeOf(Qt::Key_Home, Qt::NoModifier, ""), std::nullopt);
    EXPECT_EQ(CodeOf(Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F))), std::nullopt);
    EXPECT_EQ(CodeOf(Qt::Key_Insert, Qt::ShiftModifier, ""), std::nullopt);
    EXPECT_EQ(CodeOf(Qt::Key_F5, Qt::NoModifier, ""), std::nullopt);
    // Enter and Tab belong to the window (Start, focus).
    EXPECT_EQ(CodeOf(Qt::Key_Return, Qt::NoModifier, "\r"), std::nullopt);
    EXPECT_EQ(CodeOf(Qt::Key_Tab, Qt::NoModifier, "\t"), std::nullopt);
}

class DigitFilter : public ::testing::Test {
  protected:
    ProgramUnderTest test;
    QLineEdit& field = static_cast<QLineEdit&>(test.Widget(Control::FieldNumberBox));
};

TEST_F(DigitFilter, DiscardsEverythingButDigitsAndBackspace) {
    QTest::keyClicks(&field, "a-.x ,");
    EXPECT_EQ(field.text(), "");
    QTest::keyClicks(&field, "7");
    QTest::keyClicks(&field, "b");
    QTest::keyClicks(&field, "3");
    EXPECT_EQ(field.text(), "73");
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "7");
}

TEST_F(DigitFilter, ArrowsHomeAndDeleteStillWork) {
    QTest::keyClicks(&field, "12");
    QTest::keyClick(&field, Qt::Key_Left);
    EXPECT_EQ(field.cursorPosition(), 1);
    QTest::keyClick(&field, Qt::Key_Home);
    EXPECT_EQ(field.cursorPosition(), 0);
    QTest::keyClick(&field, Qt::Key_Delete);
    EXPECT_EQ(field.text(), "2");
    QTest::keyClick(&field, Qt::Key_Right);
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClicks(&field, "5");
    EXPECT_EQ(field.text(), "52");
}

TEST_F(DigitFilter, CtrlVCtrlCAndCtrlXAreDiscarded) {
    QApplication::clipboard()->setText("9");
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field.text(), "");

    QTest::keyClicks(&field, "4");
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "9");
    QTest::keyClick(&field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(field.text(), "4");
    EXPECT_EQ(QApplication::clipboard()->text(), "9");
}

TEST_F(DigitFilter, ContextMenuPasteAndShiftInsertAreNotFiltered) {
    QApplication::clipboard()->setText("a");
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith("&Paste")) paste = action;
    }
    ASSERT_NE(paste, nullptr);
    ASSERT_TRUE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(field.text(), "a");

    field.clear();
    QApplication::clipboard()->setText("-1");
    QTest::keyClick(&field, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(field.text(), "-1");
}

TEST_F(DigitFilter, InputMethodTextIsFilteredToo) {
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("１2a"));  // a full-width digit is no digit
    QApplication::sendEvent(&field, &commit);
    EXPECT_EQ(field.text(), "2");

    QInputMethodEvent refused;
    refused.setCommitString(QString::fromUtf8("二"));
    QApplication::sendEvent(&field, &refused);
    EXPECT_EQ(field.text(), "2");
}

TEST_F(DigitFilter, OtherBoxesAreNotFiltered) {
    auto& delimiter = static_cast<QLineEdit&>(test.Widget(Control::DelimiterBox));
    QTest::keyClicks(&delimiter, "a");
    EXPECT_EQ(delimiter.text(), "a");
    auto& source = static_cast<QLineEdit&>(test.Widget(Control::SourcePathBox));
    QTest::keyClicks(&source, "/tmp/a-b.txt");
    EXPECT_EQ(source.text(), "/tmp/a-b.txt");
}

}  // namespace
}  // namespace morvane
