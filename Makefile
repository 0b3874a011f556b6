# The two commands of the README, and a few helpers.
#   make run   installs what is missing, builds, lays out the program directory and starts Velomarq
#   make test  installs what is missing, builds and runs every test

BUILD_DIR     ?= build
SANITIZE_DIR  ?= build-sanitize
VELOMARQ_HOME ?= $(HOME)/.local/share/velomarq
JOBS          ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds with warnings as errors (CI=true, or WERROR=ON by hand); a build
# elsewhere only shows them. Unset, the build folder keeps what it had.
WERROR        ?= $(if $(filter true 1 yes,$(CI)),ON)
WERROR_FLAG    = $(if $(WERROR),-DVELOMARQ_WERROR=$(WERROR))
FORMAT_FILES   = $$(git ls-files 'src/*.cpp' 'src/*.h' 'src/*.h.in' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')

.PHONY: all deps configure build test test-sanitize run bench hosts format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR_FLAG) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leaks inside third-party libraries are suppressed by name in
# tests/sanitizer/lsan.supp; our own code gets no suppressions.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELOMARQ_SANITIZE=ON \
	    $(WERROR_FLAG) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && \
	    ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Velomarq is a desktop program; to run it without a screen use:"; \
	    echo "    xvfb-run make run"; \
	    exit 1; \
	fi
	@bash scripts/layout-program-dir.sh . "$(VELOMARQ_HOME)"
	cd "$(VELOMARQ_HOME)" && "$(CURDIR)/$(BUILD_DIR)/velomarq"

# The benchmarks are not part of the default build; this builds and runs them.
bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	@for b in $(BUILD_DIR)/*_bench; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

# The hosts in tests/manual, for looking at single pieces by hand (screenshots).
hosts: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target manual_hosts

format:
	@clang-format -i $(FORMAT_FILES)

# Fails when a file is out of format; `make format` mends it.
format-check:
	@clang-format --dry-run -Werror $(FORMAT_FILES)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)

# Installs the program, its shipped files, menu entry, icons and AppStream
# data under $(PREFIX); DESTDIR stages the tree elsewhere, as packagers do.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A Debian package, velomarq_<version>-<revision>_<arch>.deb, in $(BUILD_DIR).
package: build
	cmake --build $(BUILD_DIR) --target package
