# zugui front door: each target installs what is missing, configures and builds first.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build demo test verify bench sanitize tsan fuzz docs package clean cross-arm64

all: build

deps:
	@scripts/install-deps build test

build: deps
	@cmake -S . -B build $(CMAKE_FLAGS) >/dev/null
	@cmake --build build -j $(JOBS)

demo: build
	@scripts/with-display build/examples/demo/zugui-demo build/demo

test: build
	@rm -f build/Testing/Temporary/LastTestsDisabled.log
	@ZUGUI_LOG=1 scripts/with-display ctest --test-dir build --output-on-failure -j $(JOBS)
	@scripts/check-skips build

# Exhaustive checks too long for `make test`: every 10-bit triple through the converter.
verify: build
	@time scripts/with-display build/tests/video/video_convert_verify

bench:
	@scripts/install-deps bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZUGUI_BENCH=ON -DZUGUI_TESTS=OFF -DZUGUI_DEMO=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/bench_*; do [ -x "$$b" ] && scripts/with-display "$$b"; done; true

sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZUGUI_SANITIZE=address,undefined -DZUGUI_DEMO=OFF >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@rm -f build-asan/Testing/Temporary/LastTestsDisabled.log
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:use_tls=0 \
	  ZUGUI_LOG=1 scripts/with-display ctest --test-dir build-asan --output-on-failure -j $(JOBS)
	@scripts/check-skips build-asan

tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZUGUI_SANITIZE=thread -DZUGUI_DEMO=OFF >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/support/tsan.supp \
	  scripts/with-display ctest --test-dir build-tsan -L threads --output-on-failure -j $(JOBS)

# The converters and the platform services built for arm64 and tested under qemu-user.
cross-arm64:
	@scripts/install-deps cross
	@cmake -S tests/cross -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake >/dev/null
	@cmake --build build-arm64 -j $(JOBS)
	@ctest --test-dir build-arm64 --output-on-failure -j $(JOBS)

fuzz:
	@scripts/install-deps build fuzz
	@cmake -S fuzz -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@status=0; for f in build-fuzz/*_fuzz; do [ -x "$$f" ] || continue; \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:use_tls=0 scripts/with-display "$$f" -max_total_time=$${FUZZ_SECONDS:-60} || status=1; \
	done; exit $$status

package: build
	@cpack --config build/CPackConfig.cmake -B build/packages
	@ls build/packages/*.deb

# Any doxygen warning (an undocumented public name, a broken reference) fails the target.
docs:
	@scripts/install-deps docs
	@mkdir -p build/docs
	@doxygen docs/Doxyfile
	@if [ -s build/docs/warnings.log ]; then cat build/docs/warnings.log; \
		echo "docs: $$(wc -l < build/docs/warnings.log) doxygen warning lines"; exit 1; fi
	@echo "docs: build/docs/html/index.html"

clean:
	rm -rf build build-bench build-asan build-tsan build-fuzz build-arm64
