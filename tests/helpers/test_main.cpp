#include <gtest/gtest.h>

#include "helpers/child_mode.h"
#include "helpers/test_app.h"

int main(int argc, char** argv) {
    if (const int code = runChildModeIfAsked(argc, argv); code >= 0) {
        return code;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return runTestsWithApplication(argc, argv);
}
