// Real memory the simulated machine hands out through HeapAlloc or LocalAlloc,
// kept until it is freed, so what was never freed can be listed.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

class BufferTable {
public:
    // Memory not asked to be zeroed is filled with 0xCD, so code that forgets
    // to ask for zeroed memory reads garbage here as it would on Windows.
    void* Allocate(std::size_t bytes, bool zeroed);
    bool Free(void* memory);
    bool Owns(const void* memory) const { return m_live.count(memory) != 0; }
    std::size_t Count() const { return m_live.size(); }
    std::vector<std::size_t> LiveSizes() const;

private:
    struct Block {
        std::unique_ptr<std::byte[]> bytes;
        std::size_t size = 0;
    };
    std::map<const void*, Block> m_live;
};
