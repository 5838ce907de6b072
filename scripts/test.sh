#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: once in the normal build (build/) and once
# in a build under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer (build-sanitize/), where
# any report fails the test that made it. Then builds the photo decoder's fuzz target with clang
# (build-fuzz/) and runs it once over its seeds and recorded regressions, so that it keeps compiling and
# every recorded input stays harmless; that run counts as one test. Ends with the count of all of them;
# fails when any test failed.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1
scripts/build.sh || exit 1

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"
status=0

echo "== Tests in the normal build"
(cd build && ctest --output-on-failure --timeout 300 -j"$jobs") | tee build/ctest.log || status=1

echo "== Tests under the sanitizers"
# -O1 and line tables only: what the sanitizers' reports need, in less build time than -O2 -g.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCODAZZURRA_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCODAZZURRA_BENCHMARKS=OFF \
    > build-sanitize.log 2>&1 || { cat build-sanitize.log; exit 1; }
cmake --build build-sanitize -j"$jobs" >> build-sanitize.log 2>&1 || { tail -50 build-sanitize.log; exit 1; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-sanitize && ctest --output-on-failure --timeout 600 -j"$jobs") | tee build-sanitize/ctest.log || status=1

echo "== Fuzz target over its recorded inputs"
# Given files rather than a folder, libFuzzer runs each of them once and exits: no fuzzing happens here.
# The time limit only catches a hang; the decoder's speed is measured by benchmarks/bench_jpeg.
fuzz="passed"
if ! { CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCODAZZURRA_FUZZ=ON \
           -DCODAZZURRA_BENCHMARKS=OFF -DBUILD_TESTING=OFF &&
       cmake --build build-fuzz --target fuzz_jpeg_decode -j"$jobs"; } > build-fuzz.log 2>&1; then
    tail -50 build-fuzz.log
    fuzz="failed to build"
elif ! build-fuzz/fuzz/fuzz_jpeg_decode -timeout=120 -artifact_prefix=build-fuzz/ \
         tests/data/jpeg/seeds/*.jpg tests/data/jpeg/regressions/*.jpg > build-fuzz/run.log 2>&1; then
    tail -50 build-fuzz/run.log
    fuzz="failed"
fi
echo "fuzz_jpeg_decode: $fuzz"

# One line for all runs.
count() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -1; }
normal=$(count build/ctest.log)
sanitized=$(count build-sanitize/ctest.log)
fuzzFailed=$([ "$fuzz" = "passed" ] && echo 0 || echo 1)
failed=$(( ${normal%% *} + ${sanitized%% *} + fuzzFailed ))
total=$(( ${normal##* } + ${sanitized##* } + 1 ))
[ -n "$normal" ] && [ -n "$sanitized" ] || status=1
[ "$failed" -eq 0 ] || status=1
echo "$((total - failed)) passed, $failed failed (normal build: $normal; sanitizer build: $sanitized;" \
    "fuzz target: $fuzz)"
exit $status
