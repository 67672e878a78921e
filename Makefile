# The two everyday commands are `make run` and `make test`; both install what
# is missing first.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja

.PHONY: deps run test test-clang test-tsan test-example install fuzz bench psl-update format clean

deps:
	@scripts/install-deps.sh

$(BUILD)/release/build.ninja:
	cmake -S . -B $(BUILD)/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DOVCORE_TESTS=OFF

run: deps $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j $(JOBS)
	$(BUILD)/release/app/ovcore

$(BUILD)/asan/build.ninja:
	cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DOVCORE_SANITIZE=ON -DOVCORE_BENCH=OFF

# After the sanitized tests, the self-test of a release build runs under
# valgrind, which also counts memory still reachable at exit as a leak.
test: deps tests/browser/node_modules $(BUILD)/asan/build.ninja $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)
	cmake --build $(BUILD)/release -j $(JOBS) --target ovcore_app
	valgrind -q --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
	  --error-exitcode=9 $(BUILD)/release/app/ovcore
	$(MAKE) --no-print-directory test-example
	$(MAKE) --no-print-directory test-tsan

# The shared library, its header and ovcore.pc under $(PREFIX).
install: deps $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j $(JOBS) --target libovcore
	cmake --install $(BUILD)/release --prefix $(PREFIX)

# The example host program, compiled as a host would against an installed
# library (a staging prefix under the build tree, so that no system
# directory is written) and run; its report must match the expected one.
STAGE := $(abspath $(BUILD))/stage
test-example: deps $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j $(JOBS) --target libovcore
	cmake --install $(BUILD)/release --prefix $(STAGE) >/dev/null
	cc -std=c11 -Wall -Wextra -Werror examples/rule_check.c -o $(BUILD)/rule_check \
	  $$(PKG_CONFIG_PATH=$(STAGE)/lib/pkgconfig pkg-config --cflags --libs ovcore) \
	  -Wl,-rpath,$(STAGE)/lib
	$(BUILD)/rule_check | diff -u examples/rule_check.expected -

$(BUILD)/tsan/build.ninja:
	cmake -S . -B $(BUILD)/tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DOVCORE_TSAN=ON -DOVCORE_BENCH=OFF

# The concurrency tests under ThreadSanitizer: the rule functions from eight
# threads, the event loop, the resolver and the rule expiry timers.
TSAN_TESTS := ^(CApiConcurrency|EventLoopTest|DnsResolver|TemporaryRuleTest)
test-tsan: deps $(BUILD)/tsan/build.ninja
	cmake --build $(BUILD)/tsan -j $(JOBS) --target api_tests proxy_tests
	cd $(BUILD)/tsan && TSAN_OPTIONS=halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

# The browser tests' npm packages, exactly as locked.
tests/browser/node_modules: tests/browser/package-lock.json
	cd tests/browser && npm ci --no-audit --no-fund --loglevel=error
	@touch $@

$(BUILD)/clang/build.ninja:
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(BUILD)/clang $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=Debug -DOVCORE_SANITIZE=ON -DOVCORE_BENCH=OFF

test-clang: deps tests/browser/node_modules $(BUILD)/clang/build.ninja
	cmake --build $(BUILD)/clang -j $(JOBS)
	cd $(BUILD)/clang && ctest --output-on-failure -j $(JOBS)

$(BUILD)/fuzz/build.ninja:
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(BUILD)/fuzz $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOVCORE_FUZZ=ON -DOVCORE_TESTS=OFF

fuzz: deps $(BUILD)/fuzz/build.ninja
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	@echo "fuzz targets: $(BUILD)/fuzz/tools/fuzz/ (seeds in tools/fuzz/corpus/<name>/)"

$(BUILD)/bench/build.ninja:
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DOVCORE_TESTS=OFF

# Builds the benchmarks, then compares the engine with the peer engines on
# EasyList + EasyPrivacy and the request corpora (tools/bench/peers/README.md).
bench: deps $(BUILD)/bench/build.ninja
	cmake --build $(BUILD)/bench -j $(JOBS)
	OVCORE_BIN=$(BUILD)/bench/app/ovcore tools/bench/peers/compare.sh

# Regenerates the built-in public-suffix snapshot from Debian's publicsuffix.
PSL_LIST ?= /usr/share/publicsuffix/public_suffix_list.dat
psl-update: deps $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release --target psl_gen
	$(BUILD)/release/tools/gen/psl_gen $(PSL_LIST) \
	  "$$(dpkg-query -W -f='$${Version}' publicsuffix)" assets/psl/public_suffix_list.inc

format:
	git ls-files '*.h' '*.cc' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
