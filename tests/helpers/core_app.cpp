#include <gtest/gtest.h>
#include <QCoreApplication>

#include "helpers/test_app.h"

int runTestsWithApplication(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
