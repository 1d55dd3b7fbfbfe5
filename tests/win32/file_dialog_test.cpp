// The Open and Save dialogs' file types as the common file dialog takes them.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/file_dialog.h"
#include "ui/file_choosing.h"

namespace morvane {
namespace {

TEST(FileDialog, TheFilterBecomesTheDialogsPairs) {
    const std::wstring pairs = win32::DialogFilter(kFileFilter);
    EXPECT_EQ(pairs, std::wstring(L"文本文档(*.txt)\0*.txt\0逗号分隔值文件(*.CSV)\0*.CSV\0\0", 40));
    EXPECT_EQ(win32::DialogFilter(""), std::wstring(1, L'\0'));
}

}  // namespace
}  // namespace morvane
