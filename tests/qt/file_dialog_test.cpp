// The "..." buttons through the dialog seam, and the real Qt dialog.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <QtTest/QTest>

#include "platform/qt/file_dialog.h"
#include "tests/qt/gui_helpers.h"
#include "tests/support/files.h"
#include "ui/file_choosing.h"

namespace morvane {
namespace {

using testing::ModalAnswerer;
using testing::ProgramUnderTest;

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

TEST(QtFileDialog, NameFiltersMatchBothLetterCases) {
    EXPECT_EQ(qt::NameFilters(kFileFilter),
              (QStringList{QString::fromUtf8("文本文档(*.txt) (*.txt *.TXT)"),
                           QString::fromUtf8("逗号分隔值文件(*.CSV) (*.CSV *.csv)")}));
}

// Runs the real dialog; `drive` acts on it once it is open.
std::optional<FileChoice> RunDialog(FileDialogKind kind,
                                    const std::function<void(QFileDialog&)>& drive) {
    QWidget owner;
    owner.show();
    ModalAnswerer answerer;
    bool driven = false;
    answerer.onOtherModal = [&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        if (dialog == nullptr || driven) return;
        driven = true;
        drive(*dialog);
    };
    auto choice = qt::ShowQtFileDialog(owner, kind, kFileFilter, 1);
    EXPECT_TRUE(driven);
    return choice;
}

// Types a name into the dialog's name box and presses Enter there, as a user
// would; the dialog must then close.
void TypeNameAndAccept(QFileDialog& dialog, const QString& name) {
    auto* nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameBox, nullptr);
    nameBox->setText(name);
    QTest::keyClick(nameBox, Qt::Key_Return);
    if (dialog.isVisible()) {
        ADD_FAILURE() << "the dialog did not take " << name.toStdString();
        dialog.reject();
    }
}

QStringList ListedNames(QFileDialog& dialog) {
    auto* view = dialog.findChild<QAbstractItemView*>("listView");
    QStringList names;
    if (view == nullptr) return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

TEST(QtFileDialog, OpenAnswersThePathAndTheFilterLeftSelected) {
    testing::TempDir dir;
    for (const char* name : {"a.txt", "B.TXT", "c.csv", "D.CSV", "e.dat"}) dir.Write(name, "x\r\n");
    QStringList textEntry, csvEntry, shownFilters;
    const auto choice = RunDialog(FileDialogKind::Open, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
        if (combo != nullptr)
            for (int i = 0; i < combo->count(); ++i) shownFilters << combo->itemText(i);
        dialog.setDirectory(QString::fromStdString(dir.Path()));
        testing::WaitUntil([&] { return ListedNames(dialog).size() == 2; });
        textEntry = ListedNames(dialog);
        dialog.selectNameFilter(dialog.nameFilters().at(1));
        testing::WaitUntil([&] { return ListedNames(dialog) != textEntry; });
        csvEntry = ListedNames(dialog);
        TypeNameAndAccept(dialog, "D.CSV");
    });
    EXPECT_EQ(shownFilters, (QStringList{QString::fromUtf8("文本文档(*.txt)"),
                                         QString::fromUtf8("逗号分隔值文件(*.CSV)")}));
    EXPECT_EQ(textEntry, (QStringList{"B.TXT", "a.txt"}));
    EXPECT_EQ(csvEntry, (QStringList{"D.CSV", "c.csv"}));
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->fileName, dir / "D.CSV");
    EXPECT_EQ(choice->filterIndex, 2);
}

TEST(QtFileDialog, SaveTakesANewNameAsTyped) {
    testing::TempDir dir;
    const auto choice = RunDialog(FileDialogKind::Save, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        dialog.setDirectory(QString::fromStdString(dir.Path()));
        TypeNameAndAccept(dialog, "result");
    });
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->fileName, dir / "result");
    EXPECT_EQ(choice->filterIndex, 1);
}

TEST(QtFileDialog, CancelAnswersNothing) {
    const auto choice =
        RunDialog(FileDialogKind::Open, [](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(choice.has_value());
}

}  // namespace
}  // namespace morvane
