// The window tests need one QApplication for the whole run; listing the tests needs none.
#include <dlfcn.h>

#include <cstring>

#include <gtest/gtest.h>
#include <QApplication>

#include "desktop/theme.hpp"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
    }
    // Mesa's driver is unloaded at exit, and a leak report can then name neither it nor its
    // suppression: keep it loaded for the whole run.
    for (const char* library :
         {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
        dlopen(library, RTLD_NOW | RTLD_NODELETE | RTLD_GLOBAL);
    }
    QApplication app(argc, argv);
    brontile::desktop::applyTheme(app);
    return RUN_ALL_TESTS();
}
