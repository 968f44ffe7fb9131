#!/usr/bin/env bash
# Regenerates the reviewed golden images from the native build. This is a
# deliberate step: afterwards look at every changed image under
# tests/golden/images (git status lists them) before committing it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QUORVEL_GOLDEN_BUILD:-$root/build/golden}"
cmake --preset native -B "$build" -S "$root" >/dev/null
cmake --build "$build" --target quorvel_golden_tests -j2
cd "$root"
QUORVEL_UPDATE_GOLDEN=1 "$build/quorvel_golden_tests" --gtest_filter='*Match_The_Reviewed_Image*'
git -C "$root" status --short tests/golden/images
