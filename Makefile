# The two set-up commands. Both install what is missing first.
BUILD ?= build
JOBS ?= 2

.PHONY: demo test build bootstrap bench

bootstrap:
	@bash scripts/bootstrap.sh

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) >$(BUILD)/build.log 2>&1 || { tail -n 60 $(BUILD)/build.log; exit 1; }
	@grep -h 'Stub.exe:' $(BUILD)/build.log | sed 's/^-- //' || true

test: build
	@cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

demo: build
	@python3 scripts/demo.py --build $(BUILD)

# Extraction speed, memory and size against NSIS and the physical limit;
# prints the table and writes bench/results/.
bench: build
	@bash bench/bootstrap.sh
	@python3 bench/bench.py --build $(BUILD)
