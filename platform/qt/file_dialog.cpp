#include "platform/qt/file_dialog.h"

#include <QFileDialog>
#include <QPointer>

#include "ui/file_choosing.h"

namespace morvane::qt {

QStringList NameFilters(const std::string& filter) {
    QStringList filters;
    for (const FilterEntry& entry : ParseFilter(filter)) {
        const QString pattern = QString::fromUtf8(entry.pattern);
        QStringList patterns{pattern};
        for (const QString& variant : {pattern.toLower(), pattern.toUpper()}) {
            if (!patterns.contains(variant)) patterns << variant;
        }
        // Qt matches by the patterns in the last parentheses; the dialog
        // hides those (HideNameFilterDetails) and shows the description as
        // it stands.
        filters << QString::fromUtf8(entry.description) + QStringLiteral(" (") +
                       patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

namespace {

// The 1-based entry of the name filter the dialog reports as selected. With
// the details hidden, Qt may report the filter as shown (the description)
// rather than as given.
int SelectedEntry(const std::string& filter, const QStringList& nameFilters,
                  const QString& selected) {
    const auto entries = ParseFilter(filter);
    for (qsizetype i = 0; i < nameFilters.size(); ++i) {
        if (selected == nameFilters.at(i) ||
            selected.trimmed() == QString::fromUtf8(entries.at(i).description))
            return static_cast<int>(i) + 1;
    }
    return 1;
}

}  // namespace

std::optional<FileChoice> ShowQtFileDialog(QWidget& parent, FileDialogKind kind,
                                           const std::string& filter, int filterIndex) {
    const QStringList filters = NameFilters(filter);
    QPointer<QFileDialog> dialog = new QFileDialog(&parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog->selectNameFilter(filters.at(filterIndex - 1));
    if (kind == FileDialogKind::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // Start refuses an output where anything is already, so the dialog
        // asks no overwrite question whose answer could not be kept.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }

    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (dialog.isNull()) return std::nullopt;  // the window went away meanwhile
    std::optional<FileChoice> choice;
    if (accepted && !dialog->selectedFiles().isEmpty()) {
        choice = FileChoice{dialog->selectedFiles().constFirst().toStdString(),
                            SelectedEntry(filter, filters, dialog->selectedNameFilter())};
    }
    delete dialog.data();
    return choice;
}

}  // namespace morvane::qt
