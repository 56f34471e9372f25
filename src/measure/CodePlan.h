#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Which codes a characterisation measures, as blocks: one code, or a pair read in alternation
// (one reading of each in turn), so that a slow drift of the board falls on both alike and
// cancels from their difference.
struct CodeBlock {
    std::array<int32_t, 2> codes;
    int size;  // 1 or 2
};

// A run of codes from a first to a last by a step of 1 or more ends on the last code even where
// the step does not land on it: the top of the range is where a converter's gain error and
// its output stage show most. After code comes the next step, or last, or (once last is done)
// a code past last.
int32_t steppedNext(int32_t code, int32_t last, int32_t step);
// How many codes such a run holds; none when last lies below first.
int steppedCount(int32_t first, int32_t last, int32_t step);

// Every stride-th code from 0, and the last code 0xFFFF where the stride does not land on it:
// a coarse grid for the line, offset, gain and integral non-linearity.
std::vector<CodeBlock> gridPlan(int32_t stride);

// Every code from first to last: a dense window, for the steps around a code of interest.
std::vector<CodeBlock> windowPlan(int32_t first, int32_t last);

// The pairs 2^k - 1 and 2^k for k = 0 to 15, across every carry of the binary code, where a
// weighted DAC's steps go wrong: differential non-linearity and monotonicity.
std::vector<CodeBlock> carriesPlan();

// The blocks in an order that a slow drift cannot line up with: a fixed shuffle, the same for
// every run with the same seed.
void shuffleBlocks(std::vector<CodeBlock>& blocks, uint32_t seed);
