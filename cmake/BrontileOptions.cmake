# Compile settings every Brontile target links against: warnings, floating-point determinism and,
# in the checking build, the sanitizers.

add_library(brontile_options INTERFACE)
target_compile_options(brontile_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow
  # Fused multiply-add changes rounding; geometry must give the same answer on every compiler.
  -ffp-contract=off
  # A switch over one of our enumerations lists every case, so a new case is flagged wherever it
  # must be handled.
  -Werror=switch)

if(BRONTILE_WERROR)
  target_compile_options(brontile_options INTERFACE -Werror)
endif()

if(BRONTILE_SANITIZE)
  set(brontile_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all
                          -fno-omit-frame-pointer)
  target_compile_options(brontile_options INTERFACE ${brontile_sanitizers})
  target_link_options(brontile_options INTERFACE ${brontile_sanitizers})
endif()

