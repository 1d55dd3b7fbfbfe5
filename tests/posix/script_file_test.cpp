// What only the Linux script does: GB18030 holds every character, so no path
// is refused for its characters.
#include "extraction/script_file.h"
#include "tests/contract/script_file_contract.h"
#include "tests/support/fake_runtime.h"

namespace morvane::testing {
namespace {

TEST_F(ScriptFileContract, EveryUnicodeCharacterIsWrittenInGb18030) {
    EXPECT_EQ(Script("/é/ß.csv", "/한/😀.txt", ",", "2"),
              ">>\"/\x83\x36\x84\x33/\x94\x39\xFC\x36.txt\" (for /f \"usebackq tokens=2 eol=, "
              "delims=,\" %%a in (\"/\xA8\xA6/\x81\x30\x89\x38.csv\") do @echo(%%a)\r\n");
    FakeRuntime boxes;
    boxes.texts[Control::SourcePathBox] = "/données/ö ñ.csv";
    boxes.texts[Control::OutputPathBox] = "/안녕/😀.txt";
    boxes.texts[Control::DelimiterBox] = "€";
    EXPECT_EQ(FirstUnencodableBox(boxes, system), std::nullopt);
}

}  // namespace
}  // namespace morvane::testing
