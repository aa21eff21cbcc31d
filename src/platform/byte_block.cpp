#include "platform/byte_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace burnmark {

namespace {

// Below this a block keeps small pages: a huge page would hold mostly nothing.
constexpr std::size_t kHugeFrom = 4u << 20;

std::size_t PageSize() {
    static const std::size_t size = [] {
        const long s = ::sysconf(_SC_PAGESIZE);
        return s > 0 ? static_cast<std::size_t>(s) : std::size_t{4096};
    }();
    return size;
}

// n rounded up to whole pages; 0 when that does not fit a size_t.
std::size_t WholePages(std::size_t n) {
    const std::size_t page = PageSize();
    if (n > SIZE_MAX - (page - 1)) return 0;
    return (n + page - 1) / page * page;
}

void AskForHugePages(uint8_t* data, std::size_t mapped) {
#ifdef MADV_HUGEPAGE
    // Only a wish: where huge pages are off the block keeps small ones.
    if (mapped >= kHugeFrom) (void)::madvise(data, mapped, MADV_HUGEPAGE);
#else
    (void)data;
    (void)mapped;
#endif
}

}  // namespace

ByteBlock::ByteBlock(ByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept {
    if (this != &other) {
        Clear();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

ByteBlock::~ByteBlock() { Clear(); }

void ByteBlock::Clear() {
    if (data_ != nullptr) ::munmap(data_, mapped_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

bool ByteBlock::Resize(std::size_t n) {
    if (n == 0) {
        Clear();
        return true;
    }
    const std::size_t pages = WholePages(n);
    if (pages == 0) return false;

    if (data_ == nullptr) {
        void* p =
            ::mmap(nullptr, pages, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return false;
        data_ = static_cast<uint8_t*>(p);
        mapped_ = pages;
        size_ = n;
        AskForHugePages(data_, mapped_);
        return true;
    }

    if (pages != mapped_) {
        // Shrinking gives the pages past the end back; growing maps zero
        // pages after the old ones, moving the block (not its bytes) when
        // the room behind it is taken.
        void* p = ::mremap(data_, mapped_, pages, MREMAP_MAYMOVE);
        if (p == MAP_FAILED) return false;
        data_ = static_cast<uint8_t*>(p);
        const bool grown = pages > mapped_;
        mapped_ = pages;
        if (grown) AskForHugePages(data_, mapped_);
    }
    // The bytes past the end are kept 0, so that a later growth adds zeros
    // without writing them: only the last page of a shrunk block has any.
    if (n < size_) std::memset(data_ + n, 0, std::min(size_, mapped_) - n);
    size_ = n;
    return true;
}

}  // namespace burnmark
