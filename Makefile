# Front door.  `make run` starts the sample shop; `make test` builds with the
# sanitizers and runs every test.
TEST_BUILD := build/asan
REL_BUILD  := build/release
BENCH_BUILD := build/bench
JOBS ?= $(shell nproc)

.PHONY: all deps test run bench format clean

all: run

deps:
	@scripts/install-deps

test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVINA_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS)

run: deps
	cmake -S . -B $(REL_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVINA_TESTS=OFF
	cmake --build $(REL_BUILD) -j $(JOBS) --target tolvina
	scripts/run-sample $(REL_BUILD)/tolvina

bench:
	@scripts/install-deps --bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVINA_TESTS=OFF -DTOLVINA_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
