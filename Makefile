# Thin wrapper over the CMake presets. Every target first makes sure the Debian packages
# that the build and the tests need are installed.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev \
            qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev \
            fonts-liberation2 fontconfig xvfb xauth x11-utils libxcb1-dev pkg-config libicu-dev \
            libxcb-damage0-dev dpkg-dev file lintian desktop-file-utils appstream dbus-daemon \
            at-spi2-core

WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64

JOBS ?= $(shell nproc)

.PHONY: all deps deps-windows configure build run test test-windows bench install package \
        format clean

all: build

# $(call install-missing,<packages>,<apt-get options>): installs what is missing as root;
# otherwise prints the exact command and stops.
define install-missing
@missing=$$(for p in $(1); do \
    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; \
  done); \
if [ -n "$$missing" ]; then \
  if [ "$$(id -u)" = 0 ]; then \
    echo "Installation des paquets manquants : $$missing"; \
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q$(if $(2), $(2)) $$missing; \
  else \
    echo "Paquets manquants. Installez-les avec :"; \
    echo "  sudo apt-get install -y$(if $(2), $(2)) $$missing"; \
    exit 1; \
  fi; \
fi
endef

deps:
	$(call install-missing,$(PACKAGES))

# The Windows build needs no Qt: the cross compiler and wine, without the packages wine only
# recommends (that keeps them near 1 GB).
deps-windows:
	$(call install-missing,$(WINDOWS_PACKAGES),--no-install-recommends)

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

# Cross-builds for Windows the layers that need no Qt (files, logic) and runs their plain test
# runner under wine, in a private prefix inside build-windows/.
test-windows: deps-windows
	cmake --preset windows-cross
	cmake --build --preset windows-cross -j $(JOBS)
	ctest --preset windows-cross

# Start-up is measured on the optimized program users run (build-release/).
bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./build-bench/bench/quervelle_bench --program build-release/quervelle

install: build
	cmake --install build-release

# The Debian package, from the same optimized build: build-release/quervelle_<version>_amd64.deb
# (and its debug information in quervelle-dbgsym_<version>_amd64.ddeb).
package: build
	cmake --build --preset release --target package

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-release build-asan build-bench build-windows
