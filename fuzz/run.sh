#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time. Fails on any crash, sanitizer
# report, input slower than the timeout or memory above the limit; what broke is kept in
# build-fuzz/artifacts.
#   fuzz/run.sh                 60 s per target
#   FUZZ_SECONDS=600 fuzz/run.sh  longer runs; FUZZ_JOBS=2 runs two processes per target
#   FUZZ_KINDS="jws jww" fuzz/run.sh  only these targets
#   FUZZ_SANITIZE=0 FUZZ_BUILD=build-fuzz-fast fuzz/run.sh  without the sanitizers: several times the
#     executions per second for long runs that look for crashes, slow inputs and disagreements
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${FUZZ_BUILD:-build-fuzz}
SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
JOBS=${FUZZ_JOBS:-1}

SANITIZERS=address,undefined
[ "${FUZZ_SANITIZE:-1}" = 0 ] && SANITIZERS=
mkdir -p "$BUILD"
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLAVIK_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link${SANITIZERS:+,$SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="${SANITIZERS:+-fsanitize=$SANITIZERS}" >"$BUILD/configure.log" 2>&1 ||
    { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" --target fuzz_jwk fuzz_jwc fuzz_jws fuzz_jww fuzz_seeds --parallel "$(nproc)"

seeds=$BUILD/seeds
rm -rf "$seeds"
"$BUILD/fuzz/fuzz_seeds" "$seeds/jwk" "$seeds/jwc" "$seeds/jws" "$seeds/jww"
# Every kept broken input seeds its reader's corpus, and so do the samples when there are any.
for kind in jwk jwc jws jww; do
    for dir in tests/data/broken samples; do
        [ -d "$dir" ] || continue
        find "$dir" -type f -iname "*.$kind" -exec cp {} "$seeds/$kind/" \;
    done
done

mkdir -p "$BUILD/artifacts" "$BUILD/corpus"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:allocator_may_return_null=0
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

parallel=()
if [ "$JOBS" -gt 1 ]; then parallel=(-jobs="$JOBS" -workers="$JOBS"); fi

status=0
# Inputs up to 64 KiB: thousands of records of the old formats, a drawing header of today with many
# block definitions. The renderers' budgets of work per call (smaller in fuzz builds) keep the eight
# renders of any such input well inside the one-second timeout under the sanitizers, so an input
# slower than that is a finding.
MAX_LEN=65536

for kind in ${FUZZ_KINDS:-jwk jwc jws jww}; do
    corpus=$BUILD/corpus/$kind
    mkdir -p "$corpus"
    echo "== fuzz_$kind for ${SECONDS_PER_TARGET} s"
    # The corpus grows across runs in the same build folder; the seeds are read each time.
    if ! "$BUILD/fuzz/fuzz_$kind" "$corpus" "$seeds/$kind" -max_total_time="$SECONDS_PER_TARGET" \
        -timeout=1 -rss_limit_mb=512 -malloc_limit_mb=512 -max_len="$MAX_LEN" -print_final_stats=1 \
        "${parallel[@]}" -artifact_prefix="$BUILD/artifacts/$kind-" \
        2>"$BUILD/fuzz_$kind.log"; then
        tail -n 60 "$BUILD/fuzz_$kind.log"
        echo "fuzz_$kind FAILED: see $BUILD/fuzz_$kind.log and $BUILD/artifacts/"
        status=1
    else
        grep -E '^(stat::|Done|INFO: Seed)' "$BUILD/fuzz_$kind.log" | tail -n 12 || true
    fi
done
exit $status
