# Two commands do everything:
#   make run   builds the program and starts it in ./run, a working folder
#              holding the shipped Mandrelix.DEF and sample circuit files
#   make test  builds and runs every test
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	mkdir -p run
	for f in data/*; do [ -e "run/$$(basename $$f)" ] || cp "$$f" run/; done
	cd run && ../$(BUILD)/mandrelix

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMANDRELIX_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	for b in build-bench/bench/bench_*; do $$b; done

clean:
	rm -rf $(BUILD) build-bench build-asan
