# The front door: every target installs what is missing first, then configures and builds.
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD ?= build-web
LIBCXX_BUILD ?= build-libcxx
WINDOWS_BUILD ?= build-windows
DIST ?= dist
FUZZ_SECONDS ?= 300
JOBS ?= $(shell nproc)

# Every date a build writes (the manual pages, the archives' entries, the package's changelog) is
# the last commit's time, so that two builds of one commit give the same bytes: in a source
# tarball from the file git archive filled in, in a checkout from git.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell sed -n 's/^\([0-9][0-9]*\)$$/\1/p' packaging/source-date-epoch)
ifeq ($(SOURCE_DATE_EPOCH),)
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null)
endif
endif
export SOURCE_DATE_EPOCH

.PHONY: deps build test demo bench run sanitize-test thread-test fuzz web web-test libcxx-test windows windows-test dist dist-test dist-repro clean

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

bench: build
	$(BUILD)/bench/zev-bench

run: build
	$(BUILD)/src/desktop/zev

# Everything that needs no window, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZEV_SANITIZE=ON -DZEV_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE widget

# zev-convert -j under ThreadSanitizer: workers that share nothing but the queue of inputs.
thread-test: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEV_TSAN=ON -DZEV_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target convert_command_test
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/cli/convert_command_test \
	    --gtest_filter='ConvertCommand.ParallelBatchMatchesOneAtATime'

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEV_FUZZ=ON \
	    -DZEV_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The browser edition with emscripten: the page in $(WEB_BUILD)/web, zev-convert.js for node. Debian's
# emscripten finds its optimizer's node modules through NODE_PATH.
web:
	@scripts/install-deps --web
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD) -DZEV_WEB=ON \
	    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O3 -DNDEBUG"
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j $(JOBS)

# The browser edition against the native converter: node runs zev-convert.js, headless Chromium
# the page from disk.
web-test: build web
	@scripts/web-test $(BUILD) $(WEB_BUILD)

# Everything that needs no Qt, built by clang on its libc++ (the browser build's C++ library).
libcxx-test:
	@scripts/install-deps --libcxx
	CC=clang CXX=clang++ cmake -S . -B $(LIBCXX_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEV_LIBCXX=ON \
	    -DZEV_BUILD_BENCH=OFF
	cmake --build $(LIBCXX_BUILD) -j $(JOBS)
	ctest --test-dir $(LIBCXX_BUILD) --output-on-failure -j $(JOBS)

# zev-convert.exe and the dialog program zev.exe for Windows, cross-built with MinGW-w64 into
# $(WINDOWS_BUILD). CMake reads the toolchain file only when it first configures the folder, and
# would warn of it on every later run.
windows:
	@scripts/install-deps --windows
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release -DZEV_BUILD_BENCH=OFF \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake --no-warn-unused-cli
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target zev-convert zev

# Its tests under wine, then the golden cases with zev-convert.exe under wine, its signal tables
# against the native converter's.
windows-test: build windows
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@scripts/windows-test $(WINDOWS_BUILD) $(BUILD) $(JOBS)

# The downloads in $(DIST)/, made from the builds above (the native programs, the page, the Windows
# programs): the Windows zip, the web zip, the Debian package, the source tarball, SHA256SUMS.
dist: web windows
	@scripts/install-deps --dist
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target zev zev-convert zev-convert-manual
	@scripts/dist $(BUILD) $(WEB_BUILD) $(WINDOWS_BUILD) $(DIST)

# Each download tested as a user gets it, in scratch folders: the Windows programs in a new wine
# prefix, the web page from disk in Chromium, the package installed and removed, the tarball built;
# then the packaging again under another umask, time zone and language, to the same bytes.
dist-test: dist
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target zev-ui-test
	@scripts/dist-test $(DIST) $(BUILD) $(WEB_BUILD) $(WINDOWS_BUILD)

# make dist in two fresh clones in different folders, one after the other, under different umasks,
# time zones and languages: the same bytes, or diffoscope's report of the first file that differs.
dist-repro:
	@scripts/install-deps --dist
	@scripts/dist-repro $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(LIBCXX_BUILD) \
	    $(WINDOWS_BUILD) $(DIST) out
