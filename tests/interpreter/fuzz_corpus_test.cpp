// Replays the committed fuzz corpus through the fuzzer's invariant check, so
// every input the fuzzer ever found interesting stays covered.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/interpreter/fuzz/split_invariant.h"
#include "tests/interpreter/test_support.h"

namespace morvane::interp::testing {
namespace {

TEST(FuzzCorpus, EveryInputKeepsTheInvariant) {
    TempDir folder;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
        const auto bytes = ReadFile(entry.path().string());
        ASSERT_TRUE(bytes);
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(CheckFuzzInput(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                 bytes->size(), folder.Path()),
                  "");
        ++inputs;
    }
    EXPECT_GT(inputs, 20);
}

}  // namespace
}  // namespace morvane::interp::testing
