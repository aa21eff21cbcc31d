#include "flow/range_dialogs.h"

#include "catalogue/device_facts.h"

#include <algorithm>

#include "buffer/address_entry.h"
#include "flow/dialog_hand_back.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

// The largest value a seven-digit field shows.
constexpr uint64_t kFieldMax = 0x0FFFFFFF;

std::string Field(uint64_t value) {
    return AddressText(static_cast<uint32_t>(std::min(value, kFieldMax)));
}

// The range 0 .. last (byte) and 0 .. wordLast (word); nothing to show below 0.
RangeFields FromZero(uint64_t endExclusive, uint64_t wordEndExclusive) {
    return RangeFields{AddressText(0), Field(endExclusive == 0 ? 0 : endExclusive - 1),
                       AddressText(0), Field(wordEndExclusive == 0 ? 0 : wordEndExclusive - 1)};
}

bool Overlap(uint64_t start, uint64_t end, uint64_t dest) {
    const uint64_t destEnd = dest + (end - start);
    return dest <= end && start <= destEnd;
}

}  // namespace

uint64_t IcRangeEnd(const DeviceRecord& device) {
    const DeviceParamBlock& block = device.DeviceParamBlock;
    if (device.FuseTypeDigit == 1) {
        const uint64_t words = (uint64_t{block.Word(param::max_address_Hi)} << 16) |
                               block.Word(param::max_address_Low);
        return 2 * (words + 1);
    }
    // The device's bytes, its extended area included.
    const std::optional<DeviceByteRange> range = DeviceChecksumRange(device);
    return range ? uint64_t{range->end} + 1 : 0;
}

// ---- Shared --------------------------------------------------------------------------------

RangeFields RangeDialogCore::IcFields(WordEndRule rule) const {
    const uint64_t e = IcRangeEnd(device_);
    const uint32_t start = device_.StartAddress;
    RangeFields f;
    f.byteStart = Field(start);
    f.wordStart = Field(start / 2);
    // Without a device size there is no range to give: both ends stay at 0.
    f.byteEnd = Field(e == 0 ? 0 : e - 1);
    if (rule == WordEndRule::HalfMinusOne)
        f.wordEnd = Field(e / 2 == 0 ? 0 : e / 2 - 1);
    else
        f.wordEnd = Field(e == 0 ? 0 : (e - 1) / 2);
    return f;
}

std::optional<RangeFields> RangeDialogCore::MaxFields(bool growToDevice) {
    uint64_t length = buffer_.GetBufferSize();
    const uint64_t deviceSize = buffer_.GetICSize();
    if (growToDevice && deviceSize + DataBuffer::kLengthSlack > length) {
        buffer_.SetBufferSize(static_cast<uint32_t>(deviceSize));
        length = buffer_.GetBufferSize();
    }
    if (length == 0) return std::nullopt;
    return FromZero(length, length / 2);
}

std::optional<RangeFields> RangeDialogCore::FileFields(const char* noFileText) {
    const uint64_t loadedEnd = buffer_.GetLoadedEnd();
    if (loadedEnd == 0) {
        messages_.ShowMessage(noFileText);
        return std::nullopt;
    }
    return FromZero(loadedEnd, loadedEnd / 2);
}

bool RangeDialogCore::CheckOrder(const RangeFields& f) {
    return CheckRangeOrder(f.byteEnd, f.byteStart, messages_) &&
           CheckRangeOrder(f.wordEnd, f.wordStart, messages_);
}

bool RangeDialogCore::CheckBelowLength(const RangeFields& f) {
    const int64_t length = buffer_.GetBufferSize();
    for (const std::string* text : {&f.byteStart, &f.byteEnd, &f.wordStart, &f.wordEnd})
        if (!CheckBelowLimit(*text, length, messages_)) return false;
    return true;
}

std::optional<RangeFields> RangeDialogCore::RangeErrorReset(const RangeFields& f) {
    const uint32_t length = buffer_.GetBufferSize();
    const uint32_t start = HexFieldValue(f.byteStart);
    const uint32_t end = HexFieldValue(f.byteEnd);
    if (end != 0 && end >= start && end <= length) return std::nullopt;
    messages_.ShowMessage(kRangeErrorBang);
    const uint64_t bytes = device_.DeviceBytes;
    RangeFields reset = FromZero(bytes, 0);
    reset.wordEnd = Field(bytes == 0 ? 0 : (bytes - 1) / 2);
    return reset;
}

// ---- Block ---------------------------------------------------------------------------------

BlockFields BlockDialogLogic::Opening() const {
    const Profile history(HistoryIniPath());
    BlockFields f;
    f.range = IcFields();
    const uint32_t dest = static_cast<uint32_t>(history.ReadInteger(kBlockSection, "DistSAdd", 0));
    f.dest8 = Field(dest);
    f.dest16 = Field(dest / 2);
    f.action = std::clamp(history.ReadInteger(kBlockSection, "Action", 0), 0, 2);
    return f;
}

std::optional<std::string> BlockDialogLogic::DestEnd8(const BlockFields& f) {
    return ComputeEndAddress(f.dest8, f.range.byteStart, f.range.byteEnd);
}

std::optional<std::string> BlockDialogLogic::DestEnd16(const BlockFields& f) {
    return ComputeEndAddress(f.dest16, f.range.wordStart, f.range.wordEnd);
}

DialogOutcome<BlockRequest> BlockDialogLogic::Accept(const BlockFields& f) {
    if (std::optional<RangeFields> reset = RangeErrorReset(f.range)) return {std::nullopt, reset};
    if (!CheckOrder(f.range)) return {};
    if (ScrollByteViewToTop) ScrollByteViewToTop();
    if (!CheckBelowLength(f.range)) return {};
    const int64_t length = Buffer().GetBufferSize();
    // The order check passed, so the end label holds destination + (end - start).
    const std::string destEnd = DestEnd8(f).value_or(f.dest8);
    if (!CheckBelowLimit(destEnd, length, Operator()) ||
        !CheckBelowLimit(f.dest8, length, Operator()))
        return {};

    BlockRequest r;
    r.StartAdd = HexFieldValue(f.range.byteStart);
    r.EndAdd = HexFieldValue(f.range.byteEnd);
    r.DistSAdd = HexFieldValue(f.dest8);
    r.Action = f.action;
    // Exchanging a range with one that overlaps it would rotate the bytes
    // instead of swapping them.
    if (r.Action == static_cast<int32_t>(BlockAction::Swap) &&
        Overlap(r.StartAdd, r.EndAdd, r.DistSAdd)) {
        Operator().ShowMessage(kRangeErrorBang);
        return {};
    }

    HandBackWriter writer(HistoryIniPath(), kBlockSection);
    writer.Integer("StartAdd", static_cast<int32_t>(r.StartAdd));
    writer.Integer("EndAdd", static_cast<int32_t>(r.EndAdd));
    writer.Integer("Action", r.Action);
    writer.Integer("DistSAdd", static_cast<int32_t>(r.DistSAdd));
    writer.String("OK", "1");
    writer.Finish(Operator());
    return {r, std::nullopt};
}

void BlockDialogLogic::Cancel() {
    WriteDialogCancelled(HistoryIniPath(), kBlockSection, Operator());
}

// ---- Fill ----------------------------------------------------------------------------------

FillControls FillControlsFor(bool userCheck, int32_t byteWordSel) {
    if (!userCheck) return FillControls{true, false, false, false};
    const bool word = byteWordSel != 0;
    return FillControls{false, true, !word, word};
}

FillFields FillDialogLogic::Opening() const {
    const Profile history(HistoryIniPath());
    FillFields f;
    f.range = IcFields();
    f.select = std::clamp(history.ReadInteger(kFillSection, "Select", 0), 0, 4);
    f.userByte = HexEntryText(
        HexText(static_cast<uint32_t>(history.ReadInteger(kFillSection, "UserData", 0xFF)), 2), 2);
    f.userWord = HexEntryText(
        HexText(static_cast<uint32_t>(history.ReadInteger(kFillSection, "UserWordData", 0xFFFF)),
                4),
        4);
    f.userCheck = history.ReadInteger(kFillSection, "UserCheck", 0) == 1;
    f.byteWordSel = history.ReadInteger(kFillSection, "UserByteWordSel", 0) == 0 ? 0 : 1;
    return f;
}

DialogOutcome<FillRequest> FillDialogLogic::Accept(const FillFields& f) {
    if (std::optional<RangeFields> reset = RangeErrorReset(f.range)) return {std::nullopt, reset};
    if (!CheckOrder(f.range)) return {};
    if (ScrollByteViewToTop) ScrollByteViewToTop();
    if (!CheckBelowLength(f.range)) return {};
    const std::optional<uint32_t> userByte = CheckBelowLimit(f.userByte, 0x100, Operator());
    if (!userByte) return {};
    const std::optional<uint32_t> userWord = CheckBelowLimit(f.userWord, 0x10000, Operator());
    if (!userWord) return {};

    FillRequest r;
    r.StartAdd = HexFieldValue(f.range.byteStart);
    r.EndAdd = HexFieldValue(f.range.byteEnd);
    r.UserCheck = f.userCheck ? 1 : 0;
    r.Select = f.select;
    r.UserData = static_cast<int32_t>(*userByte);
    r.UserWordData = static_cast<int32_t>(*userWord);
    r.UserByteWordSel = f.byteWordSel;

    HandBackWriter writer(HistoryIniPath(), kFillSection);
    writer.Integer("StartAdd", static_cast<int32_t>(r.StartAdd));
    writer.Integer("EndAdd", static_cast<int32_t>(r.EndAdd));
    writer.Integer("UserCheck", r.UserCheck);
    writer.Integer("Select", r.Select);
    writer.Integer("UserData", r.UserData);
    writer.Integer("UserWordData", r.UserWordData);
    writer.String("OK", "1");
    writer.Integer("UserByteWordSel", r.UserByteWordSel);
    writer.Finish(Operator());
    return {r, std::nullopt};
}

void FillDialogLogic::Cancel() { WriteDialogCancelled(HistoryIniPath(), kFillSection, Operator()); }

// ---- Sum -----------------------------------------------------------------------------------

std::optional<RangeFields> SumDialogLogic::IcButton() {
    if (checksumRunning_) return std::nullopt;
    if (OptionType1()) {
        checksumRunning_ = true;
        const bool shown = ProgrammerChecksum && ProgrammerChecksum();
        checksumRunning_ = false;
        if (!shown) return std::nullopt;
    }
    return IcFields();
}

DialogOutcome<SumRequest> SumDialogLogic::Accept(const RangeFields& f) {
    if (!CheckOrder(f) || !CheckBelowLength(f)) return {};
    SumRequest r{HexFieldValue(f.byteStart), HexFieldValue(f.byteEnd)};
    HandBackWriter writer(HistoryIniPath(), kSumSection);
    writer.Integer("StartAdd", static_cast<int32_t>(r.StartAdd));
    writer.Integer("EndAdd", static_cast<int32_t>(r.EndAdd));
    writer.String("OK", "1");
    writer.Finish(Operator());
    return {r, std::nullopt};
}

void SumDialogLogic::Cancel() { WriteDialogCancelled(HistoryIniPath(), kSumSection, Operator()); }

}  // namespace burnmark
