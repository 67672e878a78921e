# System libraries, all from Debian packages (scripts/install-deps.sh).
find_package(Threads REQUIRED)

find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
