#include "support/test_main.h"

#include <gtest/gtest.h>

int run_tests(int argc, char** argv, const WindowSystem& system) {
    testing::InitGoogleTest(&argc, argv);
    install_window_system(system);
    return RUN_ALL_TESTS();
}
