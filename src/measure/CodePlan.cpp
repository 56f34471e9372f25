#include "measure/CodePlan.h"

#include <algorithm>
#include <random>

#include "command/CodeVoltage.h"

std::vector<CodeBlock> gridPlan(int32_t stride) {
    std::vector<CodeBlock> blocks;
    for (int32_t code = 0; code <= kFullScaleCode; code += stride)
        blocks.push_back({{code, code}, 1});
    if (blocks.back().codes[0] != kFullScaleCode) blocks.push_back({{kFullScaleCode, 0}, 1});
    return blocks;
}

std::vector<CodeBlock> windowPlan(int32_t first, int32_t last) {
    std::vector<CodeBlock> blocks;
    for (int32_t code = first; code <= last; ++code)
        blocks.push_back({{code, code}, 1});
    return blocks;
}

std::vector<CodeBlock> carriesPlan() {
    std::vector<CodeBlock> blocks;
    for (int32_t bit = 1; bit <= 0x8000; bit <<= 1)
        blocks.push_back({{bit - 1, bit}, 2});
    return blocks;
}

void shuffleBlocks(std::vector<CodeBlock>& blocks, uint32_t seed) {
    std::mt19937 order(seed);
    std::shuffle(blocks.begin(), blocks.end(), order);
}
