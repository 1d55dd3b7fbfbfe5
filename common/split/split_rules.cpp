#include "common/split/split_rules.h"

namespace morvane::split {

Characters DoubleBytes(const LeadBytes& leadBytes) { return {Width::DoubleBytes, leadBytes}; }

Characters CharactersOf(text::Encoding encoding) {
    switch (encoding) {
        case text::Encoding::Utf8:
            return {Width::Bytes, {}};
        case text::Encoding::Gbk: {
            LeadBytes leads{};
            for (std::size_t byte = 0; byte < leads.size(); ++byte)
                leads[byte] = text::IsGbkLeadByte(static_cast<unsigned char>(byte));
            return DoubleBytes(leads);
        }
        case text::Encoding::Utf16Le:
            return {Width::Utf16Le, {}};
        case text::Encoding::Utf16Be:
            return {Width::Utf16Be, {}};
    }
    return {};
}

}  // namespace morvane::split
