#include "platform/sim/buffer_table.h"

#include <algorithm>
#include <utility>

void* BufferTable::Allocate(std::size_t bytes, bool zeroed) {
    // A zero-byte request still gets a unique pointer, as from the Windows heap.
    auto block = std::make_unique<std::byte[]>(std::max<std::size_t>(bytes, 1));
    if (!zeroed) std::fill_n(block.get(), bytes, std::byte{0xCD});
    void* memory = block.get();
    m_live.emplace(memory, Block{std::move(block), bytes});
    return memory;
}

bool BufferTable::Free(void* memory) {
    return m_live.erase(memory) != 0;
}

std::vector<std::size_t> BufferTable::LiveSizes() const {
    std::vector<std::size_t> sizes;
    for (const auto& [memory, block] : m_live) sizes.push_back(block.size);
    return sizes;
}
