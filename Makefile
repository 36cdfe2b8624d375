# The two entry points of the project: `make run` and `make test`.
# Both install whatever Debian packages are missing, then configure (once) and build in build/.
# `make run` installs and builds only what the program needs; `make test` adds the tests and
# what they need, and treats compiler warnings as errors (`make run` only shows them).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
WERROR ?= OFF
TESTS ?= OFF

# What the program needs to build and run.
RUN_PACKAGES := cmake ninja-build g++ \
	qt6-base-dev qt6-qpa-plugins libgl-dev zlib1g-dev libfontconfig-dev pkg-config \
	xdg-utils
# What only the tests and benchmarks need: GoogleTest, the archivers the zip tests compare
# with, python3 for the test servers and scripts, the FTP servers and the D-Bus daemon the
# tests start on their own.
TEST_PACKAGES := libgtest-dev libgmock-dev \
	zip unzip libarchive-tools python3 \
	vsftpd python3-pyftpdlib dbus-daemon
PACKAGES := $(RUN_PACKAGES)

.PHONY: run test deps build

run: build
	./$(BUILD_DIR)/tarvo-manager

test: PACKAGES += $(TEST_PACKAGES)
test: TESTS = ON
test: WERROR = ON
test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Packages install with their services held back: vsftpd's would listen on port 21 on every
# address (the tests start vsftpd processes of their own). A policy-rc.d that refuses every start
# stands in for the install, unless the machine has one of its own; vsftpd's service is disabled
# afterwards, so that it starts at no boot either.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		if [ ! -e /usr/sbin/policy-rc.d ]; then \
			trap 'rm -f /usr/sbin/policy-rc.d' EXIT; trap 'exit 1' INT TERM; \
			printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d; \
		fi; \
		apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing || exit 1; \
		case " $$missing " in *" vsftpd "*) \
			echo "Disabling the vsftpd service (the tests start their own vsftpd)"; \
			if [ -d /run/systemd/system ]; then systemctl disable --now vsftpd; \
			else update-rc.d vsftpd disable; fi ;; \
		esac; \
	fi

# Configures only a folder without build files (CMake itself reconfigures when a CMakeLists
# changes), or one that must now build the tests or treat warnings as errors.
build: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARVO_WERROR=$(WERROR) -DTARVO_TESTS=$(TESTS); \
	elif { [ $(WERROR) = ON ] && ! grep -q '^TARVO_WERROR:BOOL=ON$$' $(BUILD_DIR)/CMakeCache.txt; } || \
	     { [ $(TESTS) = ON ] && ! grep -q '^TARVO_TESTS:BOOL=ON$$' $(BUILD_DIR)/CMakeCache.txt; }; then \
		cmake $(BUILD_DIR) -DTARVO_WERROR=$(WERROR) -DTARVO_TESTS=$(TESTS); \
	fi
	cmake --build $(BUILD_DIR) -j$(JOBS)
