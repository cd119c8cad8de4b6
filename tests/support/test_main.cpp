#include <QCoreApplication>
#include <gtest/gtest.h>

#include "support/test_app.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return runTestsWithApplication(argc, argv);
}
