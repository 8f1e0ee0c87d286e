# Wendral's two everyday commands are `make run` and `make test`; both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
BUILD ?= build
FUZZ_SECONDS ?= 60

DEB_PACKAGES := build-essential cmake pkg-config clang clang-format libclang-rt-14-dev \
  libomp-dev libgtest-dev libgmock-dev libbenchmark-dev \
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev \
  ccache qt6-base-dev qt6-svg-dev xvfb xauth xdg-utils fonts-dejavu-core \
  imagemagick netpbm python3 python3-pil \
  poppler-utils desktop-file-utils appstream

.PHONY: deps build test bench fuzz asan-test tsan-test format format-check run install uninstall package clean

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DWENDRAL_APP=ON
	cmake --build build-bench -j $(JOBS) --target wendral-bench
	./build-bench/bench/wendral-bench
	@if [ -d build-bench/bench/gui ]; then \
	  cmake --build build-bench -j $(JOBS) --target wendral-gui-bench && \
	  QT_QPA_PLATFORM=offscreen ./build-bench/bench/gui/wendral-gui-bench; \
	else echo "The windows' benchmark needs Qt 6: not built."; fi

# Every test again, the application's QtTests included, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
asan-test: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DWENDRAL_SANITIZE=ON -DWENDRAL_APP=ON -DWENDRAL_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The core tests, where the thread pool is used, under ThreadSanitizer. Built with clang: its
# OpenMP runtime loads Archer, which tells ThreadSanitizer how the runtime hands work to its
# threads and back; GCC's runtime does not, and every band would be reported as a race. The
# runtime itself is not instrumented, so reports from inside it are left out
# (ignore_noninstrumented_modules); every access of ours is still checked.
tsan-test: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDRAL_TSAN=ON -DWENDRAL_APP=OFF \
	  -DWENDRAL_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-tsan -j $(JOBS) --target wendral_core_tests
	TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:ignore_noninstrumented_modules=1 \
	  ./build-tsan/tests/wendral_core_tests

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDRAL_FUZZ=ON -DWENDRAL_APP=OFF \
	  -DWENDRAL_BENCH=OFF -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	cmake --build build-fuzz --target fuzz-seeds
	@set -e; for t in build-fuzz/tests/fuzz/fuzz_*; do \
	  [ -x "$$t" ] || continue; name=$$(basename $$t); \
	  mkdir -p build-fuzz/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
	    -print_final_stats=1 build-fuzz/corpus/$$name build-fuzz/seeds/$$name 2>&1 | tail -n 12; \
	  test $${PIPESTATUS[0]} -eq 0; \
	done

# Every tracked C++ file in the repository's own format (.clang-format).
format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display here: use 'xvfb-run make run' for a virtual one, or './$(BUILD)/tools/wendral-batch' to work without windows."; \
	  exit 1; \
	fi
	@if [ -x $(BUILD)/app/wendral ]; then ./$(BUILD)/app/wendral; \
	else echo "The desktop application is not built yet; use ./$(BUILD)/tools/wendral-batch."; exit 1; fi

# The program, wendral-batch, their data, the icon, the desktop entry and the AppStream file,
# under PREFIX (/usr/local unless given).
PREFIX ?= /usr/local
# The list of what was installed is kept apart from CMake's own, which every install (the
# tests' too) rewrites.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	cp $(BUILD)/install_manifest.txt $(BUILD)/installed_files.txt

uninstall:
	@if [ -f $(BUILD)/installed_files.txt ]; then \
	  xargs -d '\n' rm -fv < $(BUILD)/installed_files.txt; \
	  grep '/share/wendral/' $(BUILD)/installed_files.txt | head -n 1 | xargs -r dirname | \
	    xargs -r rmdir -v; \
	  rm -f $(BUILD)/installed_files.txt; \
	else echo "Nothing was installed from $(BUILD)."; fi

# A Debian package (.deb) in $(BUILD), installing under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench
