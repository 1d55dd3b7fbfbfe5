// The Open and Save dialogs Qt draws, driven as a user would, and the name
// filters they are given.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest/QTest>

#include "platform/qt/file_dialog.h"
#include "tests/qt/gui_helpers.h"
#include "tests/support/files.h"
#include "ui/file_choosing.h"

namespace morvane {
namespace {

using testing::ModalAnswerer;

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
