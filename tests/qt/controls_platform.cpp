// The Qt front end under the controls contract: the whole program started,
// its main window's adapter, and the probe over the real widgets. The one
// file of the Qt tests that reaches the adapter.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "platform/qt/example_window.h"
#include "tests/contract/controls_contract.h"
#include "tests/qt/gui_helpers.h"

namespace morvane::testing {
namespace {

class QtExampleAccess : public ExampleWindowAccess {
  public:
    explicit QtExampleAccess(qt::ExampleWindow& window) : window_(window) {}
    std::string Text(Control control) const override {
        return ShownText(window_.ControlHandle(control));
    }
    void Edit(Control control, const std::string& text) override {
        QWidget* widget = window_.ControlHandle(control);
        if (auto* box = qobject_cast<QLineEdit*>(widget))
            box->setText(QString::fromStdString(text));
        if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
            box->setPlainText(QString::fromStdString(text));
    }

  private:
    qt::ExampleWindow& window_;
};

class QtControlsPlatform : public ControlsPlatform {
  public:
    Controls& Window() override { return test_.program.Controls(); }
    const ControlsProbe& Probe() const override { return probe_; }

    QtControlsPlatform() {
        answerer_.onOtherModal = [this](QWidget& modal) {
            auto* example = qobject_cast<qt::ExampleWindow*>(&modal);
            if (example == nullptr || !pendingLook_) return;
            const auto look = std::move(pendingLook_);
            pendingLook_ = nullptr;
            QtExampleAccess access(*example);
            look(access);
            QTest::mouseClick(example->ControlHandle(Control::ExampleCloseButton), Qt::LeftButton);
        };
    }

    void WhenExampleShows(std::function<void(ExampleWindowAccess&)> look) override {
        pendingLook_ = std::move(look);
    }

    bool AskToClose() override { return test_.Window().close(); }

  private:
    ProgramUnderTest test_;
    MainWindowProbe probe_{test_.Window()};
    ModalAnswerer answerer_;
    std::function<void(ExampleWindowAccess&)> pendingLook_;
};

}  // namespace

std::unique_ptr<ControlsPlatform> MakeControlsPlatform() {
    return std::make_unique<QtControlsPlatform>();
}

}  // namespace morvane::testing
