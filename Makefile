# The README's commands. `make run` builds and starts the program under Wine; `make test` installs what is
# missing, builds every preset, runs the unit tests, the end-to-end suites of both front ends and the check of
# the packages (`make dist`). `make run-linux` starts the native Linux program.
SHELL := /bin/bash
.DEFAULT_GOAL := help
.PHONY: help deps build native linux i686 x86_64 unit e2e fuzz bench dist test run run-linux ci-chroot clean

help:
	@echo "make run   - build and start vigilamp.exe under Wine (on \$$DISPLAY, or a virtual display)"
	@echo "make run-linux - build and start the native Linux program (on \$$DISPLAY, or a virtual display)"
	@echo "make test  - install what is missing, build all presets, run unit and end-to-end tests"
	@echo "make bench - print the benchmark's figures (make fuzz, make dist: fuzzing at length, the packages)"
	@echo "make ci-chroot - as root: CI's run on a fresh Debian 12 chroot (the committed HEAD; not part of make test)"

deps:
	@scripts/deps.sh

native: deps
	@cmake --preset native >/dev/null && cmake --build --preset native

linux: deps
	@cmake --preset linux >/dev/null && cmake --build --preset linux

i686 x86_64: deps
	@cmake --preset mingw-$@ >/dev/null && cmake --build --preset mingw-$@

build: native linux i686 x86_64

unit: native
	@ctest --preset native 2>&1 | tail -n 3

e2e: i686 x86_64
	@scripts/e2e.sh

# Figures, not pass or fail: make bench BENCH_SECONDS=60
bench: deps
	@scripts/bench.sh $${BENCH_SECONDS:-60}

# Longer fuzzing on demand: make fuzz FUZZ_SECONDS=600
fuzz: deps
	@scripts/fuzz.sh $${FUZZ_SECONDS:-300}

# The packages under build/dist: per Windows target a portable zip and an installer (tests/dist/check_dist.sh
# checks them), and the Debian package of the Linux program (tests/dist/check_deb.sh, as root)
dist: linux i686 x86_64
	@scripts/dist.sh

test: build
	@scripts/test.sh

run: x86_64
	@scripts/run.sh

run-linux: linux
	@scripts/run-linux.sh

# The suite as CI runs it, on a fresh Debian 12 made with debootstrap under build/ci-chroot (as root)
ci-chroot:
	@scripts/ci-chroot.sh

clean:
	rm -rf build/native build/linux build/i686 build/x86_64 build/fuzz build/dist
