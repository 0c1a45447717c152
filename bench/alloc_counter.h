#pragma once

#include <benchmark/benchmark.h>

// Counts every allocation of the process (global operator new is replaced
// in alloc_counter.cpp), so a benchmark can show that its loop allocates nothing.
long long Allocations();

// Adds "allocs_per_iter": the allocations since `before`, per iteration.
void ReportAllocations(benchmark::State& state, long long before);
