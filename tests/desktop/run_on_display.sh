#!/usr/bin/env bash
# Runs the window tests on a private virtual display. In the checking build it also fits the
# address sanitizer to the system libraries under Qt: xkbcommon hands strndup strings that end at
# the edge of their buffer (legal C, but strict string checks read the whole length). Leaks of
# Mesa, fontconfig and Qt's caches are suppressed by library name (tests/leak_suppressions.txt);
# leaks in our own code still fail the run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
exec "$here/../../scripts/with-display" "$@"
