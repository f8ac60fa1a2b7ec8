# The set-up commands of the README, and a few helpers.
.PHONY: test demo demo-windows demo-leab demo-real-feed idle-cost soak soak-windows bench fuzz clean

# Installs what is missing, builds both builds and runs every test.
test:
	bash scripts/test-all.sh

# The program's main job with the stand-in simulator and the stand-in
# RealTraffic: natively, or the Windows build under Wine.
demo:
	bash scripts/demo.sh

demo-windows:
	bash scripts/demo.sh --windows

# The second scenario: the user parked at an add-on airport (LEAB) whose
# scenery the scan at start turns into the park airport's file.
demo-leab:
	bash scripts/demo.sh --leab

# Ground traffic at Schiphol replayed as a real feed sends it, and how
# faithfully the program moved each aircraft on the ground.
demo-real-feed:
	bash scripts/demo.sh --real-feed

# The program's own CPU time while it idles with the stand-ins.
idle-cost:
	bash scripts/idle-cost.sh

# The whole program under load and link faults for VLNT_SOAK_SECONDS
# (default 1800): natively, or the Windows build under Wine
# (SOAK_FLAGS=--asan or --tsan for the sanitizer builds).
soak:
	bash scripts/soak.sh $(SOAK_FLAGS)

soak-windows:
	bash scripts/soak.sh --windows $(SOAK_FLAGS)

# Builds the libFuzzer targets with clang and runs each for 5 minutes
# (VLNT_FUZZ_SECONDS sets another length).
fuzz:
	bash scripts/install-deps.sh
	bash scripts/fuzz.sh $${VLNT_FUZZ_SECONDS:-300}

# Builds and runs the benchmarks natively.
bench:
	bash scripts/install-deps.sh
	cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
	cmake --build build/native
	for b in build/native/bench/*_bench; do $$b; done

clean:
	rm -rf build
