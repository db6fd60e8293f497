# Set-up, build, tests and the emulated box in one place.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps build test demo clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@sh box/demo.sh $(BUILD) out

clean:
	rm -rf $(BUILD) out
