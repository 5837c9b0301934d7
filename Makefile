# Everything a developer or CI needs: `make run`, `make test`, `make bench`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench clean

deps:
	@bash scripts/deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/qorvale $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bash scripts/run-benchmarks $(BUILD)

clean:
	rm -rf $(BUILD)
