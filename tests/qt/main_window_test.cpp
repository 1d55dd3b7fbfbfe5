// Enter, Exit and notices of the main window, its "..." buttons through the
// dialog seam, and files dropped on it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QWindow>
#include <QtTest/QTest>

#include "tests/qt/gui_helpers.h"
#include "tests/support/files.h"
#include "ui/file_choosing.h"

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

class FileChoosing : public ::testing::Test {
  protected:
    void SetBoxes(const QString& source, const QString& output) {
        static_cast<QLineEdit&>(test.Widget(Control::SourcePathBox)).setText(source);
        static_cast<QLineEdit&>(test.Widget(Control::OutputPathBox)).setText(output);
    }
    void Click(Control button) { QTest::mouseClick(&test.Widget(button), Qt::LeftButton); }

    ProgramUnderTest test;
    ModalAnswerer answerer;
};

// What the proposals are is tested on the portable code
// (tests/unit/file_choosing_test.cpp); here, that each button reaches its own
// dialog through the Qt adapter and the answer lands in the boxes.
TEST_F(FileChoosing, EachButtonOpensItsDialogAndTheAnswerFillsTheBoxes) {
    test.dialogs.answers = {FileChoice{"/data/a.csv", 2}, FileChoice{"/data/result", 2},
                            std::nullopt};
    Click(Control::ChooseSourceButton);
    EXPECT_EQ(test.Text(Control::SourcePathBox), "/data/a.csv");
    EXPECT_EQ(test.Text(Control::OutputPathBox), "/data/a.csv提取.CSV");
    Click(Control::ChooseOutputButton);
    EXPECT_EQ(test.Text(Control::OutputPathBox), "/data/result.CSV");
    Click(Control::ChooseSourceButton);  // cancelled
    EXPECT_EQ(test.Text(Control::SourcePathBox), "/data/a.csv");
    EXPECT_EQ(test.Text(Control::OutputPathBox), "/data/result.CSV");

    ASSERT_EQ(test.dialogs.calls.size(), 3u);
    const FileDialogKind kinds[] = {FileDialogKind::Open, FileDialogKind::Save,
                                    FileDialogKind::Open};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(test.dialogs.calls[i].kind, kinds[i]) << i;
        EXPECT_EQ(test.dialogs.calls[i].filter, kFileFilter) << i;
        EXPECT_EQ(test.dialogs.calls[i].filterIndex, 1) << i;
    }
    EXPECT_TRUE(answerer.notices.empty());
}

// Drags `urls` from outside onto the window over `over` and drops them there,
// through the window system's entry point as a file manager's drag arrives.
// Answers whether the drop was reported taken, as the file manager learns.
bool DragAndDrop(ProgramUnderTest& test, const QList<QUrl>& urls, Control over) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.isEmpty() ? QString() : urls.first().toString());
    QWidget& target = test.Widget(over);
    const QPoint at = target.mapTo(&test.Window(), target.rect().center());
    QWindow* window = test.Window().windowHandle();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(window, &leave);
        // Were it dropped all the same, the window must still not take it.
        QDropEvent drop(QPointF(test.Window().rect().center()), Qt::CopyAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&test.Window(), &drop);
        QApplication::processEvents();
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    QApplication::processEvents();  // the window takes the files once the drop is over
    return drop.isAccepted();
}

TEST_F(FileChoosing, ADroppedLocalFileFillsBothBoxesWhereverItLands) {
    testing::TempDir dir;
    dir.Write("数据 1.CSV", "a,b\r\n");
    dir.Write("b.txt", "a,b\r\n");
    const QString csv = QString::fromStdString(dir / "数据 1.CSV");
    ASSERT_TRUE(DragAndDrop(test, {QUrl::fromLocalFile(csv)}, Control::SourcePathBox));
    EXPECT_EQ(test.Text(Control::SourcePathBox), csv);
    EXPECT_EQ(test.Text(Control::OutputPathBox), csv + QString::fromUtf8("提取.CSV"));
    // Several at once over a button: the first regular file, past a folder.
    const QString text = QString::fromStdString(dir / "b.txt");
    ASSERT_TRUE(DragAndDrop(
        test, {QUrl::fromLocalFile(QString::fromStdString(dir.Path())), QUrl::fromLocalFile(text)},
        Control::StartButton));
    EXPECT_EQ(test.Text(Control::SourcePathBox), text);
    EXPECT_EQ(test.Text(Control::OutputPathBox), text + QString::fromUtf8("提取.txt"));
    EXPECT_TRUE(answerer.notices.empty());
    EXPECT_TRUE(test.dialogs.calls.empty());
}

TEST_F(FileChoosing, DropsOfNoLocalFileOrOfAFolderOrDuringARunChangeNothing) {
    testing::TempDir dir;
    dir.Write("a.csv", "a,b\r\n");
    SetBoxes("/typed/source", "/typed/output");
    EXPECT_FALSE(DragAndDrop(test, {QUrl("https://example.com/a.csv")}, Control::SourcePathBox));
    EXPECT_FALSE(DragAndDrop(test, {}, Control::OutputPathBox));
    // A folder is a local file to the pointer; the drop is then refused.
    EXPECT_FALSE(DragAndDrop(test, {QUrl::fromLocalFile(QString::fromStdString(dir.Path()))},
                             Control::SourcePathBox));
    // A name that is not UTF-8 is refused, never read as its U+FFFD twin.
    dir.Write("ff\xEF\xBF\xBD.csv", "a,b\r\n");
    dir.Write("ff\xFF.csv", "a,b\r\n");
    EXPECT_FALSE(DragAndDrop(
        test, {QUrl::fromEncoded("file://" + QByteArray::fromStdString(dir / "ff%FF.csv"))},
        Control::SourcePathBox));
    // While a run is going on the window refuses even a file.
    test.Window().SetCompletionTimerRunning(true);
    EXPECT_FALSE(DragAndDrop(test, {QUrl::fromLocalFile(QString::fromStdString(dir / "a.csv"))},
                             Control::SourcePathBox));
    test.Window().SetCompletionTimerRunning(false);
    EXPECT_EQ(test.Text(Control::SourcePathBox), "/typed/source");
    EXPECT_EQ(test.Text(Control::OutputPathBox), "/typed/output");
    ASSERT_EQ(answerer.notices.size(), 2u);
    EXPECT_TRUE(answerer.notices[1].text.contains(QString::fromUtf8("无法识别的字符")));
}

}  // namespace
}  // namespace morvane
