#include "platform/qt/form_builder.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/qt/fonts.h"

namespace morvane::qt {

namespace {

QColor ToColor(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void SetTextColor(QWidget& widget, QPalette::ColorRole role, std::uint32_t rgb) {
    QPalette palette = widget.palette();
    palette.setColor(role, ToColor(rgb));
    widget.setPalette(palette);
}

QWidget* MakeTextBox(const ControlSpec& spec, QWidget& window) {
    auto* box = new QLineEdit(QString::fromUtf8(spec.text), &window);
    if (spec.maxLength > 0) box->setMaxLength(spec.maxLength);
    if (spec.color != kBlack) SetTextColor(*box, QPalette::Text, spec.color);
    return box;
}

QWidget* MakeMultiLineTextBox(const ControlSpec& spec, QWidget& window) {
    auto* box = new QPlainTextEdit(&window);
    // The layouts end lines with CR LF; the box keeps lines, not line ends.
    box->setPlainText(QString::fromUtf8(spec.text).remove(QLatin1Char('\r')));
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The layout's boxes have no scroll bars; the text scrolls with the caret.
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (spec.color != kBlack) SetTextColor(*box, QPalette::Text, spec.color);
    return box;
}

QWidget* MakeButton(const ControlSpec& spec, QWidget& window) {
    auto* button = new QPushButton(QString::fromUtf8(spec.text), &window);
    // Enter on a focused button presses it, as on Windows.
    button->setAutoDefault(true);
    button->setDefault(spec.isDefault);
    return button;
}

QWidget* MakeLabel(const ControlSpec& spec, QWidget& window) {
    auto* label = new QLabel(QString::fromUtf8(spec.text), &window);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (spec.color != kBlack) SetTextColor(*label, QPalette::WindowText, spec.color);
    return label;
}

QWidget* MakeShape(QWidget& window) {
    auto* frame = new QFrame(&window);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    // The frame lies under every other control and takes no input.
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

QWidget* MakeWidget(const ControlSpec& spec, QWidget& window) {
    switch (spec.kind) {
        case ControlKind::TextBox:
            return MakeTextBox(spec, window);
        case ControlKind::MultiLineTextBox:
            return MakeMultiLineTextBox(spec, window);
        case ControlKind::Button:
            return MakeButton(spec, window);
        case ControlKind::Label:
            return MakeLabel(spec, window);
        case ControlKind::Shape:
            return MakeShape(window);
        case ControlKind::Timer:
        case ControlKind::FileDialog:
            break;
    }
    return nullptr;
}

}  // namespace

int ToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

QRect PixelRect(const ControlSpec& spec) {
    return QRect(ToPixels(spec.left), ToPixels(spec.top), ToPixels(spec.width),
                 ToPixels(spec.height));
}

ControlWidgets BuildControls(const FormSpec& form, QWidget& window) {
    window.setFixedSize(ToPixels(form.clientWidth), ToPixels(form.clientHeight));
    window.setFont(DefaultWindowFont());

    ControlWidgets widgets;
    for (const ControlSpec& spec : form.controls) {
        QWidget* widget = MakeWidget(spec, window);
        if (widget == nullptr) continue;
        widget->setGeometry(PixelRect(spec));
        if (spec.font.face != FontFace::Default) widget->setFont(FontFor(spec.font));
        if (spec.tooltip[0] != '\0') widget->setToolTip(QString::fromUtf8(spec.tooltip));
        if (spec.hidden) widget->hide();
        widgets[spec.name] = widget;
    }
    // The shape is a backdrop: everything else is drawn over it.
    if (auto shape = widgets.find(Control::Shape1); shape != widgets.end()) shape->second->lower();

    QWidget* previous = nullptr;
    for (Control name : TabOrder(form)) {
        QWidget* widget = widgets.at(name);
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return widgets;
}

}  // namespace morvane::qt
