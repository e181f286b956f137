# Quick start: `make run` starts ZarnWeb, `make test` runs every test.
# Both install missing Debian packages, configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test check-includes bench clean

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

# Every target built without precompiled headers, so that a file missing an
# include of its own fails here rather than on the next header change.
check-includes: deps
	cmake -S . -B $(BUILD)-nopch -G Ninja -DZARN_PCH=OFF
	cmake --build $(BUILD)-nopch -j $(JOBS)

bench: build
	bench/run-all.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-nopch
