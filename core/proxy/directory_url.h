// URL splitting for the rule interface: the "directory URL" a site-wide
// verdict is asked for (scheme, host, port and the path up to its last "/";
// user info, query and fragment never count), and the host of a URL. Both
// read untrusted text through http_parser's URL splitter.
#pragma once

#include <string>
#include <string_view>

// "scheme://host[:port]/dir/" of `url`; empty when the URL does not split,
// lacks a scheme or a host, or has an empty path.
std::string ov_directory_url(std::string_view url);

// The host component of `url`, empty when it has none or does not split.
// Throws std::out_of_range when the splitter places the host beyond the
// text.
std::string ov_url_host(std::string_view url);
