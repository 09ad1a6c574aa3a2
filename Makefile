# Two commands do everything:
#   make run   builds the program (only the program) and starts it in ./run,
#              a working folder holding the shipped Mandrelix.DEF and samples
#   make test  builds everything and runs every test
# and, for Python, make python builds the module mandrelix into build-python/
# (PYTHONPATH=build-python python3 then imports it).
BUILD ?= build
PROGRAM_BUILD ?= build-program
PYTHON_BUILD ?= build-python
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build program run test python bench pictures format check-format clean

all: build

# The program alone, in a folder of its own so that switching between
# `make run` and `make test` rebuilds nothing.
program:
	cmake -S . -B $(PROGRAM_BUILD) -DCMAKE_BUILD_TYPE=Release -DMANDRELIX_TESTS=OFF -DMANDRELIX_PRECOMPILED_STD=ON >/dev/null
	cmake --build $(PROGRAM_BUILD) -j $(JOBS) --target mandrelix

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDRELIX_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: program
	mkdir -p run
	for f in data/*; do [ -e "run/$$(basename $$f)" ] || cp "$$f" run/; done
	cd run && ../$(PROGRAM_BUILD)/mandrelix

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Python module alone: the package and its compiled core in
# $(PYTHON_BUILD)/mandrelix, the CMake build beside it.
python:
	cmake -S . -B $(PYTHON_BUILD)/cmake -DCMAKE_BUILD_TYPE=Release -DMANDRELIX_TESTS=OFF \
	  -DMANDRELIX_PYTHON=ON -DMANDRELIX_PYTHON_DIR=$(CURDIR)/$(PYTHON_BUILD) >/dev/null
	cmake --build $(PYTHON_BUILD)/cmake -j $(JOBS) --target mandrelix_python

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMANDRELIX_BENCH=ON -DMANDRELIX_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	for b in build-bench/bench/bench_*; do $$b; done

# The pictures of the README, made by the program from the shipped samples.
pictures: program
	bash docs/make_pictures.sh $(PROGRAM_BUILD)/mandrelix

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(PROGRAM_BUILD) $(PYTHON_BUILD) build-bench build-asan build-fuzz
