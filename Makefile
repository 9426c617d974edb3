# Two commands do all the set-up on a fresh Debian 12 machine:
#   make run    install what is missing, build, open a sample
#   make test   install what is missing, build, run every test
BUILD       ?= build
FUZZ_BUILD  ?= build-fuzz
ASAN_BUILD  ?= build-asan
# Seconds per fuzz target in make test (8 s x 10 targets keeps make test within 10 minutes);
# longer by hand:
#   make fuzz FUZZ_SECONDS=300
FUZZ_SECONDS ?= 8
JOBS        ?= $(shell nproc)

PACKAGES = cmake ninja-build g++ make libgtest-dev clang libclang-rt-14-dev \
           zlib1g-dev libpng-dev libjpeg62-turbo-dev libgif-dev libffi-dev libfreetype-dev libfontconfig-dev \
           qt6-base-dev qt6-multimedia-dev qt6-translations-l10n fonts-ipafont-gothic xvfb xauth \
           poppler-utils

.PHONY: all deps build run test fuzz asan bench clean install

# Installs under PREFIX (default /usr/local): make install PREFIX=$$HOME/.local
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "missing packages; run as root:"; echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Builds only the program and opens the sample panel in its window; without a display it
# renders the window into a picture instead and says where.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target kovash
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD)/app/kovash examples/panel.kov; \
	else $(BUILD)/app/kovash --screenshot $(BUILD)/panel.png examples/panel.kov 2>/dev/null && \
	  echo "no display: the window of examples/panel.kov is in $(BUILD)/panel.png"; fi

$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DKOV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Each fuzz target runs for a bounded time on its seed corpus; a crash fails the build.
# tests/fuzz/fuzz_<name>.options holds further libFuzzer options of a target (-max_len=...).
fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@set -e; for f in $(FUZZ_BUILD)/tests/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; n=$$(basename $$f); \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$n; \
	  seeds=tests/fuzz/seeds/$${n#fuzz_}; [ -d $$seeds ] || seeds=""; \
	  opts=$$(cat tests/fuzz/$$n.options 2>/dev/null || true); \
	  echo "fuzz: $$n for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 $$opts \
	      -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus/$$n $$seeds > $(FUZZ_BUILD)/$$n.log 2>&1 \
	    || { tail -50 $(FUZZ_BUILD)/$$n.log; exit 1; }; \
	done

# Every test again under AddressSanitizer and UBSan (gcc, -O1 to keep the build short).
$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DKOV_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g"

# The window's tests too: Qt's own libraries are not instrumented, our code in them is (leaks
# are not checked there: Qt keeps caches until the process ends).
asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target kovash test_base test_sheet test_script test_builtins test_gadgets test_devices test_print test_editor test_app test_qt
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE qt
	ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L qt

# Every test also runs on the text reader alone (no statement trees, no parsed forms), and
# every script a test runs first runs on a twin with the reader alone, then with every tree
# built at the first run: results, error texts and positions and the statement hooks' positions
# must agree. ctest runs last so that its summary closes the output.
test: build fuzz asan
	KOVASH_TREE=0 KOVASH_NOCACHE=1 ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE qt
	KOVASH_TREE=diff ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE qt
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	bench/run $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD)
