// Counts heap allocations made in this process (operator new is replaced in bench_main.cpp).
#pragma once

#include <atomic>
#include <cstddef>

extern std::atomic<std::size_t> heapAllocations;
