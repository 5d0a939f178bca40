# Compile settings every Brontile target links against: warnings, floating-point determinism and,
# in the checking build, the sanitizers.

add_library(brontile_options INTERFACE)
target_compile_options(brontile_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow
  # Fused multiply-add changes rounding; geometry must give the same answer on every compiler.
  -ffp-contract=off)

if(BRONTILE_WERROR)
  target_compile_options(brontile_options INTERFACE -Werror)
endif()

if(BRONTILE_SANITIZE)
  set(brontile_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all
                          -fno-omit-frame-pointer)
  target_compile_options(brontile_options INTERFACE ${brontile_sanitizers})
  target_link_options(brontile_options INTERFACE ${brontile_sanitizers})
endif()

# Declares a module library: sources are listed by name, includes are rooted at src/ so that
# they name the module ("domain/solid_mesh.hpp").
function(brontile_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC brontile_options ${ARG_DEPENDS})
endfunction()
