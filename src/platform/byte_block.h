// A block of bytes mapped straight from the kernel, for the data buffer and
// the file a load reads.
//
// Why not a std::vector: a vector writes every byte it adds (zeros on growth)
// and copies the old bytes when it grows. Here added bytes are zero without
// being written, because the kernel hands out zero pages, so a page is first
// touched by whoever fills it (the read of a file, the placement of data) and
// a buffer grown to tens of megabytes costs nothing until it is used; growth
// moves the pages instead of copying them. First touches are what a large load
// spends its time on, so blocks of some megabytes also ask for huge pages,
// which take one page fault where small pages take 512.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace burnmark {

class ByteBlock {
public:
    ByteBlock() = default;
    ByteBlock(ByteBlock&& other) noexcept;
    ByteBlock& operator=(ByteBlock&& other) noexcept;
    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;
    ~ByteBlock();

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::span<uint8_t> Bytes() { return {data_, size_}; }
    std::span<const uint8_t> Bytes() const { return {data_, size_}; }

    // n bytes: the first min(n, size()) as they were, the rest 0. False, and
    // the block as it was, when the system has no memory for it.
    bool Resize(std::size_t n);
    // Gives the memory back; size() 0.
    void Clear();

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;  // whole pages
};

}  // namespace burnmark
