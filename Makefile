# Quick start: `make run` starts ZarnWeb, `make test` runs every test.
# Both install missing Debian packages, configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run.sh $(BUILD)/app/ZarnWeb

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	bench/run-all.sh $(BUILD)

clean:
	rm -rf $(BUILD)
