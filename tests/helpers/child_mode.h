#pragma once

// A test that needs a second process of its own (a program in a window, say) starts its own
// binary again with an environment variable set; the test main then runs that mode instead of
// the tests. One binary can hold several such tests.
using ChildMain = int (*)(int argc, char** argv);

struct ChildMode {
    ChildMode(const char* variable, ChildMain main);
};

// Runs the mode whose variable is set; -1 when none is.
int runChildModeIfAsked(int argc, char** argv);
