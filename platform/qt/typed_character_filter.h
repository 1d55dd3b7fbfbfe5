// Passes every character typed into a widget through a handler that sees the
// character's code and may replace it; 0 discards it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QKeyEvent;
class QInputMethodEvent;

namespace morvane::qt {

// The character code a key press types, as a Windows edit box's WM_CHAR
// carries it: the character itself, 8 for Backspace, and for Ctrl plus a letter the
// control code of that letter (Ctrl+C = 3, Ctrl+V = 22, Ctrl+X = 24) whatever
// text the key event carries. Answers nothing for keys that type no character
// (arrows, Delete, Home, Shift+Insert, function keys) and for Enter and Tab,
// which the window handles itself.
std::optional<int> TypedCharacterCode(const QKeyEvent& event);

class TypedCharacterFilter : public QObject {
    Q_OBJECT

  public:
    using Handler = std::function<void(int& characterCode)>;

    // Filters the key presses and input-method text of `target`, which must
    // be a QLineEdit.
    TypedCharacterFilter(QObject& target, Handler handler);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool FilterKeyPress(QObject& target, QKeyEvent& event);
    bool FilterInputMethod(QObject& target, QInputMethodEvent& event);
    // What the handler leaves of `text`, character by character.
    QString Filtered(const QString& text) const;

    Handler handler_;
    bool resending_ = false;
};

}  // namespace morvane::qt
