# The two entry points of the project: `make run` and `make test`.
# Both install whatever Debian packages are missing, then configure and build in build/.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config \
	qt6-base-dev qt6-qpa-plugins libgl-dev \
	zlib1g-dev libminizip-dev libgtest-dev libgmock-dev \
	zip unzip libarchive-tools python3 \
	vsftpd python3-pyftpdlib \
	xdg-utils dbus-daemon

.PHONY: run test deps build

run: build
	./$(BUILD_DIR)/tarvo-manager

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

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j$(JOBS)
