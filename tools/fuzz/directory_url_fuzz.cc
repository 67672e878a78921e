// Feeds arbitrary bytes to the URL splitting of the rule interface. A
// directory URL is itself a URL with the same directory and host: reducing
// it again must give it back, and the host must be the input's.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/proxy/directory_url.h"

namespace {

void check(bool ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "directory_url_fuzz: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view url(reinterpret_cast<const char *>(data), size);
    std::string host;
    try {
        host = ov_url_host(url);
    } catch (const std::out_of_range &) {
        check(false, "host placed beyond the text");
    }
    std::string directory = ov_directory_url(url);
    if (directory.empty()) {
        return 0;
    }
    check(directory.back() == '/', "directory without its closing slash");
    check(ov_directory_url(directory) == directory, "directory of a directory differs");
    check(ov_url_host(directory) == host, "host of the directory differs");
    return 0;
}
