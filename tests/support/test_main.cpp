#include <gtest/gtest.h>
#include <QCoreApplication>

#include "support/test_app.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return runTestsWithApplication(argc, argv);
}
