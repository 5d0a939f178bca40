# The module layers: which modules each module may use. This table is the one rule for both the
# build (a module links exactly what it may use) and the layering test, which fails when a source
# file includes a header of a module outside its allowed set. A module may always use itself and,
# through the listed modules, everything they may use. Rows run from the bottom layer up; a row
# may only name modules above it in the list.
set(BRONTILE_MODULES
  base
  geometry
  sketch
  document
  interaction
  kernel
  commands
  shortcuts
  io
  viewport
  tools
  session
  replay
  cli
  desktop)

set(brontile_uses_base)
set(brontile_uses_geometry base)
set(brontile_uses_sketch geometry)
set(brontile_uses_document sketch)
set(brontile_uses_interaction document)
set(brontile_uses_kernel sketch)
set(brontile_uses_commands base)
set(brontile_uses_shortcuts commands interaction)
set(brontile_uses_io document)
set(brontile_uses_viewport interaction)
set(brontile_uses_tools interaction kernel commands)
set(brontile_uses_session tools shortcuts io viewport)
set(brontile_uses_replay session)
set(brontile_uses_cli replay)
# The desktop shell replays scripts against the real window.
set(brontile_uses_desktop replay)

# brontile_add_module(<module> SOURCES ... [DEPENDS <external targets>]): the library brontile_<module>,
# linked against the modules its row allows. Includes are rooted at src/ so that they name the
# module ("geometry/solid_mesh.hpp").
function(brontile_add_module module)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT module IN_LIST BRONTILE_MODULES)
    message(FATAL_ERROR "Module '${module}' has no row in the layer table (cmake/BrontileModules.cmake)")
  endif()
  set(uses)
  foreach(used IN LISTS brontile_uses_${module})
    list(APPEND uses brontile_${used})
  endforeach()
  add_library(brontile_${module} STATIC ${ARG_SOURCES})
  target_include_directories(brontile_${module} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(brontile_${module} PUBLIC brontile_options ${uses} ${ARG_DEPENDS})
endfunction()

# Writes the table for the layering test: one line "<module>: <used> <used> ...".
function(brontile_write_layer_table path)
  set(text "")
  foreach(module IN LISTS BRONTILE_MODULES)
    string(JOIN " " uses ${brontile_uses_${module}})
    string(APPEND text "${module}: ${uses}\n")
  endforeach()
  file(WRITE ${path} "${text}")
endfunction()
