#include "tests/support/control_name.h"

namespace morvane::testing {

// A switch with no default: a control added to the enum and not named here
// is a -Wswitch warning, which the build treats as an error.
std::string ControlName(Control control) {
    switch (control) {
        case Control::SourcePathBox:
            return "SourcePathBox";
        case Control::OutputPathBox:
            return "OutputPathBox";
        case Control::DelimiterBox:
            return "DelimiterBox";
        case Control::FieldNumberBox:
            return "FieldNumberBox";
        case Control::TokensClauseBox:
            return "TokensClauseBox";
        case Control::DelimsClauseBox:
            return "DelimsClauseBox";
        case Control::InClauseBox:
            return "InClauseBox";
        case Control::EchoClauseBox:
            return "EchoClauseBox";
        case Control::ChooseSourceButton:
            return "ChooseSourceButton";
        case Control::ChooseOutputButton:
            return "ChooseOutputButton";
        case Control::StartButton:
            return "StartButton";
        case Control::ExitButton:
            return "ExitButton";
        case Control::ExampleButton:
            return "ExampleButton";
        case Control::SourcePathLabel:
            return "SourcePathLabel";
        case Control::OutputPathLabel:
            return "OutputPathLabel";
        case Control::DelimiterLabel:
            return "DelimiterLabel";
        case Control::FieldNumberLabel:
            return "FieldNumberLabel";
        case Control::ExampleSourceLabel:
            return "ExampleSourceLabel";
        case Control::ExampleOutputLabel:
            return "ExampleOutputLabel";
        case Control::ProgressLabel:
            return "ProgressLabel";
        case Control::CreditLabel:
            return "CreditLabel";
        case Control::FormatsNoteLabel:
            return "FormatsNoteLabel";
        case Control::ExampleSourceBox:
            return "ExampleSourceBox";
        case Control::ExampleOutputBox:
            return "ExampleOutputBox";
        case Control::ExampleCloseButton:
            return "ExampleCloseButton";
        case Control::ExampleFrame:
            return "ExampleFrame";
    }
    return "Control#" + std::to_string(static_cast<int>(control));
}

}  // namespace morvane::testing
