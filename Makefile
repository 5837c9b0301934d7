# Everything a developer or CI needs: `make run`, `make test`, `make bench`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench fuzz fuzz-build clean install guide deb
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300

deps:
	@bash scripts/deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DQV_FUZZ_BUILD=$(abspath $(FUZZ_BUILD)) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/qorvale $(ARGS)

test: fuzz-build build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bash scripts/run-benchmarks $(BUILD)

# The fuzz targets build with clang and sanitizers in a tree of their own.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DQV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	bash scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The user guide: its pages, the pictures an end-to-end run takes of this build's window (under
# Xvfb), and its PDF form.
guide: build
	@cmake --build $(BUILD) -j $(JOBS) --target guide

# The Debian package of this build tree, qorvale_VERSION_ARCH.deb in this folder:
# sudo apt install ./qorvale_*.deb
deb: guide
	@rm -rf $(BUILD)/package && cd $(BUILD) && cpack -G DEB -B $(abspath $(BUILD))/package > /dev/null
	@cp $(BUILD)/package/qorvale_*.deb . && ls qorvale_*.deb

# Installs the program under PREFIX (default /usr/local); DESTDIR works as usual. Installing
# straight into a prefix also refreshes its file-type and menu caches, so that the desktop
# knows books and the menu entry at once; a staged install (DESTDIR) leaves that to its package.
PREFIX ?= /usr/local
install: guide
	@cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ]; then \
	  update-mime-database "$(PREFIX)/share/mime" && \
	  update-desktop-database "$(PREFIX)/share/applications"; \
	fi

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
