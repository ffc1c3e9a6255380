# The README's two commands. Both install what is missing first.
BUILD ?= build
TESTBUILD ?= build-test
JOBS ?= 2
FUZZ_SECONDS ?= 30
DEMO ?= $(CURDIR)/demo-shop
# ccache, when the machine has it, makes rebuilds of a second clone cheap
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

.PHONY: deps demo test build clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD) $(DEMO)

test: deps
	bash scripts/check-format.sh
	cmake -S . -B $(TESTBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAL_SANITIZE=ON -DKAL_TESTS=ON $(LAUNCHER)
	cmake --build $(TESTBUILD) -j$(JOBS)
	cd $(TESTBUILD) && QT_QPA_PLATFORM=offscreen ctest -j$(JOBS) --output-on-failure --timeout 600
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/run-fuzz.sh

clean:
	rm -rf $(BUILD) $(TESTBUILD)
