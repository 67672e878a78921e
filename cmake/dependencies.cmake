# System libraries, all from Debian packages (scripts/install-deps.sh).
find_package(Threads REQUIRED)

find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(NGHTTP2 REQUIRED IMPORTED_TARGET libnghttp2)
find_package(OpenSSL 3 REQUIRED)
# The network runtime: libevent's core with its pthreads locking, the
# header-only worker pool of the name resolver, and http_parser for URL
# splitting (Debian ships no pkg-config file for it).
pkg_check_modules(LIBEVENT REQUIRED IMPORTED_TARGET libevent_core>=2.1 libevent_pthreads)
find_package(thread_pool CONFIG REQUIRED)
find_path(HTTP_PARSER_INCLUDE_DIR http_parser.h REQUIRED)
find_library(HTTP_PARSER_LIBRARY http_parser REQUIRED)
add_library(http_parser::http_parser UNKNOWN IMPORTED)
set_target_properties(http_parser::http_parser PROPERTIES
  IMPORTED_LOCATION ${HTTP_PARSER_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${HTTP_PARSER_INCLUDE_DIR})
