# Shared by the scripts: where the builds live and how to make one.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs setup unless the tools and headers a build needs are already present.
ensure_setup() {
  if ! command -v cmake >/dev/null || ! command -v ninja >/dev/null || ! command -v g++ >/dev/null \
     || [[ ! -f /usr/include/nlohmann/json.hpp ]] || [[ ! -f /usr/include/gtest/gtest.h ]] \
     || [[ ! -f /usr/include/benchmark/benchmark.h ]] \
     || ! command -v clang-format >/dev/null \
     || ! command -v admesh >/dev/null || ! command -v assimp >/dev/null \
     || [[ ! -d /usr/include/x86_64-linux-gnu/qt6/QtOpenGLWidgets && ! -d /usr/include/qt6/QtOpenGLWidgets ]] \
     || [[ ! -f /usr/include/lib3mf/Model/COM/NMR_DLLInterfaces.h ]] \
     || [[ ! -f /usr/include/opencascade/STEPCAFControl_Writer.hxx ]] \
     || ! command -v Xvfb >/dev/null; then
    "$root/scripts/setup"
  fi
}

# build_preset <name>: configures and builds one of CMakePresets.json's configurations.
# Presets are looked up in the current folder, hence the cd.
build_preset() {
  (cd "$root" && cmake --preset "$1" -Wno-dev >/dev/null && cmake --build --preset "$1")
}
