#include "buffer/data_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "buffer/buffer_pass.h"

namespace burnmark {

namespace {

constexpr const char* kCreateFailText = "Memory Error !";
constexpr const char* kCreateFailTitle = "Dump Edit";
constexpr const char* kResizeFailText = "Memory error !";
constexpr const char* kResizeFailTitle = "Buffer Resize.";
constexpr const char* kNoMemoryText = " Insufficient memory! ";

}  // namespace

// --- BufferLock --------------------------------------------------------------

BufferLock::BufferLock(DataBuffer* owner, std::span<uint8_t> bytes)
    : owner_(owner), bytes_(bytes) {}

BufferLock::BufferLock(BufferLock&& other) noexcept
    : owner_(other.owner_), bytes_(other.bytes_), changed_(other.changed_) {
    other.owner_ = nullptr;
    other.bytes_ = {};
    other.changed_ = false;
}

BufferLock& BufferLock::operator=(BufferLock&& other) noexcept {
    if (this != &other) {
        Release();
        owner_ = other.owner_;
        bytes_ = other.bytes_;
        changed_ = other.changed_;
        other.owner_ = nullptr;
        other.bytes_ = {};
        other.changed_ = false;
    }
    return *this;
}

BufferLock::~BufferLock() { Release(); }

void BufferLock::Release() {
    if (owner_ == nullptr) return;
    DataBuffer* owner = owner_;
    owner_ = nullptr;
    bytes_ = {};
    owner->Unlock(changed_);
    changed_ = false;
}

// --- DataBuffer: life, locks, notices ------------------------------------------

DataBuffer::DataBuffer(Messages& messages, Progress& progress, std::string historyIniPath,
                       std::size_t maxBlockBytes)
    : messages_(messages),
      progress_(progress),
      historyIniPath_(std::move(historyIniPath)),
      maxBlockBytes_(maxBlockBytes) {
    if (!ResizeBlock(kInitialBlock)) {
        messages_.MessageBox(kCreateFailText, kCreateFailTitle, MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    hasBlock_ = true;
    bufferLength_ = kInitialLength;
    // The margin past the logical length stays 0, as the block was zeroed.
    std::fill_n(block_.data(), kInitialLength, uint8_t{0xFF});
}

DataBuffer::~DataBuffer() = default;

void DataBuffer::AddObserver(BufferObserver* observer) {
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void DataBuffer::RemoveObserver(BufferObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

DataBuffer::ChangeBatch::~ChangeBatch() {
    if (--buffer_.batchDepth_ > 0) return;
    const bool size = buffer_.pendingSize_;
    const bool bytes = buffer_.pendingBytes_;
    buffer_.pendingSize_ = buffer_.pendingBytes_ = false;
    if (size)
        buffer_.Emit(BufferChange::Size);
    else if (bytes)
        buffer_.Emit(BufferChange::Bytes);
}

void DataBuffer::Notify(BufferChange change) {
    if (batchDepth_ > 0) {
        (change == BufferChange::Size ? pendingSize_ : pendingBytes_) = true;
        return;
    }
    Emit(change);
}

void DataBuffer::Emit(BufferChange change) {
    // An observer may remove itself while it is told.
    const std::vector<BufferObserver*> observers = observers_;
    for (BufferObserver* observer : observers) observer->BufferChanged(*this, change);
}

BufferLock DataBuffer::GetBufferHandle() {
    if (!hasBlock_) return {};
    ++lockCount_;
    return BufferLock(this, std::span<uint8_t>(block_.data(), bufferLength_));
}

void DataBuffer::Unlock(bool changed) {
    if (lockCount_ > 0) --lockCount_;
    changedWhileLocked_ = changedWhileLocked_ || changed;
    if (lockCount_ == 0 && changedWhileLocked_) {
        changedWhileLocked_ = false;
        Notify(BufferChange::Bytes);
    }
}

uint32_t DataBuffer::GetICSize() const { return deviceSize_ ? deviceSize_().DeviceBytes : 0; }

// --- Resize --------------------------------------------------------------------

bool DataBuffer::ResizeBlock(std::size_t blockBytes) {
    // The block keeps its bytes and adds zeros without writing them, so a
    // buffer grown for a large load costs nothing until the load fills it.
    return blockBytes <= maxBlockBytes_ && block_.Resize(blockBytes);
}

bool DataBuffer::SetBufferSize(uint32_t n) {
    if (hasBlock_ && n == requestedSize_) return true;

    const uint64_t blockBytes = uint64_t{n} + kBlockSlack;
    const uint64_t length = uint64_t{n} + kLengthSlack;
    // A lock holder keeps a view into the block: it must not move under it.
    const bool fits = length <= std::numeric_limits<int32_t>::max() &&
                      blockBytes <= std::numeric_limits<std::size_t>::max();
    if (lockCount_ > 0 || !fits || !ResizeBlock(static_cast<std::size_t>(blockBytes))) {
        // Not remembered: the same size is tried again at the next request.
        messages_.MessageBox(kResizeFailText, kResizeFailTitle, MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    hasBlock_ = true;
    requestedSize_ = n;
    bufferLength_ = static_cast<uint32_t>(length);
    Notify(BufferChange::Size);
    return true;
}

// --- Sum -------------------------------------------------------------------------

bool DataBuffer::GetSum(uint32_t start, uint32_t end, int32_t show) {
    uint64_t first = start;
    uint64_t last = end;
    const DeviceSize device = deviceSize_ ? deviceSize_() : DeviceSize{};
    // Callers pass start + device size as the end: without an extended area
    // the byte after the device is not part of it. No size known, no cut.
    if (device.DeviceBytes != 0 && !device.HasExtArea && last >= first &&
        last - first == device.DeviceBytes)
        --last;
    return SumRange(static_cast<uint32_t>(first), static_cast<uint32_t>(last), show);
}

bool DataBuffer::SumRange(uint32_t start, uint32_t end, int32_t show) {
    const uint64_t first = start;
    const uint64_t last = end;
    if (!hasBlock_ || first > last || last >= bufferLength_) return false;

    progress_.ProgressSetPosition(0);
    uint32_t sum = 0;
    const uint8_t* bytes = block_.data();
    detail::ForwardPieces(
        progress_, detail::StepWidth(last - first), first, last + 1,
        [&](std::size_t at, std::size_t n) { sum += detail::SumBytes(bytes + at, n); });
    progress_.ProgressFinish();

    checkSum_ = sum;
    sumValue_ = sum;
    sumStart_ = static_cast<uint32_t>(first);
    sumEnd_ = static_cast<uint32_t>(last);
    if (show == 1) {
        char text[32];
        std::snprintf(text, sizeof text, "SUM : %08X", static_cast<unsigned>(sum));
        messages_.MessageBox(text, "Get Check Sum", MsgButtons::Ok, MsgIcon::None);
    }
    if (checksumView_ != nullptr) ApplyChecksumColour(*checksumView_, sum);
    return true;
}

// --- Placement -------------------------------------------------------------------

bool DataBuffer::PlaceLoadedDataFill(std::span<const uint8_t> image, uint64_t length, uint8_t fill,
                                     uint32_t dest) {
    return Place(image, length, fill, dest, true);
}

bool DataBuffer::PlaceLoadedData(std::span<const uint8_t> image, uint64_t length, uint32_t dest) {
    return Place(image, length, 0, dest, false);
}

bool DataBuffer::GrowForPlacement(uint64_t endAt) {
    if (hasBlock_ && endAt <= bufferLength_) return true;
    // The next multiple of 64 KB above the end.
    const uint64_t grown = (endAt & ~uint64_t{0xFFFF}) + 0x10000;
    if (grown > std::numeric_limits<uint32_t>::max()) {
        messages_.MessageBox(kResizeFailText, kResizeFailTitle, MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    if (!SetBufferSize(static_cast<uint32_t>(grown))) return false;  // it has told
    if (!hasBlock_ || endAt > bufferLength_) {
        messages_.ShowMessage(kNoMemoryText);
        return false;
    }
    return true;
}

template <class Work>
void DataBuffer::PlaceFrame(uint64_t length, uint32_t dest, bool withFill, uint8_t fill,
                            Work&& work) {
    const uint64_t endAt = uint64_t{dest} + length;  // exclusive
    // Step by the bytes this pass writes: the whole buffer with the fill,
    // only the image without it (a small image placed high in a large buffer
    // must not step the bar once per fill byte).
    const uint64_t width = detail::StepWidth(withFill ? bufferLength_ : length);
    progress_.SetCaption("Loading...");
    progress_.Show();
    progress_.ProgressSetPosition(0);

    uint8_t* bytes = block_.data();
    if (withFill) {
        detail::ForwardPieces(progress_, width, 0, dest, [&](std::size_t at, std::size_t n) {
            std::memset(bytes + at, fill, n);
        });
    }
    work(width);
    // The fill reaches index BufferLength itself, which lies in the margin.
    if (withFill && endAt < bufferLength_) {
        detail::ForwardPieces(
            progress_, width, endAt, uint64_t{bufferLength_} + 1,
            [&](std::size_t at, std::size_t n) { std::memset(bytes + at, fill, n); });
    }

    progress_.SetCaption("Waiting...");
    progress_.ProgressFinish();
    progress_.Close();
    Notify(BufferChange::Bytes);
}

bool DataBuffer::Place(std::span<const uint8_t> image, uint64_t length, uint8_t fill, uint32_t dest,
                       bool withFill) {
    if (length > image.size()) return false;
    ChangeBatch batch(*this);
    if (!GrowForPlacement(uint64_t{dest} + length)) return false;
    uint8_t* bytes = block_.data();
    PlaceFrame(length, dest, withFill, fill, [&](uint64_t width) {
        detail::ForwardPieces(progress_, width, dest, uint64_t{dest} + length,
                              [&](std::size_t at, std::size_t n) {
                                  std::memcpy(bytes + at, image.data() + (at - dest), n);
                              });
    });
    return true;
}

bool DataBuffer::ReserveLoadedData(uint64_t length, uint32_t dest) {
    ChangeBatch batch(*this);
    return GrowForPlacement(uint64_t{dest} + length);
}

void DataBuffer::FinishLoadedData(uint64_t length, uint32_t dest, bool fillUnused, uint8_t fill) {
    if (!hasBlock_ || uint64_t{dest} + length > bufferLength_) return;
    ChangeBatch batch(*this);
    PlaceFrame(length, dest, fillUnused, fill, [](uint64_t) {});
}

// --- Data-set modes --------------------------------------------------------------

void DataBuffer::SetDataMode(DataMode mode) {
    dataMode_ = mode;
    ApplyDataMode();
}

bool DataBuffer::ApplyDataMode() {
    if (!hasBlock_) return false;
    const uint64_t length = bufferLength_;
    const uint64_t width = detail::StepWidth(length);
    uint8_t* bytes = block_.data();

    progress_.SetCaption("Loading...");
    progress_.Show();
    progress_.ProgressSetPosition(0);

    bool changed = true;
    switch (dataMode_) {
        case DataMode::Even:
        case DataMode::Odd: {
            // The last pair is dropped: it lies in the 1024 bytes kept past
            // the size asked for, so no device data is lost.
            const std::size_t odd = dataMode_ == DataMode::Odd ? 1 : 0;
            const uint64_t kept = length >= 2 ? (length - 2) / 2 : 0;
            // Ascending: byte 2i + odd is read before byte i is overwritten.
            detail::ForwardPieces(progress_, width / 2 + 1, 0, kept,
                                  [&](std::size_t at, std::size_t n) {
                                      detail::PackEveryOther(bytes + at, bytes + 2 * at + odd, n);
                                  });
            // The rest, up to and including index BufferLength, becomes 0.
            std::memset(bytes + kept, 0, static_cast<std::size_t>(length + 1 - kept));
            break;
        }
        case DataMode::SwapByte: {
            const uint64_t pairs = length / 2;
            detail::ForwardPieces(
                progress_, width / 2 + 1, 0, pairs,
                [&](std::size_t at, std::size_t n) { detail::SwapPairs(bytes + 2 * at, n); });
            break;
        }
        default:  // All: placed unchanged
            changed = false;
            break;
    }

    progress_.SetCaption("Waiting...");
    progress_.ProgressFinish();
    progress_.Close();
    if (changed) Notify(BufferChange::Bytes);
    return true;
}

}  // namespace burnmark
