#pragma once

#include <cstddef>

// Operator new of the benchmark programs counts its calls, so that a benchmark can
// report allocations on the path it measures.
std::size_t allocationCount();
