#include "tests/posix/temp_dir.h"

#include <iterator>

namespace morvane::testing {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace morvane::testing
