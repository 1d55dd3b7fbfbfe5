#include "tests/qt/gui_helpers.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QtTest/QTest>
#include <filesystem>

#include "tests/support/waiting.h"
#include "ui/layout.h"

namespace morvane::testing {

ModalAnswerer::ModalAnswerer() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(10);
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == busyWith_ || !modal->isVisible()) return;
    busyWith_ = modal;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        NoticeSeen seen{box->windowTitle(),
                        box->text(),
                        {},
                        box->isModal() && box->windowModality() == Qt::ApplicationModal};
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
        notices.push_back(seen);
        if (whileNoticeOpen) whileNoticeOpen(seen);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    } else if (onOtherModal) {
        onOtherModal(*modal);
    }
    busyWith_ = nullptr;
}

void Type(QWidget& widget, const QString& text) {
    for (QChar character : text) {
        if (character.unicode() < 0x80) {
            QTest::keyClicks(&widget, QString(character));
            continue;
        }
        QInputMethodEvent commit;
        commit.setCommitString(QString(character));
        QApplication::sendEvent(&widget, &commit);
    }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return WaitUntil(done, std::chrono::milliseconds(timeoutMs), [] { QTest::qWait(10); });
}

std::string ShownText(const QWidget* widget) {
    if (auto* box = qobject_cast<const QLineEdit*>(widget)) return box->text().toStdString();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(widget))
        return box->toPlainText().toStdString();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().toStdString();
    return {};
}

std::optional<Control> MainWindowProbe::Focus() const {
    for (const ControlSpec& entry : MainWindowLayout().controls) {
        QWidget* widget = window_.ControlHandle(entry.name);
        if (widget != nullptr && widget == window_.focusWidget()) return entry.name;
    }
    return std::nullopt;
}

PointerSeen MainWindowProbe::PointerOver(Control control) const {
    switch (window_.ControlHandle(control)->cursor().shape()) {
        case Qt::ArrowCursor:
            return PointerSeen::Arrow;
        case Qt::WaitCursor:
            return PointerSeen::Hourglass;
        case Qt::IBeamCursor:
            return PointerSeen::TextBeam;
        default:
            return PointerSeen::Other;
    }
}

QString BinPath(const char* name) { return QString(MORVANE_BIN_DIR) + "/" + name; }

std::string ScreenshotPath(const std::string& name) {
    std::filesystem::create_directories(MORVANE_SCREENSHOT_DIR);
    return std::string(MORVANE_SCREENSHOT_DIR) + "/" + name;
}

void SaveScreenshot(QWidget& window, const std::string& name) {
    window.grab().save(QString::fromStdString(ScreenshotPath(name)));
}

qt::FileDialogFunction DialogScript::Function() {
    return [this](QWidget&, FileDialogKind kind, const std::string& filter, int filterIndex) {
        calls.push_back({kind, filter, filterIndex});
        if (answers.empty()) return std::optional<FileChoice>{};
        auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
}

ProgramUnderTest::ProgramUnderTest() : program(Seams()) {
    program.Start();
    QWidget& window = program.Window();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        ADD_FAILURE() << "the main window never became active";
}

qt::ProgramSeams ProgramUnderTest::Seams() {
    qt::ProgramSeams seams;
    seams.fileDialog = dialogs.Function();
    seams.endProgram = [this] { ++endRequests; };
    return seams;
}

QString ProgramUnderTest::Text(Control name) {
    return qobject_cast<QLineEdit*>(&Widget(name))->text();
}

}  // namespace morvane::testing
