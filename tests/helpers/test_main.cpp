#include <gtest/gtest.h>

#include "helpers/child_mode.h"
#include "helpers/test_app.h"
#include "helpers/test_environment.h"

int main(int argc, char** argv) {
    if (const int code = runChildModeIfAsked(argc, argv); code >= 0) {
        return code;
    }
    useTheSoundServerGiven();
    ::testing::InitGoogleTest(&argc, argv);
    return runTestsWithApplication(argc, argv);
}
