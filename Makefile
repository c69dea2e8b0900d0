# SPDX-License-Identifier: MIT
# The two commands that do everything on a fresh Debian machine:
#   make run   installs what is missing, builds (Release) and starts the program
#   make test  installs what is missing, builds (with sanitizers) and runs every test
# Each goal installs only the Debian packages it needs (scripts/setup.sh). Besides:
#   make package       the Debian source and binary packages in build/package, checked
#   make lint          the formatting and clang-tidy's checks of every project source
#   make clean         deletes build/, but keeps the saved definitions of a copy run from it

JOBS    ?= $(shell nproc)
RELEASE := build/release
TESTING := build/test
NOQT    := build/noqt

.PHONY: all setup setup-test setup-fuzz setup-bench setup-package setup-lint run test \
    build-release build-test check-noqt bench format lint clean

all: build-release

setup:
	@bash scripts/setup.sh run
setup-test:
	@bash scripts/setup.sh test
setup-fuzz:
	@bash scripts/setup.sh fuzz
setup-bench:
	@bash scripts/setup.sh bench
setup-package:
	@bash scripts/setup.sh package
setup-lint:
	@bash scripts/setup.sh lint

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DTABBIT_TESTS=OFF

$(TESTING)/CMakeCache.txt:
	cmake -S . -B $(TESTING) -DCMAKE_BUILD_TYPE=Debug -DTABBIT_SANITIZE=ON

build-release: setup $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j$(JOBS)

build-test: setup-test $(TESTING)/CMakeCache.txt
	cmake --build $(TESTING) -j$(JOBS)

run: build-release
	$(RELEASE)/bin/tabbit

# The record engine and the settings-file engine must build without Qt.
check-noqt: setup-test
	cmake -S . -B $(NOQT) -DCMAKE_BUILD_TYPE=Debug -DTABBIT_QT=OFF > /dev/null

test: build-test check-noqt
	cd $(TESTING) && ctest --output-on-failure -j$(JOBS)

# The benchmarks are built in the Release tree, which then keeps building them.
bench: setup-bench build-release
	cmake -S . -B $(RELEASE) -DTABBIT_BENCH=ON > /dev/null
	cmake --build $(RELEASE) -j$(JOBS)
	bash bench/run_benchmarks.sh $(RELEASE)

# The faker libraries of JavaScript (npm, into build/peers) and Python (Debian) on tabbit-gen's
# 5-digit work; once installed, `make bench` times them too.
PEERS := build/peers
.PHONY: bench-peers
bench-peers: build-release
	bash bench/install_peers.sh $(PEERS)
	PEERS_DIR=$(PEERS) bash bench/gen_vs_floor.sh --peers-only $(RELEASE)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# A copy run from its build folder keeps its settings file, with the saved definitions, beside
# itself: every build/*/bin/tabbit.ini that holds definitions stays, everything else goes.
clean:
	@bash scripts/clean_build.sh build

# The Debian packages, built as a distribution builds them (scripts/build_package.sh): the
# source package and the binary packages tabbit and tabbit-gen with their -dbgsym packages, in
# build/package. They are then checked: by lintian, source and binaries, where an error or a
# warning fails the goal; for their contents, hardening and stripping (test_package.sh); and by
# their autopkgtests (debian/tests), which install them on this machine and so need root.
PACKAGE  := build/package
DEBVERSION = $(shell dpkg-parsechangelog -S Version)
DEBARCH    = $(shell dpkg --print-architecture)
CHANGES    = $(PACKAGE)/tabbit_$(DEBVERSION)_$(DEBARCH).changes
.PHONY: package package-again
package: setup-package
	bash scripts/build_package.sh $(PACKAGE) $(JOBS)
	lintian --pedantic --display-info --fail-on error,warning $(CHANGES)
	sh tests/package/test_package.sh $(PACKAGE)/tabbit_$(DEBVERSION)_$(DEBARCH).deb \
	    $(PACKAGE)/tabbit-gen_$(DEBVERSION)_$(DEBARCH).deb
	autopkgtest --quiet $(CHANGES) -- null

# After `make package`: builds the packages again, in another folder, and compares them byte for
# byte with the first build's. They are made from the same tree at the time of the changelog
# entry, so any difference is something of the build machine leaking into them.
package-again: setup-package
	bash scripts/build_package.sh $(PACKAGE)-again $(JOBS)
	@set -e; n=0; for f in $(PACKAGE)/*.deb; do \
	    cmp "$$f" "$(PACKAGE)-again/$${f##*/}"; n=$$((n + 1)); \
	done; echo "$$n packages built twice are byte for byte the same"

# The house rules of CODING.md that tools can hold: every C++ file formatted as .clang-format
# says, and no finding of the clang-tidy checks in .clang-tidy in a project source. clang-tidy
# reads the compile commands of a plain Debug build in build/lint, of which only what the
# generated files (moc) need is built: the libraries, not the programs and tests. It looks at
# the sources and headers of the project, not at generated files; bench/ is not built here.
LINT := build/lint
LINT_DIRS := engine|store|platform|widgets|dialogs|mainwindow|app|cli|tests
# A target's generated files do not wait here for the targets it links to be built.
$(LINT)/CMakeCache.txt:
	cmake -S . -B $(LINT) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF > /dev/null
lint: setup-lint $(LINT)/CMakeCache.txt
	git ls-files '*.cpp' '*.h' | xargs clang-format-14 --dry-run -Werror
	cmake --build $(LINT) -j$(JOBS) --target \
	    $$(cmake --build $(LINT) --target help | sed -n 's/^\.\.\. \(.*_autogen\)$$/\1/p')
	run-clang-tidy-14 -p $(LINT) -j$(JOBS) -quiet \
	    -header-filter='^$(CURDIR)/($(LINT_DIRS))/' '^$(CURDIR)/($(LINT_DIRS))/'

# Fuzzing (clang-14 with libclang-rt-14-dev): builds the libFuzzer targets of tests/fuzz and
# runs each for FUZZ_SECONDS seconds on a scratch copy of its seed corpus, so that the
# committed corpus never grows by itself. A finding stops the run; the input that caused it
# is kept in build/fuzz/artifacts/ and the target's log in build/fuzz/<target>.log.
FUZZ         := build/fuzz
FUZZ_SECONDS ?= 60
# target:max_len, the longest input worth trying for each.
FUZZ_TARGETS := fuzz_definition:1024 fuzz_codes:256 fuzz_dates:512 fuzz_settings:4096

$(FUZZ)/CMakeCache.txt:
	@command -v clang++-14 > /dev/null || { echo "make fuzz needs clang: apt-get install clang-14 libclang-rt-14-dev"; exit 1; }
	cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTABBIT_QT=OFF -DTABBIT_TESTS=OFF -DTABBIT_FUZZ=ON

.PHONY: fuzz
fuzz: setup-fuzz $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j$(JOBS)
	@set -e; for entry in $(FUZZ_TARGETS); do \
	    target=$${entry%%:*}; maxlen=$${entry##*:}; \
	    work=$(FUZZ)/corpus-work/$$target; \
	    mkdir -p $$work $(FUZZ)/artifacts; \
	    cp tests/fuzz/corpus/$$target/* $$work/; \
	    echo "== $$target: $(FUZZ_SECONDS) s"; \
	    if ! $(FUZZ)/bin/$$target -max_total_time=$(FUZZ_SECONDS) -max_len=$$maxlen \
	        -print_final_stats=1 -artifact_prefix=$(FUZZ)/artifacts/$$target- $$work \
	        > $(FUZZ)/$$target.log 2>&1; then \
	        tail -n 60 $(FUZZ)/$$target.log; exit 1; \
	    fi; \
	    grep -E 'DONE|stat::number_of_executed_units' $(FUZZ)/$$target.log; \
	    echo "$$work: $$(ls $$work | wc -l) files"; \
	done
