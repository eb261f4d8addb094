// Counts heap allocations made by this program while counting is switched on.
#pragma once

#include <cstddef>

namespace bench {

// Starts counting from zero.
void StartCountingAllocations();
// Stops counting and returns the number of allocations seen since the start.
std::size_t StopCountingAllocations();

} // namespace bench
