#include "platform/qt/typed_character_filter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace morvane::qt {

namespace {

constexpr int kBackspace = 8;

bool IsLetterKey(int key) { return key >= Qt::Key_A && key <= Qt::Key_Z; }

}  // namespace

std::optional<int> TypedCharacterCode(const QKeyEvent& event) {
    const int key = event.key();
    const auto modifiers = event.modifiers();
    switch (key) {
        case Qt::Key_Backspace:
            return kBackspace;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return std::nullopt;
        default:
            break;
    }
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier) && IsLetterKey(key))
        return key - Qt::Key_A + 1;
    const QString text = event.text();
    if (text.isEmpty()) return std::nullopt;
    const char32_t code = text.toUcs4().value(0);
    // Text of other Ctrl or Alt chords (Ctrl+Insert on some systems) is no
    // typed character either.
    if (code == 0x7F) return std::nullopt;
    return static_cast<int>(code);
}

TypedCharacterFilter::TypedCharacterFilter(QObject& target, Handler handler)
    : QObject(&target), handler_(std::move(handler)) {
    target.installEventFilter(this);
}

bool TypedCharacterFilter::eventFilter(QObject* watched, QEvent* event) {
    if (resending_) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            return FilterKeyPress(*watched, static_cast<QKeyEvent&>(*event));
        case QEvent::InputMethod:
            return FilterInputMethod(*watched, static_cast<QInputMethodEvent&>(*event));
        default:
            return false;
    }
}

QString TypedCharacterFilter::Filtered(const QString& text) const {
    QString kept;
    for (char32_t character : text.toUcs4()) {
        int code = static_cast<int>(character);
        handler_(code);
        if (code == 0) continue;
        const char32_t result = static_cast<char32_t>(code);
        kept += QString::fromUcs4(&result, 1);
    }
    return kept;
}

bool TypedCharacterFilter::FilterKeyPress(QObject& target, QKeyEvent& event) {
    const auto code = TypedCharacterCode(event);
    if (!code) return false;
    int result = *code;
    handler_(result);
    if (result == 0) return true;
    if (result == *code) return false;
    // The handler typed another character instead.
    if (auto* box = qobject_cast<QLineEdit*>(&target)) {
        const char32_t character = static_cast<char32_t>(result);
        box->insert(QString::fromUcs4(&character, 1));
    }
    return true;
}

bool TypedCharacterFilter::FilterInputMethod(QObject& target, QInputMethodEvent& event) {
    const QString commit = event.commitString();
    if (commit.isEmpty()) return false;
    const QString kept = Filtered(commit);
    if (kept == commit) return false;
    QInputMethodEvent replacement(event.preeditString(), event.attributes());
    replacement.setCommitString(kept, event.replacementStart(), event.replacementLength());
    resending_ = true;
    QCoreApplication::sendEvent(&target, &replacement);
    resending_ = false;
    return true;
}

}  // namespace morvane::qt
