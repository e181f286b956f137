# Quick start: `make run` starts ZarnWeb, `make test` runs every test.
# Both install missing Debian packages, configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)

# What the program needs to start: the window and the tools it runs.
PROGRAM_TARGETS = ZarnWeb

.PHONY: all deps configure build build-program run test sanitize bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

build-program: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAM_TARGETS)

run: build-program
	scripts/run.sh $(BUILD)/app/ZarnWeb

# The engine's tests hang on the timing of its own processes, which a busy
# machine stretches: a failing test runs once more, and only a failure that
# repeats fails the run (the output shows both runs).
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --repeat until-pass:2

# The unit tests built with AddressSanitizer and UndefinedBehaviorSanitizer in
# their own build folder; any report fails the run. A report exits with 23, so
# that one inside a tool that a test starts is not taken for the tool's own
# failure status (1 or 2). The engine tests are left out: Chromium inside Qt
# WebEngine deletes objects through pointers of the wrong size, which ASan can
# ignore only everywhere at once, and its classes carry no type information,
# which UBSan's vptr check reports for each engine object our event filters see.
sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -G Ninja -DZARN_SANITIZE=ON
	cmake --build $(BUILD)-sanitize -j $(JOBS) --target unit-tests
	cd $(BUILD)-sanitize && \
	  ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:exitcode=23 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=23 \
	  ctest -L unit --output-on-failure -j $(JOBS)

bench: build
	bench/run-all.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize
