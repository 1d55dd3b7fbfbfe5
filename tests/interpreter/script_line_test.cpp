// Parsing script lines: the for /f line Morvane writes, its quoted paths and
// doubled percents, old unquoted lines, echo and its text's variables, and
// lines that cannot run.
#include <gtest/gtest.h>

#include "interpreter/script_line.h"

namespace morvane::interp {
namespace {

ForCommand ParseFor(std::string_view line) {
    ScriptCommand command = ParseScriptLine(line);
    if (auto* error = std::get_if<LineError>(&command))
        ADD_FAILURE() << line << ": " << error->message;
    auto* loop = std::get_if<ForCommand>(&command);
    return loop ? *loop : ForCommand{};
}

bool IsError(std::string_view line) {
    return std::holds_alternative<LineError>(ParseScriptLine(line));
}

TEST(ScriptLine, MorvanesLineAndTheBlockRedirectedAfterIt) {
    for (
        const char* line : {
            R"x(>>"/home/u/321.txt提取.txt" (for /f "usebackq tokens=2 eol=, delims=," %%a in ("/home/u/123.txt") do @echo(%%a))x",
            R"x( @ ( for /f "usebackq tokens=2 eol=, delims=," %%a in ("/home/u/123.txt") do @echo(%%a) >> "/home/u/321.txt提取.txt" )x",
        }) {
        const ForCommand loop = ParseFor(line);
        EXPECT_EQ(loop.variable, 'a');
        EXPECT_EQ(loop.source, "/home/u/123.txt");
        EXPECT_EQ(loop.options.delimiters, std::vector<std::string>{","});
        EXPECT_EQ(loop.options.eol, ",");
        EXPECT_EQ(loop.options.tokens.TokenOfVariable(0), 2);
        EXPECT_EQ(loop.body.text, "%a") << "echo( writes what follows the parenthesis";
        EXPECT_EQ(loop.body.redirect, Redirect::Append);
        EXPECT_EQ(loop.body.target, "/home/u/321.txt提取.txt");
        EXPECT_TRUE(loop.inBlock);
    }
    EXPECT_EQ(ParseFor(R"x(>"/o (1)" (for /f %%a in ("/a") do echo(%%a))x").body.redirect,
              Redirect::Replace);
    EXPECT_EQ(ParseFor(R"x((for /f %%a in (/a) do echo(x)>/o)x").body.target, "/o");
    EXPECT_EQ(ParseFor(R"x((for /f %%a in (/a) do echo(x))x").body.redirect, Redirect::None);
    EXPECT_TRUE(IsError(R"x(>>"/o" (for /f %%a in (/a) do echo(x)x"));
    EXPECT_TRUE(IsError(R"x(>>"/o" (for /f %%a in (/a) do echo x>>/p))x"));
    EXPECT_TRUE(IsError(R"x(>>"/o" (echo x))x"));
    EXPECT_TRUE(IsError(R"x((for /f %%a in (/a) do echo(x) junk)x"));
}

TEST(ScriptLine, AQuotedSourceEndsAtItsClosingQuote) {
    const ForCommand loop = ParseFor(
        R"(for /f "usebackq tokens=2" %%a in ( "/p) do echo x/q) do @echo %%a.csv"  ) do @echo %%a>> "/o) do x" )");
    EXPECT_EQ(loop.source, "/p) do echo x/q) do @echo %a.csv");
    EXPECT_EQ(loop.body.target, "/o) do x");
    EXPECT_TRUE(IsError(R"(for /f "usebackq" %%a in ("/a.txt) do echo %%a>>/o)"));
    EXPECT_TRUE(IsError(R"(for /f "usebackq" %%a in ("/a" x) do echo %%a>>/o)"));
    EXPECT_TRUE(IsError(R"(for /f "usebackq" %%a in ("/a") do echo %%a>>"/o)"));
    EXPECT_TRUE(IsError(R"(for /f "usebackq" %%a in ("/a") do echo %%a>>"/o"x)"));
}

TEST(ScriptLine, DoubledPercentsAreReadAsOne) {
    const ForCommand loop = ParseFor(
        R"(for /f "usebackq delims=%%" %%a in ("/50%%/%%a%% x%") do @echo 100%% %%%%a %%a>>"/o%%a%")");
    EXPECT_EQ(loop.options.delimiters, std::vector<std::string>{"%"});
    EXPECT_EQ(loop.source, "/50%/%a% x%");
    EXPECT_EQ(loop.body.text, "100% %%a %a");
    EXPECT_EQ(loop.body.target, "/o%a%");
}

TEST(ScriptLine, OldUnquotedLinesTakePathsWhole) {
    const ForCommand loop = ParseFor(
        R"(for /f "tokens=2 delims= " %%a in (/home/u/my data & more (1).csv) do @echo %%a>>/home/u/out (2) & x.txt)");
    EXPECT_EQ(loop.options.delimiters, std::vector<std::string>{" "});
    EXPECT_EQ(loop.source, "/home/u/my data & more (1).csv");
    EXPECT_EQ(loop.body.target, "/home/u/out (2) & x.txt");

    // A ") do " inside the path that is not followed by echo belongs to it.
    EXPECT_EQ(ParseFor("for /f %%a in (/a) do x/b.txt) do echo %%a>>/o").source, "/a) do x/b.txt");
    // Blanks around the set are dropped, as Windows does.
    EXPECT_EQ(ParseFor("for /f %%a in ( /a.txt\t ) do echo %%a>>/o").source, "/a.txt");
    EXPECT_EQ(ParseFor("for /f %%a in (/a.txt) do echo %%a>> /o ").body.target, " /o ");
}

TEST(ScriptLine, KeywordsInAnyCaseAndLeadingAtSigns) {
    const ForCommand loop =
        ParseFor(R"(  @@FOR  /F  "Tokens=3"  %%X  IN  (/a.txt)  DO  @ECHO %%X>/b.txt)");
    EXPECT_EQ(loop.variable, 'X');
    EXPECT_EQ(loop.source, "/a.txt");
    EXPECT_EQ(loop.body.redirect, Redirect::Replace);
    EXPECT_EQ(loop.body.target, "/b.txt");
    EXPECT_EQ(ParseFor("for /f %%a in (/a.txt)do@echo %%a").body.redirect, Redirect::None);
}

TEST(ScriptLine, UsebackqRemovesTheQuotesOfAQuotedPath) {
    EXPECT_EQ(ParseFor(R"(for /f "usebackq" %%a in ("/my data.txt") do echo %%a)").source,
              "/my data.txt");
    EXPECT_EQ(ParseFor(R"(for /f "delims=," %%a in ("/my data.txt") do echo %%a)").source,
              "\"/my data.txt\"");
}

TEST(ScriptLine, SyntaxErrors) {
    // A double quote as the delimiter ends the options early, as on Windows.
    EXPECT_TRUE(IsError(R"(for /f "tokens=2 delims="" %%a in (/a.txt) do @echo %%a>>/b.txt)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=0 delims=," %%a in (/a.txt) do @echo %%a>>/b.txt)"));
    EXPECT_TRUE(IsError(R"(for /f "skip=0" %%a in (/a.txt) do @echo %%a>>/b.txt)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2 %%a in (/a.txt) do @echo %%a>>/b.txt)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%ab in (/a.txt) do @echo %%a)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%1 in (/a.txt) do @echo %%1)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%} in (/a.txt) do @echo %%})"));
    EXPECT_EQ(ParseFor(R"(for /f "tokens=2" %%_ in (/a.txt) do @echo %%_)").variable, '_');
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%a in () do @echo %%a)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%a in (/a.txt) do @echo %%a>>)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%a in (/a.txt) @echo %%a)"));
    EXPECT_TRUE(IsError(R"(for /f "tokens=2" %%a in /a.txt do @echo %%a)"));
    using namespace std::string_view_literals;
    EXPECT_TRUE(IsError("for /f %%a in (/a.txt\0.csv) do echo %%a>>/b"sv));
    EXPECT_TRUE(IsError("echo x>>/b\0c"sv));
}

TEST(ScriptLine, OnlyEchoRuns) {
    EXPECT_TRUE(IsError("for /f %%a in (/a.txt) do del %%a"));
    EXPECT_TRUE(IsError("for /f %%a in (/a.txt) do (echo %%a)"));
    EXPECT_TRUE(IsError("for %%a in (*.txt) do echo %%a"));
    EXPECT_TRUE(IsError("del /q C:\\x"));
    EXPECT_TRUE(IsError("echoing"));
    EXPECT_TRUE(IsError("rem a comment"));
    EXPECT_TRUE(std::holds_alternative<BlankLine>(ParseScriptLine("")));
    EXPECT_TRUE(std::holds_alternative<BlankLine>(ParseScriptLine(" \t @ ")));
}

EchoCommand Echo(std::string_view line) {
    ScriptCommand command = ParseScriptLine(line);
    auto* echo = std::get_if<EchoCommand>(&command);
    EXPECT_NE(echo, nullptr) << line;
    return echo ? *echo : EchoCommand{};
}

TEST(ScriptLine, EchoTextIsEverythingAfterOneSeparator) {
    EXPECT_EQ(Echo("echo hello").text, "hello");
    EXPECT_EQ(Echo("echo  two spaces ").text, " two spaces ");
    EXPECT_EQ(Echo("echo on").text, "on");
    EXPECT_EQ(Echo("echo /?").text, "/?");
    EXPECT_EQ(Echo("echo.").text, "");
    EXPECT_EQ(Echo("echo(x").text, "x");
    EXPECT_EQ(Echo("ECHO").text, "");
    const EchoCommand redirected = Echo("@echo x>>/t/o u.txt");
    EXPECT_EQ(redirected.text, "x");
    EXPECT_EQ(redirected.redirect, Redirect::Append);
    EXPECT_EQ(redirected.target, "/t/o u.txt");
    EXPECT_EQ(Echo("echo>/o").target, "/o");
}

TEST(EchoTemplate, VariablesInRangeOthersLiteral) {
    const auto pieces = CompileEchoText("[%a-%c %d %A %]", 'a', 3);
    const std::vector<EchoPiece> expected = {
        {-1, "["}, {0, ""}, {-1, "-"}, {2, ""}, {-1, " %d %A %]"}};
    EXPECT_EQ(pieces, expected);
    // Variables follow in character order: after Z come [ \ ] ^ _ ` and then
    // the small letters; nothing follows z.
    EXPECT_EQ(CompileEchoText("%Z%[%`%a%{", 'Z', 9),
              (std::vector<EchoPiece>{{0, ""}, {1, ""}, {6, ""}, {7, ""}, {-1, "%{"}}));
}

}  // namespace
}  // namespace morvane::interp
