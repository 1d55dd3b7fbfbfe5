// Both windows against their layout tables: geometry, texts, fonts, colour,
// tooltips, hidden boxes, tab order and maximum lengths.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

#include "platform/qt/example_window.h"
#include "platform/qt/form_builder.h"
#include "tests/qt/gui_helpers.h"
#include "tests/support/control_name.h"
#include "tests/support/layout_walk.h"
#include "ui/layout.h"

namespace morvane {
namespace {

using testing::PixelRect;
using testing::ProgramUnderTest;

// Every control of `form` has a widget of the right kind, place, size, text,
// font, colour, tooltip, visibility and maximum length.
void ExpectMatchesLayout(const FormSpec& form, const std::function<QWidget*(Control)>& widgetOf) {
    testing::ForEachPlacedControl(form, 96, [&](const ControlSpec& entry, const PixelRect& place) {
        QWidget* widget = widgetOf(entry.name);
        ASSERT_NE(widget, nullptr) << testing::ControlName(entry.name);
        SCOPED_TRACE(testing::ControlName(entry.name));
        EXPECT_EQ(widget->geometry(), QRect(place.left, place.top, place.width, place.height));
        EXPECT_EQ(widget->isHidden(), entry.hidden);
        EXPECT_EQ(widget->toolTip().toStdString(), entry.tooltip);

        std::string expectedText = entry.text;
        if (entry.kind == ControlKind::MultiLineTextBox)
            expectedText = QString::fromUtf8(entry.text).remove('\r').toStdString();
        if (entry.kind != ControlKind::Frame) {
            EXPECT_EQ(testing::ShownText(widget), expectedText);
        }

        switch (entry.kind) {
            case ControlKind::TextBox: {
                auto* box = qobject_cast<QLineEdit*>(widget);
                ASSERT_NE(box, nullptr);
                // Room for each character to be a surrogate pair.
                EXPECT_EQ(box->maxLength(), entry.maxLength > 0 ? 2 * entry.maxLength : 32767);
                break;
            }
            case ControlKind::MultiLineTextBox:
                EXPECT_NE(qobject_cast<QPlainTextEdit*>(widget), nullptr);
                break;
            case ControlKind::Button:
                ASSERT_NE(qobject_cast<QPushButton*>(widget), nullptr);
                EXPECT_EQ(qobject_cast<QPushButton*>(widget)->isDefault(), entry.isDefault);
                break;
            case ControlKind::Label: {
                ASSERT_NE(qobject_cast<QLabel*>(widget), nullptr);
                const QColor expected = entry.color == kRed ? QColor(255, 0, 0) : QColor();
                if (entry.color == kRed)
                    EXPECT_EQ(widget->palette().color(QPalette::WindowText), expected);
                else
                    EXPECT_NE(widget->palette().color(QPalette::WindowText), QColor(255, 0, 0));
                break;
            }
            default:
                break;
        }

        const QFont font = widget->font();
        const QFontInfo actual(font);
        switch (entry.font.face) {
            case FontFace::SimSun:
                EXPECT_EQ(font.family(), QString::fromUtf8("宋体"));
                EXPECT_DOUBLE_EQ(font.pointSizeF(), entry.font.points);
                EXPECT_EQ(actual.family(), "AR PL UMing CN");
                break;
            case FontFace::KaiTi:
                EXPECT_EQ(font.family(), QString::fromUtf8("楷体_GB2312"));
                EXPECT_DOUBLE_EQ(font.pointSizeF(), entry.font.points);
                EXPECT_EQ(actual.family(), "AR PL UKai CN");
                break;
            case FontFace::Default:
                EXPECT_EQ(font, qt::FontFor(kDefaultFont));
                EXPECT_EQ(actual.family(), "AR PL UMing CN");
                break;
        }
        EXPECT_EQ(font.weight(), QFont::Normal);
    });
}

// Tab from the first control of `order` visits the rest in order and wraps.
std::vector<Control> TabWalk(QWidget& window, const std::function<QWidget*(Control)>& widgetOf,
                             const std::vector<Control>& order) {
    widgetOf(order.front())->setFocus();
    std::vector<Control> visited;
    for (std::size_t step = 0; step <= order.size(); ++step) {
        QWidget* focused = QApplication::focusWidget();
        for (Control name : order) {
            if (widgetOf(name) == focused) visited.push_back(name);
        }
        QTest::keyClick(focused != nullptr ? focused : &window, Qt::Key_Tab);
    }
    return visited;
}

TEST(MainWindow, MatchesItsLayoutTable) {
    ProgramUnderTest test;
    qt::MainWindow& window = test.Window();
    EXPECT_EQ(window.windowTitle(), "Morvane");
    EXPECT_EQ(window.size(), QSize(474, 156));
    EXPECT_EQ(window.minimumSize(), QSize(474, 156));
    EXPECT_EQ(window.maximumSize(), QSize(474, 156));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    ExpectMatchesLayout(MainWindowLayout(),
                        [&](Control name) { return window.ControlHandle(name); });
    EXPECT_FALSE(window.CompletionTimerRunning());
    const auto* completionTimer = window.findChild<QTimer*>();
    ASSERT_NE(completionTimer, nullptr);
    EXPECT_EQ(completionTimer->interval(), 2000);

    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    testing::SaveScreenshot(window, "linux-main-window.png");
}

TEST(MainWindow, TabVisitsTheControlsInTabIndexOrder) {
    ProgramUnderTest test;
    const auto order = TabOrder(MainWindowLayout());  // its list: layout_test.cpp
    auto visited = TabWalk(
        test.Window(), [&](Control c) { return test.Window().ControlHandle(c); }, order);
    auto expected = order;
    expected.push_back(order.front());
    EXPECT_EQ(visited, expected);
}

TEST(MainWindow, MaximumLengthsHoldForTypingAndPasting) {
    ProgramUnderTest test;
    auto& delimiter = static_cast<QLineEdit&>(test.Widget(Control::DelimiterBox));
    auto& field = static_cast<QLineEdit&>(test.Widget(Control::FieldNumberBox));

    QTest::keyClicks(&delimiter, ",;|");
    EXPECT_EQ(delimiter.text(), ",");
    QTest::keyClicks(&field, "123");
    EXPECT_EQ(field.text(), "12");

    delimiter.clear();
    QApplication::clipboard()->setText("\t;x");
    QTest::keyClick(&delimiter, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(delimiter.text(), "\t");
    delimiter.clear();
    QTest::keyClick(&delimiter, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(delimiter.text(), "\t");
    // One character is one whether it takes one UTF-16 unit or two.
    for (const auto& [pasted, kept] : {std::pair{u"𠀀x", u"𠀀"}, std::pair{u"x𠀀", u"x"}}) {
        delimiter.clear();
        QApplication::clipboard()->setText(QString::fromUtf16(pasted));
        delimiter.paste();
        EXPECT_EQ(delimiter.text(), QString::fromUtf16(kept));
    }

    field.clear();
    QApplication::clipboard()->setText("98765");
    field.paste();  // what the context menu's Paste does
    EXPECT_EQ(field.text(), "98");
    // A paste into a full box adds nothing.
    field.paste();
    EXPECT_EQ(field.text(), "98");
}

TEST(ExampleWindow, MatchesItsLayoutTable) {
    ProgramUnderTest test;
    qt::ExampleWindow example(test.Window());
    example.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&example));
    EXPECT_EQ(example.size(), QSize(419, 360));
    EXPECT_TRUE(example.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(example.windowFlags() & Qt::Dialog);
    ExpectMatchesLayout(ExampleWindowLayout(),
                        [&](Control name) { return example.ControlHandle(name); });

    const QRect owner = test.Window().frameGeometry();
    EXPECT_LE((example.frameGeometry().center() - owner.center()).manhattanLength(), 2);

    // The frame goes round the whole client area, under every other control.
    auto* frame = qobject_cast<QFrame*>(example.ControlHandle(Control::ExampleFrame));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), example.rect());
    EXPECT_EQ(frame->frameShape(), QFrame::Box);
    for (Control other :
         {Control::ExampleSourceBox, Control::FormatsNoteLabel, Control::ExampleCloseButton}) {
        EXPECT_LT(example.children().indexOf(frame),
                  example.children().indexOf(example.ControlHandle(other)));
    }

    auto visited = TabWalk(
        example, [&](Control c) { return example.ControlHandle(c); },
        TabOrder(ExampleWindowLayout()));
    auto expected = TabOrder(ExampleWindowLayout());
    expected.push_back(expected.front());
    EXPECT_EQ(visited, expected);

    example.ControlHandle(Control::ExampleSourceBox)->setFocus();
    testing::SaveScreenshot(example, "linux-example-window.png");
}

}  // namespace
}  // namespace morvane
