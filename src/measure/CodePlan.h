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
