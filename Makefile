# Thin wrapper over the CMake presets. Every target first makes sure the Debian packages
# that the build and the tests need are installed.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev \
            qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev \
            fonts-liberation2 fontconfig xvfb xauth x11-utils libxcb1-dev pkg-config \
            dbus-daemon at-spi2-core

JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench install format clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installation des paquets manquants : $$missing"; \
	    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	  else \
	    echo "Paquets manquants. Installez-les avec :"; \
	    echo "  sudo apt-get install -y $$missing"; \
	    exit 1; \
	  fi; \
	fi

# The program users run and install is the optimized one; the tests keep the Debug and
# sanitizer builds.
configure: deps
	cmake --preset release

build: configure
	cmake --build --preset release -j $(JOBS)

run: build
	./build-release/quervelle

test: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: deps
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./build-bench/bench/quervelle_bench

install: build
	cmake --install build-release

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-release build-asan build-bench
