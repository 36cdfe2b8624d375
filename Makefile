# The two entry points of the project: `make run` and `make test`.
# Both install whatever Debian packages are missing, then configure (once) and build in build/.
# `make test` treats compiler warnings as errors; `make run` only shows them.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
WERROR ?= OFF

PACKAGES := cmake ninja-build g++ \
	qt6-base-dev qt6-qpa-plugins libgl-dev \
	zlib1g-dev libgtest-dev libgmock-dev \
	zip unzip libarchive-tools python3 \
	vsftpd python3-pyftpdlib \
	xdg-utils dbus-daemon

.PHONY: run test deps build

run: build
	./$(BUILD_DIR)/tarvo-manager

test: WERROR = ON
test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

# Configures only a folder without build files (CMake itself reconfigures when a CMakeLists
# changes), or one that must now treat warnings as errors.
build: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARVO_WERROR=$(WERROR); \
	elif [ $(WERROR) = ON ] && ! grep -q '^TARVO_WERROR:BOOL=ON$$' $(BUILD_DIR)/CMakeCache.txt; then \
		cmake $(BUILD_DIR) -DTARVO_WERROR=ON; \
	fi
	cmake --build $(BUILD_DIR) -j$(JOBS)
