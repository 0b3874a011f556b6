# The two commands of the README, and a few helpers.
#   make run   installs what is missing, builds, lays out the program directory and starts Velomarq
#   make test  installs what is missing, builds and runs every test

BUILD_DIR     ?= build
VELOMARQ_HOME ?= $(HOME)/.local/share/velomarq
JOBS          ?= $(shell nproc 2>/dev/null || echo 2)
FORMAT_FILES   = $$(git ls-files 'src/*.cpp' 'src/*.h' 'src/*.h.in' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')

.PHONY: all deps configure build test run bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Velomarq is a desktop program; to run it without a screen use:"; \
	    echo "    xvfb-run make run"; \
	    exit 1; \
	fi
	@bash scripts/layout-program-dir.sh . "$(VELOMARQ_HOME)"
	cd "$(VELOMARQ_HOME)" && "$(CURDIR)/$(BUILD_DIR)/velomarq"

bench: build
	@for b in $(BUILD_DIR)/*_bench; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

format:
	@clang-format -i $(FORMAT_FILES)

clean:
	rm -rf $(BUILD_DIR)

# Installs the program, its shipped files, menu entry, icons and AppStream
# data under $(PREFIX); DESTDIR stages the tree elsewhere, as packagers do.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A Debian package, velomarq_<version>-<revision>_<arch>.deb, in $(BUILD_DIR).
package: build
	cmake --build $(BUILD_DIR) --target package
