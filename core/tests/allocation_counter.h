#pragma once
// Counts every operator new a test binary makes on a thread while it is inside a
// CountedSection, to show that a path allocates nothing. allocation_counter.cpp replaces the
// binary's operator new, so it is linked into those binaries only.
#include <cstddef>

struct CountedSection {
    CountedSection();  // starts the count from 0
    ~CountedSection();
};

// What the latest section counted, also after it ended.
std::size_t countedAllocations();
