#include <gtest/gtest.h>

#include "common/posix/iconv_converter.h"

namespace morvane::posix {
namespace {

TEST(CodePage936, AsciiIsUnchanged) {
    EXPECT_EQ(Utf8ToCodePage936("for /f \"tokens=2 delims=,\" %%a"),
              "for /f \"tokens=2 delims=,\" %%a");
}

TEST(CodePage936, ChineseBecomesItsDoubleBytes) {
    EXPECT_EQ(Utf8ToCodePage936("提取"), "\xCC\xE1\xC8\xA1");
    EXPECT_EQ(Utf8ToCodePage936("，"), "\xA3\xAC");  // full-width comma
}

TEST(CodePage936, CharactersOutsideTheCodePageAreRefused) {
    EXPECT_FALSE(Utf8ToCodePage936("a😀b").has_value());
    EXPECT_FALSE(Utf8ToCodePage936("한국어").has_value());
    EXPECT_FALSE(Utf8ToCodePage936("\xFF").has_value());  // not UTF-8 at all
}

}  // namespace
}  // namespace morvane::posix
