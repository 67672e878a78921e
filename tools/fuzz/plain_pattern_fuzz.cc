// Direct pattern matching must answer exactly as the pattern's expression on
// every URL without line breaks. Input: one flag byte (bit 0: case-sensitive),
// the pattern, a newline, the URL.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/filtering/common/plain_pattern.h"
#include "tests/support/pattern_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    bool case_sensitive = data[0] & 1;
    std::string input(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t split = input.find('\n');
    if (split == std::string::npos) {
        return 0;
    }
    std::string pattern = input.substr(0, split);
    std::string url = input.substr(split + 1);
    if (url.find_first_of("\r\n") != std::string::npos ||
        !plain_pattern_supported(pattern.data(), pattern.size())) {
        return 0;
    }
    int expected = pattern_reference_run(pattern, case_sensitive, url);
    if (expected < 0) {
        return 0;
    }
    std::string subject = case_sensitive ? url : pattern_reference_lower(url);
    bool direct = plain_pattern_match(pattern.data(), pattern.size(), case_sensitive,
                                      subject.data(), subject.size());
    if (direct != (expected == 1)) {
        abort();
    }
    return 0;
}
