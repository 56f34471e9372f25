#include "measure/CodePlan.h"

#include <algorithm>
#include <random>

#include "command/CodeVoltage.h"

int32_t steppedNext(int32_t code, int32_t last, int32_t step) {
    if (code >= last) return last + 1;
    return step >= last - code ? last : code + step;
}

int steppedCount(int32_t first, int32_t last, int32_t step) {
    if (last < first) return 0;
    const int32_t span = last - first;
    return span / step + 1 + (span % step != 0 ? 1 : 0);
}

std::vector<CodeBlock> gridPlan(int32_t stride) {
    std::vector<CodeBlock> blocks;
    for (int32_t code = 0; code <= kFullScaleCode; code = steppedNext(code, kFullScaleCode, stride))
        blocks.push_back({{code, code}, 1});
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
