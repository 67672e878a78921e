# System libraries, all from Debian packages (scripts/install-deps.sh).
find_package(Threads REQUIRED)
