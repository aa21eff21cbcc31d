#include "fusemap/fuse_map.h"

#include <algorithm>
#include <new>

#include "fusemap/jedec.h"

namespace burnmark {

namespace {

constexpr const char* kNoHandleText = " Insufficient memory for GlobalAlloc! ";
constexpr const char* kNoLockText = " Insufficient memory! ";

uint8_t FillValue(int v) { return (v == 0 || v == 1) ? static_cast<uint8_t>(v) : kNoFuse; }

}  // namespace

bool FuseMap::InitFuseBuffer(const FuseGeometry& geometry) {
    FreeFuseBuffer();
    const bool noFuses = geometry.FuseCount < 1 || geometry.FuseCount > kMaxFuseCount;
    if (noFuses || geometry.FuseCols < 1 || geometry.FuseRows < 1 || geometry.PinCount < 20) {
        messages_.MessageBox("'' maybe error..", "Ini Error", MsgButtons::Ok, MsgIcon::None);
    }
    // Rows are only drawn, but the fuse count sizes the block and the row
    // width steps the writer: without them there is no map to build.
    if (noFuses || geometry.FuseCols < 1) {
        FailNoBlock();
        return false;
    }
    try {
        block_.assign(static_cast<size_t>(geometry.FuseCount + kFuseSlack), 0);
    } catch (const std::bad_alloc&) {
        block_.clear();
        messages_.MessageBox("Momery not enough !", "PAL Edit", MsgButtons::Ok, MsgIcon::None);
        FailNoBlock();
        return false;
    }
    geometry_ = geometry;
    ColOffset = 0;
    RowOffset = 0;
    ClearFuseMap(0);
    RefreshFuseView();
    return true;
}

void FuseMap::FreeFuseBuffer() {
    std::vector<uint8_t>().swap(block_);
    geometry_ = {};
}

void FuseMap::FillFuseBuffer(int v) { std::fill(block_.begin(), block_.end(), FillValue(v)); }

void FuseMap::ClearFuseMap(int v) {
    FillFuseBuffer(kNoFuse);
    if (block_.empty()) return;
    std::fill_n(block_.begin(), static_cast<size_t>(geometry_.FuseCount), FillValue(v));
}

uint8_t FuseMap::FuseAt(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(block_.size())) return kNoFuse;
    return block_[static_cast<size_t>(index)];
}

bool FuseMap::SetFuse(int64_t index, int value) {
    if (block_.empty() || index < 0 || index >= geometry_.FuseCount) return false;
    block_[static_cast<size_t>(index)] = value != 0 ? 1 : 0;
    return true;
}

int64_t FuseMap::StoreFuses(std::span<const uint8_t> source, int64_t first) {
    if (block_.empty() || first < 0 || first >= geometry_.FuseCount) return 0;
    const size_t n = std::min(source.size(), static_cast<size_t>(geometry_.FuseCount - first));
    for (size_t i = 0; i < n; ++i) block_[static_cast<size_t>(first) + i] = source[i] != 0 ? 1 : 0;
    return static_cast<int64_t>(n);
}

std::span<const uint8_t> FuseMap::GetFuseBuffer() const {
    if (block_.empty()) return {};
    return std::span<const uint8_t>(block_).first(static_cast<size_t>(geometry_.FuseCount));
}

uint32_t FuseMap::FuseChecksum() const { return JedecFuseChecksum(GetFuseBuffer()); }

uint32_t FuseMap::ShowFuseChecksum(int mode) {
    const uint32_t sum = FuseChecksum();
    if (mode != 1 && mode != 6) return sum;
    const std::string text = FuseChecksumText(sum);
    const bool changed = sum != FuseLastChecksum;
    if (changed) FuseLastChecksum = sum;
    if (OnChecksumShown) OnChecksumShown(text, changed);
    if (mode == 1) messages_.MessageBox(text, "Get Check Sum", MsgButtons::Ok, MsgIcon::None);
    return sum;
}

bool FuseMap::CopyFusesToBuffer(std::span<uint8_t> dataBuffer) {
    if (dataBuffer.empty()) {
        FailNoBlock();
        return false;
    }
    const std::span<const uint8_t> fuses = GetFuseBuffer();
    if (dataBuffer.size() < fuses.size()) {
        messages_.ShowMessage(kNoLockText);
        failDisplay_.ShowOperationFail();
        return false;
    }
    std::copy(fuses.begin(), fuses.end(), dataBuffer.begin());
    RefreshFuseView();
    return true;
}

FuseLoadStatus FuseMap::LoadJedecFile(const std::string& path, std::span<uint8_t> dataBuffer) {
    std::string text;
    std::vector<uint8_t> scratch;
    try {
        std::string raw;
        switch (ReadJedecText(path, raw)) {
        case JedecReadStatus::CannotOpen:
            messages_.ShowMessage("Can't Open File");
            return FuseLoadStatus::CannotOpen;
        case JedecReadStatus::TooBig:
            messages_.MessageBox("File size is too big", "Load Error", MsgButtons::Ok,
                                 MsgIcon::Information);
            return FuseLoadStatus::TooBig;
        case JedecReadStatus::Ok:
            break;
        }
        text = StripNuls(raw);
        const auto fuses = GetFuseBuffer();
        scratch.assign(fuses.begin(), fuses.end());
    } catch (const std::bad_alloc&) {
        messages_.MessageBox("File size is too big", "Load Error", MsgButtons::Ok,
                             MsgIcon::Information);
        return FuseLoadStatus::TooBig;
    }

    switch (ParseJedecFuses(text, scratch)) {
    case JedecParseStatus::NotJedec:
        messages_.MessageBox("This file is not a JEDEC file", "OPEN ERROR", MsgButtons::Ok,
                             MsgIcon::Information);
        return FuseLoadStatus::NotJedec;
    case JedecParseStatus::SizeMismatch:
        // The file does not fit this device: keep the map as it was.
        messages_.MessageBox("Fuse Size is not Match", "Error", MsgButtons::Ok, MsgIcon::None);
        return FuseLoadStatus::SizeMismatch;
    case JedecParseStatus::Ok:
        break;
    }

    std::copy(scratch.begin(), scratch.end(), block_.begin());
    jedecPath_ = path;
    RefreshFuseView();
    ShowFuseChecksum(1);
    CopyFusesToBuffer(dataBuffer);
    return FuseLoadStatus::Loaded;
}

FuseSaveStatus FuseMap::SaveJedecFile(const std::string& path) {
    if (JedecFileExists(path) &&
        messages_.MessageBox("File is Exist ! ", "", MsgButtons::OkCancel, MsgIcon::None) ==
            MsgAnswer::Cancel) {
        return FuseSaveStatus::Cancelled;
    }
    return WriteJedecFile(path);
}

FuseSaveStatus FuseMap::WriteJedecFile(const std::string& path) {
    std::vector<char> text;
    try {
        text = BuildJedecText(GetFuseBuffer(), geometry_.FuseCols);
    } catch (const std::bad_alloc&) {
        messages_.MessageBox("Memory error !", "Buffer Resize.", MsgButtons::Ok, MsgIcon::None);
        return FuseSaveStatus::NoMemory;
    }
    if (const FileWriteResult written = WriteBufferToFile(text, path); !written) {
        // What the file system said, as the data saves say it.
        messages_.ShowMessage(JedecWriteFailText(path, written));
        return FuseSaveStatus::WriteFailed;
    }
    jedecPath_ = path;
    return FuseSaveStatus::Saved;
}

void FuseMap::RefreshFuseView() {
    if (OnRefreshView) OnRefreshView();
}

void FuseMap::FailNoBlock() {
    messages_.ShowMessage(kNoHandleText);
    failDisplay_.ShowOperationFail();
}

}  // namespace burnmark
