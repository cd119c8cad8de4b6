#include <gtest/gtest.h>
#include "ui/app/guarded_application.h"

#include "helpers/test_app.h"

int runTestsWithApplication(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    GuardedApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
