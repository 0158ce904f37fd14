// Test entry point. Takes the C locale from the environment, as the front end does, so that a
// run under a comma-decimal locale exercises every test with it.

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
