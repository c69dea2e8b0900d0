# The two commands that do everything on a fresh Debian machine:
#   make run   installs what is missing, builds (Release) and starts the program
#   make test  installs what is missing, builds (with sanitizers) and runs every test

JOBS    ?= $(shell nproc)
RELEASE := build/release
TESTING := build/test
NOQT    := build/noqt

.PHONY: all setup run test build-release build-test check-noqt bench format clean

all: build-release

setup:
	@bash scripts/setup.sh

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DTABBIT_TESTS=OFF -DTABBIT_BENCH=ON

$(TESTING)/CMakeCache.txt:
	cmake -S . -B $(TESTING) -DCMAKE_BUILD_TYPE=Debug -DTABBIT_SANITIZE=ON

build-release: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j$(JOBS)

build-test: setup $(TESTING)/CMakeCache.txt
	cmake --build $(TESTING) -j$(JOBS)

run: build-release
	$(RELEASE)/bin/tabbit

# The record engine and the settings-file engine must build without Qt.
check-noqt: setup
	cmake -S . -B $(NOQT) -DCMAKE_BUILD_TYPE=Debug -DTABBIT_QT=OFF > /dev/null

test: build-test check-noqt
	cd $(TESTING) && ctest --output-on-failure -j$(JOBS)

bench: build-release
	bash bench/run_benchmarks.sh $(RELEASE)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
