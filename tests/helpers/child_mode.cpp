#include "helpers/child_mode.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<const char*, ChildMain>>& modes() {
    static std::vector<std::pair<const char*, ChildMain>> all;
    return all;
}

}  // namespace

ChildMode::ChildMode(const char* variable, ChildMain main) {
    modes().emplace_back(variable, main);
}

int runChildModeIfAsked(int argc, char** argv) {
    for (const auto& [variable, main] : modes()) {
        if (std::getenv(variable) != nullptr) {
            return main(argc, argv);
        }
    }
    return -1;
}
