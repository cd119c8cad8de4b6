#pragma once

// Creates the application object the test area needs and runs every test.
int runTestsWithApplication(int argc, char** argv);
