# The two set-up commands of the README, and a few helpers.
.PHONY: test bench clean

# Installs what is missing, builds both builds and runs every test.
test:
	bash scripts/test-all.sh

# Builds and runs the benchmarks natively.
bench:
	bash scripts/install-deps.sh
	cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
	cmake --build build/native
	for b in build/native/bench/*_bench; do $$b; done

clean:
	rm -rf build
