#pragma once

#include <cstddef>

// Counts calls of the global operator new in this process.
std::size_t allocationCount();
