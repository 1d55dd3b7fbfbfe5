#include "platform/qt/form_builder.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QValidator>
#include <algorithm>

#include "ui/window_text.h"

namespace morvane::qt {

namespace {

void SetTextColor(QWidget& widget, QPalette::ColorRole role, Colour colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, QColor(colour.red, colour.green, colour.blue));
    widget.setPalette(palette);
}

QRect ToRect(const ScreenArea& area) { return QRect(area.left, area.top, area.width, area.height); }

// Holds a box to its layout's number of characters, a surrogate pair being
// one. The box's own limit counts UTF-16 units, so it is set to twice as
// many, and whatever an edit (typing, a paste, setText) brings past the
// characters is cut off here: a pasted "x𠀀" leaves "x", never "x" and half
// of "𠀀".
class CharacterLimit : public QValidator {
  public:
    CharacterLimit(int characters, QObject& box) : QValidator(&box), characters_(characters) {}

    State validate(QString& text, int& position) const override {
        text.truncate(static_cast<qsizetype>(
            UnitsOfFirstCharacters(text.toStdU16String(), static_cast<std::size_t>(characters_))));
        position = std::min(position, static_cast<int>(text.size()));
        return Acceptable;
    }

  private:
    int characters_;
};

QWidget* MakeTextBox(const ControlSpec& entry, QWidget& window) {
    auto* box = new QLineEdit(&window);
    if (entry.maxLength > 0) {
        box->setMaxLength(2 * entry.maxLength);
        box->setValidator(new CharacterLimit(entry.maxLength, *box));
    }
    box->setText(QString::fromUtf8(entry.text));
    if (entry.color != kBlack) SetTextColor(*box, QPalette::Text, entry.color);
    return box;
}

QWidget* MakeMultiLineTextBox(const ControlSpec& entry, QWidget& window) {
    auto* box = new QPlainTextEdit(&window);
    // The layouts end lines with CR LF; the box keeps lines, not line ends.
    box->setPlainText(QString::fromUtf8(entry.text).remove(QLatin1Char('\r')));
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The layout's boxes have no scroll bars; the text scrolls with the caret.
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (entry.color != kBlack) SetTextColor(*box, QPalette::Text, entry.color);
    return box;
}

QWidget* MakeButton(const ControlSpec& entry, QWidget& window) {
    auto* button = new QPushButton(QString::fromUtf8(entry.text), &window);
    // Enter on a focused button presses it, as on Windows.
    button->setAutoDefault(true);
    button->setDefault(entry.isDefault);
    return button;
}

QWidget* MakeLabel(const ControlSpec& entry, QWidget& window) {
    auto* label = new QLabel(QString::fromUtf8(entry.text), &window);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (entry.color != kBlack) SetTextColor(*label, QPalette::WindowText, entry.color);
    return label;
}

QWidget* MakeFrame(QWidget& window) {
    auto* frame = new QFrame(&window);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    // The frame lies under every other control and takes no input.
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

QWidget* MakeWidget(const ControlSpec& entry, QWidget& window) {
    switch (entry.kind) {
        case ControlKind::TextBox:
            return MakeTextBox(entry, window);
        case ControlKind::MultiLineTextBox:
            return MakeMultiLineTextBox(entry, window);
        case ControlKind::Button:
            return MakeButton(entry, window);
        case ControlKind::Label:
            return MakeLabel(entry, window);
        case ControlKind::Frame:
            return MakeFrame(window);
    }
    return nullptr;
}

// Watches a window and its multi-line boxes: Enter with no modifier (the
// keypad's Enter included) presses the button.
class EnterPressesButton : public QObject {
  public:
    explicit EnterPressesButton(QAbstractButton& button) : QObject(&button), button_(button) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        if (button_.isEnabled() && button_.isVisible()) button_.click();
        return true;
    }

  private:
    QAbstractButton& button_;
};

}  // namespace

void InstallFontSubstitutions() {
    QFont::insertSubstitution(QString::fromUtf8(kSimSunFace), QStringLiteral("AR PL UMing CN"));
    QFont::insertSubstitution(QString::fromUtf8(kKaiTiFace), QStringLiteral("AR PL UKai CN"));
}

QFont FontFor(const FontSpec& font) {
    const FontSpec resolved = ResolvedFont(font);
    QFont result(QString::fromUtf8(FaceName(resolved.face)));
    result.setPointSizeF(resolved.points);
    result.setWeight(QFont::Normal);
    return result;
}

void BuiltForm::Build(QWidget& window, const FormSpec& form) {
    window.setFixedSize(TwipsToPixels(form.clientWidth, kStandardDpi),
                        TwipsToPixels(form.clientHeight, kStandardDpi));
    window.setFont(FontFor(kDefaultFont));

    for (const ControlSpec& entry : form.controls) {
        QWidget* widget = MakeWidget(entry, window);
        if (widget == nullptr) continue;
        widget->setGeometry(ToRect(PixelArea(entry, kStandardDpi)));
        if (entry.font.face != FontFace::Default) widget->setFont(FontFor(entry.font));
        if (entry.tooltip[0] != '\0') widget->setToolTip(QString::fromUtf8(entry.tooltip));
        if (entry.hidden) widget->hide();
        controls_.Add(entry.name, widget);
    }
    // The frame is a backdrop: everything else is drawn over it.
    if (QWidget* frame = controls_.Find(Control::ExampleFrame)) frame->lower();

    QWidget* previous = nullptr;
    for (Control name : TabOrder(form)) {
        QWidget* widget = controls_.Find(name);
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void EnterPressesDefaultButton(const FormSpec& form, QWidget& window, const BuiltForm& controls) {
    const auto name = DefaultButton(form);
    if (!name) return;
    auto* button = qobject_cast<QAbstractButton*>(controls.ControlHandle(*name));
    if (button == nullptr) return;
    auto* filter = new EnterPressesButton(*button);
    window.installEventFilter(filter);
    for (const auto& [control, widget] : controls) {
        if (qobject_cast<QPlainTextEdit*>(widget) != nullptr) widget->installEventFilter(filter);
    }
}

}  // namespace morvane::qt
