#include <gtest/gtest.h>

#include "extraction/extraction_request.h"

namespace morvane {
namespace {

ExtractionRequest ExampleRequest() {
    ExtractionRequest request;
    request.sourcePath = "C:\\123.txt";
    request.outputPath = "C:\\321.txt提取.txt";
    request.delimiter = ",";
    request.fieldNumber = 2;
    request.tokensClause = kTokensClause;
    request.delimsClause = kDelimsClause;
    request.inClause = kInClause;
    request.echoClause = kEchoClause;
    return request;
}

TEST(ComposeScriptLine, ExampleGivesTheDocumentedLine) {
    EXPECT_EQ(ComposeScriptLine(ExampleRequest()),
              ">>\"C:\\321.txt提取.txt\" (for /f \"usebackq tokens=2 eol=, delims=,\" %%a in "
              "(\"C:\\123.txt\") do @echo(%%a)");
}

TEST(ComposeScriptLine, PathsAreQuotedAndEveryPercentDoubled) {
    ExtractionRequest request = ExampleRequest();
    request.delimiter = "%";
    request.sourcePath = "D:\\50% (1)&x\\%a% ^!;,.csv";
    request.outputPath = "D:\\out 100%";
    request.fieldNumber = 31;
    EXPECT_EQ(ComposeScriptLine(request),
              ">>\"D:\\out 100%%\" (for /f \"usebackq tokens=31 eol=%% delims=%%\" %%a in "
              "(\"D:\\50%% (1)&x\\%%a%% ^!;,.csv\") do @echo(%%a)");
    request.delimiter = " ";  // delims= stays last: it runs to the closing quote
    EXPECT_NE(ComposeScriptLine(request).find("tokens=31 eol=  delims= \" %%a"), std::string::npos);
}

TEST(ComposeScriptLine, ChangedFragmentsAreUsed) {
    ExtractionRequest request = ExampleRequest();
    request.delimsClause = " delims=;";
    request.echoClause = ") do echo %%a)";
    EXPECT_EQ(ComposeScriptLine(request),
              ">>\"C:\\321.txt提取.txt\" (for /f \"usebackq tokens=2 eol=, delims=;,\" %%a in "
              "(\"C:\\123.txt\") do echo %%a)");
}

TEST(FieldNumber, OneOrTwoAsciiDigitsWithLeadingZerosDropped) {
    EXPECT_EQ(ParseFieldNumber("2"), 2);
    EXPECT_EQ(ParseFieldNumber("07"), 7);
    EXPECT_EQ(ParseFieldNumber("00"), 0);
    EXPECT_EQ(ParseFieldNumber("99"), 99);
    EXPECT_EQ(FieldNumberText(*ParseFieldNumber("07")), "7");
}

TEST(FieldNumber, AnythingElseIsNoNumber) {
    for (const char* text : {"", "a", "1a", "-1", "+1", " 1", "123", "１"}) {
        EXPECT_FALSE(ParseFieldNumber(text).has_value()) << text;
    }
}

}  // namespace
}  // namespace morvane
