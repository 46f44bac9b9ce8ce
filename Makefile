# The README's commands. Each one installs what is missing first.
BUILD ?= build
PREFIX ?= /usr/local
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build test sanitize install run bench fuzz format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests that need no OpenGL driver and no X server, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize.
sanitize: deps
	@JOBS=$(JOBS) bash scripts/run-sanitize.sh $(CURDIR)/build-sanitize

# The programs, the launcher, icons, file types and the user guide under PREFIX.
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

run: build
	@bash scripts/run-demo.sh $(BUILD)

bench: build
	@bash scripts/run-benchmarks.sh $(BUILD)

fuzz: deps
	@bash scripts/run-fuzz.sh

format:
	@git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf $(BUILD) build-fuzz build-sanitize
