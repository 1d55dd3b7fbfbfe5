#include "tests/contract/script_file_contract.h"

#include "extraction/extraction_request.h"
#include "extraction/script_file.h"

namespace morvane::testing {

std::string ScriptFileContract::Script(const std::string& source, const std::string& output,
                                       const std::string& delimiter, const std::string& field) {
    ExtractionRequest request{source,        output,        delimiter, *ParseFieldNumber(field),
                              kTokensClause, kDelimsClause, kInClause, kEchoClause};
    std::string reason;
    EXPECT_TRUE(WriteScriptFile(system, ComposeScriptLine(request), reason)) << reason;
    return ReadFile(system.ScriptPath()).value_or("");
}

namespace {

TEST_F(ScriptFileContract, ExampleLineByteForByteWithCrLf) {
    EXPECT_EQ(Script("C:\\123.txt", "C:\\321.txt提取.txt", ",", "2"),
              ">>\"C:\\321.txt\xCC\xE1\xC8\xA1.txt\" (for /f \"usebackq tokens=2 eol=, delims=,\" "
              "%%a in (\"C:\\123.txt\") do @echo(%%a)\r\n");
}

TEST_F(ScriptFileContract, PercentSpaceTabAndFullWidthCommaDelimiters) {
    EXPECT_EQ(
        Script("a", "b", "%", "3"),
        ">>\"b\" (for /f \"usebackq tokens=3 eol=%% delims=%%\" %%a in (\"a\") do @echo(%%a)\r\n");
    EXPECT_EQ(
        Script("a", "b", " ", "1"),
        ">>\"b\" (for /f \"usebackq tokens=1 eol=  delims= \" %%a in (\"a\") do @echo(%%a)\r\n");
    EXPECT_EQ(
        Script("a", "b", "\t", "2"),
        ">>\"b\" (for /f \"usebackq tokens=2 eol=\t delims=\t\" %%a in (\"a\") do @echo(%%a)\r\n");
    EXPECT_EQ(
        Script("a", "b", "，", "07"),
        ">>\"b\" (for /f \"usebackq tokens=7 eol=\xA3\xAC delims=\xA3\xAC\" %%a in (\"a\") do "
        "@echo(%%a)\r\n");
}

TEST_F(ScriptFileContract, ChinesePathsAreInTheCodePageNotUtf8) {
    for (const char* folder : {"D:\\用户\\", "/home/用户/"}) {
        const std::string bytes =
            Script(std::string(folder) + "数据.csv", std::string(folder) + "结果.txt", ",", "3");
        EXPECT_NE(bytes.find("\xD3\xC3\xBB\xA7"), std::string::npos);        // 用户
        EXPECT_NE(bytes.find("\xCA\xFD\xBE\xDD.csv"), std::string::npos);    // 数据
        EXPECT_EQ(bytes.find("\xE7\x94\xA8"), std::string::npos) << folder;  // "用" in UTF-8
    }
}

TEST_F(ScriptFileContract, ASecondWriteReplacesTheFirst) {
    Script("C:\\a-long-source-name.txt", "C:\\a-long-output-name.txt", ",", "12");
    EXPECT_EQ(
        Script("a", "b", ";", "1"),
        ">>\"b\" (for /f \"usebackq tokens=1 eol=; delims=;\" %%a in (\"a\") do @echo(%%a)\r\n");
}

}  // namespace
}  // namespace morvane::testing
