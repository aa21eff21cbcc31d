// The programmer's data image: the bytes programmed into a chip, compared
// with it, read from it, loaded from and saved to files and edited by hand.
//
// One block owned by the buffer editor. The block is always larger than the
// logical length: 9216 bytes for the initial 8192, n + 2000 bytes for a length
// of n + 1024 after SetBufferSize(n). Fills that write one byte past an
// inclusive end, or up to and including index BufferLength, stay inside it.
// 16-bit data is stored low byte at the even address.
//
// Every range is checked in 64 bits against the buffer before a byte is
// written: a range outside the buffer or reversed is refused, never wrapped.
// Other code reaches the bytes only through GetBufferHandle(), a scoped lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "buffer/checksum_view.h"
#include "platform/byte_block.h"
#include "platform/ports.h"

namespace burnmark {

class DataBuffer;

// What the buffer needs to know about the selected device. DeviceBytes 0:
// no device size known.
struct DeviceSize {
    uint32_t DeviceBytes = 0;
    bool HasExtArea = false;
};
using DeviceSizeProvider = std::function<DeviceSize()>;

enum class BufferChange {
    Bytes,  // some bytes changed, the length did not
    Size,   // the length changed (the bytes may have changed too)
};

// Told once per operation that changed the buffer; the editor view redraws.
class BufferObserver {
public:
    virtual ~BufferObserver() = default;
    virtual void BufferChanged(DataBuffer& buffer, BufferChange change) = 0;
};

enum class DataMode : int32_t { All = 0, Even = 1, Odd = 2, SwapByte = 3 };

// The Block dialog's answer: source range (inclusive), destination start and
// the action (0 copy, 1 move, 2 exchange).
struct BlockRequest {
    uint32_t StartAdd = 0;
    uint32_t EndAdd = 0;
    uint32_t DistSAdd = 0;
    int32_t Action = 0;
};

// The block locked for one operation. While any lock is held the buffer
// refuses to resize, so the view stays valid; let it end before the next
// message pump. An empty lock (operator bool false) means there is no block.
class BufferLock {
public:
    BufferLock() = default;
    BufferLock(BufferLock&& other) noexcept;
    BufferLock& operator=(BufferLock&& other) noexcept;
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;
    ~BufferLock();

    explicit operator bool() const { return owner_ != nullptr; }
    // The logical length (BufferLength) of bytes.
    std::span<uint8_t> Bytes() const { return bytes_; }
    uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    uint8_t& operator[](std::size_t i) const { return bytes_[i]; }

    // The holder wrote bytes: the observers hear once when the lock ends.
    void MarkChanged() { changed_ = true; }
    // Ends the lock before the object goes out of scope.
    void Release();

private:
    friend class DataBuffer;
    BufferLock(DataBuffer* owner, std::span<uint8_t> bytes);

    DataBuffer* owner_ = nullptr;
    std::span<uint8_t> bytes_;
    bool changed_ = false;
};

class DataBuffer {
public:
    static constexpr uint32_t kInitialLength = 8192;
    static constexpr uint32_t kInitialBlock = 9216;
    static constexpr uint32_t kLengthSlack = 1024;  // BufferLength = n + 1024
    static constexpr uint32_t kBlockSlack = 2000;   // block = n + 2000
    // The largest block the buffer holds (BufferLength is a signed 32-bit
    // value in the dialogs and files). A larger request fails as an
    // allocation failure does.
    static constexpr std::size_t kDefaultMaxBlockBytes = 0x7FFFFFFF;

    // historyIniPath: the application directory + "History_1.ini", where the
    // editor's dialogs remember their choices. maxBlockBytes: a test seam,
    // see SetMaxBlockBytes.
    DataBuffer(Messages& messages, Progress& progress, std::string historyIniPath,
               std::size_t maxBlockBytes = kDefaultMaxBlockBytes);
    DataBuffer(const DataBuffer&) = delete;
    DataBuffer& operator=(const DataBuffer&) = delete;
    ~DataBuffer();

    // Ports wired after creation (the catalogue and the main window's
    // checksum field exist later). Without a view GetSum colours nothing;
    // without a provider the device size is 0.
    void SetChecksumView(ChecksumView* view) { checksumView_ = view; }
    void SetDeviceSizeProvider(DeviceSizeProvider provider) { deviceSize_ = std::move(provider); }
    void AddObserver(BufferObserver* observer);
    void RemoveObserver(BufferObserver* observer);

    // Test seam: a block larger than this fails as if the system had no
    // memory for it (std::bad_alloc is caught the same way).
    void SetMaxBlockBytes(std::size_t bytes) { maxBlockBytes_ = bytes; }

    // The application directory + "History_1.ini", for the editor's dialogs.
    const std::string& HistoryIniPath() const { return historyIniPath_; }

    // --- Handle and size ------------------------------------------------
    // False when the block could not be allocated at creation.
    bool HasBlock() const { return hasBlock_; }
    BufferLock GetBufferHandle();
    uint32_t GetBufferSize() const { return bufferLength_; }
    // Rows of 16 bytes in the 8-bit view.
    uint32_t RowCount() const { return bufferLength_ / 16; }
    // The allocated block, margin included.
    std::size_t BlockSize() const { return block_.size(); }
    bool Locked() const { return lockCount_ > 0; }

    // Resizes to a logical length of n + 1024 (block n + 2000, added bytes 0,
    // existing bytes kept). A request equal to the last successful one is
    // skipped. True when the buffer now holds n + 1024 bytes; false after
    // "Memory error !" / "Buffer Resize.", and then the request is not
    // remembered, so that the same size is tried again next time.
    bool SetBufferSize(uint32_t n);
    // The size last given to a successful SetBufferSize (0 after creation).
    uint32_t RequestedBufferSize() const { return requestedSize_; }

    // --- Load range -------------------------------------------------------
    void SetLoadedStart(uint32_t start) { loadedStart_ = start; }
    void SetLoadedEnd(uint32_t end) { loadedEnd_ = end; }
    uint32_t GetLoadedStart() const { return loadedStart_; }
    // Exclusive end of the last load (0: nothing loaded).
    uint32_t GetLoadedEnd() const { return loadedEnd_; }

    // The selected device's DeviceBytes (0 when unknown).
    uint32_t GetICSize() const;

    // --- Sums -------------------------------------------------------------
    // 32-bit byte sum of start..end inclusive. When end - start equals the
    // device size and the device has no extended area, the last byte is
    // left out (callers pass start + device size). show 1: "SUM : %08lX"
    // titled "Get Check Sum". Colours the checksum field. False (nothing
    // changed) when the range is reversed or not inside the buffer.
    bool GetSum(uint32_t start, uint32_t end, int32_t show);
    // The same for exactly the inclusive range start..end, as the Sum
    // dialog's operator typed it.
    bool SumRange(uint32_t start, uint32_t end, int32_t show);
    uint32_t GetCheckSum() const { return checkSum_; }
    uint32_t SumValue() const { return sumValue_; }
    uint32_t SumStart() const { return sumStart_; }
    uint32_t SumEnd() const { return sumEnd_; }

    // --- Fills (the caller shows and closes the progress window) ----------
    // Byte fill of start..end inclusive; nothing unless start < end <= length.
    bool FillBuffer(uint32_t start, uint32_t end, uint8_t value);
    // Low byte at a, high byte at a + 1, for a = start, start + 2, ... <= end.
    bool FillBufferWord(uint32_t start, uint32_t end, uint16_t word);
    // kind 0 random, 1 address byte, 2 address word (high byte first).
    bool FillPattern(uint32_t start, uint32_t end, int8_t kind);

    // --- Block operations (ranges inclusive, dest = destination start) ----
    // Runs the Block dialog's answer: 0 copy, 1 move, 2 exchange; nothing
    // when the end is 0 or the destination is the start. False when nothing
    // was done.
    bool BlockOperation(const BlockRequest& request);
    // Each returns true when done (or there was nothing to do) and false when
    // there is no block or a range lies outside the buffer.
    bool BlockCopy(uint32_t start, uint32_t end, uint32_t dest);
    bool BlockMove(uint32_t start, uint32_t end, uint32_t dest);
    bool BlockExchange(uint32_t start, uint32_t end, uint32_t dest);

    // --- Placement of a loaded image ----------------------------------------
    // Puts image[0, length) at dest, growing the buffer to the next multiple
    // of 64 KB above dest + length when needed; the rest of the buffer (up to
    // and including index BufferLength) gets fill. False, with nothing
    // written, when the buffer cannot hold the image or length exceeds image.
    bool PlaceLoadedDataFill(std::span<const uint8_t> image, uint64_t length, uint8_t fill,
                             uint32_t dest);
    // The same, but bytes outside the placed range keep their values.
    bool PlaceLoadedData(std::span<const uint8_t> image, uint64_t length, uint32_t dest);
    // The placement in two steps, for a loader that writes its image straight
    // into the buffer instead of building a copy: ReserveLoadedData grows the
    // buffer as the placement of length bytes at dest would (false when it
    // cannot; it has told), the loader writes bytes dest .. dest + length - 1
    // under a lock, and FinishLoadedData ends as the placement ends (with
    // fillUnused, every byte outside them, up to and including index
    // BufferLength, gets fill).
    bool ReserveLoadedData(uint64_t length, uint32_t dest);
    void FinishLoadedData(uint64_t length, uint32_t dest, bool fillUnused, uint8_t fill);

    // --- Data-set modes -----------------------------------------------------
    DataMode ReturnDataMode() const { return dataMode_; }
    // Stores the mode and re-arranges the whole buffer by it.
    void SetDataMode(DataMode mode);
    // Re-arranges the whole buffer by the current mode: Even keeps the even
    // bytes, Odd the odd ones, packed into the lower half (the upper half 0);
    // Swap Byte exchanges the bytes of each pair; All leaves it unchanged.
    bool ApplyDataMode();

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

private:
    friend class BufferLock;

    // Gathers the changes of one operation into one notice.
    class ChangeBatch {
    public:
        explicit ChangeBatch(DataBuffer& buffer) : buffer_(buffer) { ++buffer_.batchDepth_; }
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        DataBuffer& buffer_;
    };

    void Unlock(bool changed);
    void Notify(BufferChange change);
    void Emit(BufferChange change);
    bool ResizeBlock(std::size_t blockBytes);
    bool Place(std::span<const uint8_t> image, uint64_t length, uint8_t fill, uint32_t dest,
               bool withFill);
    // Grows the buffer to the next multiple of 64 KB above endAt when it ends
    // before it; false (it has told) when it cannot.
    bool GrowForPlacement(uint64_t endAt);
    // The placement's frame around work(width), which writes the image; with
    // fill, the rest of the buffer gets it.
    template <class Work>
    void PlaceFrame(uint64_t length, uint32_t dest, bool withFill, uint8_t fill, Work&& work);
    uint8_t* Data() { return block_.data(); }

    Messages& messages_;
    Progress& progress_;
    std::string historyIniPath_;
    std::size_t maxBlockBytes_;
    ChecksumView* checksumView_ = nullptr;
    DeviceSizeProvider deviceSize_;
    std::vector<BufferObserver*> observers_;
    int batchDepth_ = 0;
    bool pendingBytes_ = false;
    bool pendingSize_ = false;

    ByteBlock block_;
    bool hasBlock_ = false;
    int lockCount_ = 0;
    bool changedWhileLocked_ = false;

    uint32_t bufferLength_ = 0;
    uint32_t requestedSize_ = 0;
    uint32_t checkSum_ = 0;
    uint32_t loadedStart_ = 0;
    uint32_t loadedEnd_ = 0;
    DataMode dataMode_ = DataMode::All;
    uint32_t sumValue_ = 0;
    uint32_t sumStart_ = 0;
    uint32_t sumEnd_ = 0;
    bool modified_ = false;
};

}  // namespace burnmark
