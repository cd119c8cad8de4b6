#pragma once

// Everything main() does: the command-line tools, or the program itself.
int runProgram(int argc, char** argv);
