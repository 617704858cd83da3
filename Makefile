# Thin wrapper over the CMake presets. Every target first makes sure the Debian packages
# that the build and the tests need are installed.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev \
            qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev \
            fonts-liberation2 fontconfig xvfb xauth x11-utils libxcb1-dev pkg-config libicu-dev \
            libxcb-damage0-dev dpkg-dev file lintian desktop-file-utils appstream dbus-daemon \
            at-spi2-core xdotool

WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine \
                    g++ qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev xvfb \
                    xauth xdotool wixl

# Qt for Windows, cross-built once for the project (its README says how), beside the checkout;
# unpacked into build-windows/kit when it is there.
QT_WINDOWS_KIT := ../shared/qt6-mingw/qt6.4.2-mingw64-prefix.tar.xz
QT_WINDOWS_TOOLCHAIN := build-windows/kit/prefix/lib/cmake/Qt6/qt.toolchain.cmake

JOBS ?= $(shell nproc)

.PHONY: all deps deps-windows configure build run test test-windows package-windows bench \
        install package format clean reference-pictures

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

# The Windows build: the cross compiler, wine and its own fonts, without the packages wine only
# recommends (that keeps them near 1 GB); Qt's host tools and Qt's translations (built into the
# program) for the build with Qt for Windows, and Qt, Xvfb and xdotool for the tests that use the
# Windows program's window from here.
deps-windows:
	$(call install-missing,$(WINDOWS_PACKAGES),--no-install-recommends)

# The program users run and install is the optimized one; the tests keep the Debug and
# sanitizer builds, and one of them (e2e_program_release) uses that optimized program through its
# window, so `test` builds it first.
configure: deps
	cmake --preset release

build: configure
	cmake --build --preset release -j $(JOBS)

run: build
	./build-release/quervelle

test: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Cross-builds for Windows the layers that need no Qt (files, logic) and runs their plain test
# runner under wine, in a private prefix inside build-windows/. With Qt for Windows beside the
# checkout, also the whole program, its zip and its Qt tests under wine; then, from here, the
# program used through its real window and its zip started in a fresh prefix (skipped, saying
# why, without the kit).
test-windows: deps-windows
	cmake --preset windows-cross
	cmake --build --preset windows-cross -j $(JOBS)
	ctest --preset windows-cross
ifneq ($(wildcard $(QT_WINDOWS_KIT)),)
	$(MAKE) $(QT_WINDOWS_TOOLCHAIN)
	cmake --preset windows-cross-qt
	cmake --build --preset windows-cross-qt -j $(JOBS)
	ctest --preset windows-cross-qt
else
	@echo "Pas de Qt pour Windows ($(QT_WINDOWS_KIT) manque) : le programme entier n'est pas compilé pour Windows, ses tests sous wine seront sautés."
endif
	cmake --preset wine
	cmake --build --preset wine -j $(JOBS)
	ctest --preset wine

# The program for Windows as it ships: build-windows/qt/quervelle-windows-x64.zip, and its
# installer build-windows/qt/quervelle-<version>-x64.msi (made by wixl).
package-windows: deps-windows
ifneq ($(wildcard $(QT_WINDOWS_KIT)),)
	$(MAKE) $(QT_WINDOWS_TOOLCHAIN)
	cmake --preset windows-cross-qt
	cmake --build --preset windows-cross-qt -j $(JOBS) --target windows_zip windows_msi
	@echo "Archive pour Windows : build-windows/qt/quervelle-windows-x64.zip"
	@echo "Installateur pour Windows : $$(ls build-windows/qt/quervelle-*-x64.msi)"
else
	@echo "Pas de Qt pour Windows : $(QT_WINDOWS_KIT) manque ; voir le README, section Windows."
	@exit 1
endif

$(QT_WINDOWS_TOOLCHAIN): $(QT_WINDOWS_KIT)
	rm -rf build-windows/kit
	mkdir -p build-windows/kit
	tar -xJf $(QT_WINDOWS_KIT) -C build-windows/kit
	touch $@

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

# Renews the pictures the look is compared with (tests/e2e/reference/, at scale 1 and 2) and
# the README's screenshot, from the window as it is now: a deliberate step, whose commit shows
# the pictures.
REFERENCE_RUN := QUERVELLE_SOURCE_DIR=$(CURDIR) QUERVELLE_BINARY_DIR=$(CURDIR)/build \
                 QUERVELLE_WRITE_REFERENCES=1 ./build/tests/e2e/tst_e2e_screenshot reference
# With Qt for Windows beside the checkout, also the Windows program's under wine.
reference-pictures: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target tst_e2e_screenshot
	$(REFERENCE_RUN)
	QT_SCALE_FACTOR=2 QUERVELLE_SCREENSHOT=quervelle@2x.png $(REFERENCE_RUN)
ifneq ($(wildcard $(QT_WINDOWS_KIT)),)
	$(MAKE) deps-windows $(QT_WINDOWS_TOOLCHAIN)
	cmake --preset windows-cross-qt
	cmake --build --preset windows-cross-qt -j $(JOBS) --target windows_zip quervelle_probe
	cmake --preset wine
	cmake --build --preset wine -j $(JOBS) --target tst_wine_program
	QUERVELLE_WINDOWS_BUILD=$(CURDIR)/build-windows/qt QUERVELLE_SOURCE_DIR=$(CURDIR) \
	  QUERVELLE_BINARY_DIR=$(CURDIR)/build-windows/wine QUERVELLE_WRITE_REFERENCES=1 \
	  ./build-windows/wine/tests/wine/tst_wine_program window
else
	@echo "Pas de Qt pour Windows ($(QT_WINDOWS_KIT) manque) : l'image de référence sous wine n'est pas refaite."
endif

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-release build-asan build-bench build-windows
