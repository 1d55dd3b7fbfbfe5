// One extraction's inputs and the batch line composed from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace morvane {

// The inputs of one extraction, copied from the main window's boxes when a
// validated start begins. The four clauses are the script template: they are
// the texts of the hidden boxes TokensClauseBox to EchoClauseBox, read at every start.
struct ExtractionRequest {
    std::string sourcePath;        // SourcePathBox, as typed
    std::string outputPath;        // OutputPathBox, as typed
    std::string delimiter;         // DelimiterBox, one character
    std::int16_t fieldNumber = 0;  // FieldNumberBox, counted from 1
    std::string tokensClause;      // TokensClauseBox
    std::string delimsClause;      // DelimsClauseBox
    std::string inClause;          // InClauseBox
    std::string echoClause;        // EchoClauseBox
    // The source is UTF-8 and the interpreter reads a source in its console's
    // code page (cmd.exe): the loop runs under code page 65001.
    bool loopInUtf8 = false;
};

// The template's initial texts, as the hidden boxes hold them at start-up.
// The loop is a block whose output is redirected once, before it (see
// ComposeScriptLine). The delimiter clause asks for the one field alone: a
// second token number would take the first loop variable whenever it is the
// smaller one. `usebackq` makes the quoted source a file name rather than a
// literal string; the quotes around the two paths are added by the composer.
// `echo(` writes exactly the text after the parenthesis, whatever it is:
// "ON", "off", "/?" and blanks are values, not switches or a help request
// (`echo.` and `echo:` would be no safer: a value such as "x\..\y.bat" turns
// them into running a program).
inline constexpr const char* kTokensClause = " (for /f \"usebackq tokens=";
inline constexpr const char* kDelimsClause = " delims=";
inline constexpr const char* kInClause = "\" %%a in (";
inline constexpr const char* kEchoClause = ") do @echo(%%a)";

// What goes before the redirection when the loop reads a UTF-8 source. cmd.exe
// decodes a for /f source with its console's code page and echo encodes each
// value with it (Raymond Chen, "Keep your eye on the code page", The Old New
// Thing, 2005-03-08), and code page 936 cannot decode UTF-8: a lead byte
// without a valid second byte comes out as "?" (Wine's conformance test
// dlls/kernel32/tests/codepage.c, test_dbcs_to_widechar, run on Windows), and
// the byte after it may be swallowed. So the code page is set to 65001 first,
// the standard advice for reading a UTF-8 file with for /f (the answers to
// Stack Overflow question 51663335). The interpreter has read and parsed the
// whole line in the script's code page before chcp runs, so the paths in it
// stay right; the XP documentation of chcp says the interpreter itself takes
// the new code page at once. chcp.com by its full path: a bare "chcp" is
// looked for in the current folder first, where a planted chcp.bat would
// run. "&" rather than "&&": no public source gives chcp.com's exit status,
// and where 65001 cannot be set the loop still runs as it would without it.
inline constexpr const char* kUtf8CodePageCommand =
    "\"%SystemRoot%\\System32\\chcp.com\" 65001>nul&";

// The field-number box's text as a number: one or two ASCII digits, leading
// zeros dropped ("07" is 7). Anything else (empty, a letter pasted in, three
// digits) answers nothing.
std::optional<std::int16_t> ParseFieldNumber(const std::string& text);

// Plain decimal text of a field number: no leading zeros, no sign.
std::string FieldNumberText(std::int16_t fieldNumber);

// Text as a batch file must hold it to be read back unchanged: every "%"
// doubled, so that no part of it is taken for a variable reference.
std::string DoublePercents(const std::string& text);

// A path as one word of the batch line: in double quotes, so that blanks,
// "&", "(", ")", "^", ";" and "," are plain characters, and with every "%"
// doubled. A path holding a double quote or a control character cannot be
// written this way; the Start action refuses those before composing.
std::string QuotedPath(const std::string& path);

// The one batch line: the output's redirection, then the fragments in their
// fixed order with the field number, the delimiter (percents doubled) and
// the quoted source between them; kUtf8CodePageCommand first for a loop in
// UTF-8. With the example values:
//   >>"C:\321.txt提取.txt" (for /f "usebackq tokens=2 eol=, delims=," %%a in ("C:\123.txt") do
//   @echo(%%a)
// The four fixed fragments are the texts of the hidden boxes TokensClauseBox
// to EchoClauseBox, read at every start (ExtractionJob), so a change of those
// texts changes the line. A front end lacking one of those boxes is a
// programming error that the tests catch (on each front end the controls
// contract's window at rest, ControlsContract.OpensAtRestWithTheFocusInTheSourceBox,
// and the window against its layout table), not an empty fragment in a
// script: the composer takes the fragments as they come.
std::string ComposeScriptLine(const ExtractionRequest& request);

}  // namespace morvane
