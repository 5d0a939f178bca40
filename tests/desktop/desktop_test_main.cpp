// The window tests need one QApplication for the whole run; listing the tests needs none.
#include <cstring>

#include <gtest/gtest.h>
#include <QApplication>

#include "desktop/startup.hpp"
#include "desktop/theme.hpp"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
    }
    brontile::desktop::keepGraphicsDriverForLeakReports();
    QApplication app(argc, argv);
    brontile::desktop::applyTheme(app);
    return RUN_ALL_TESTS();
}
