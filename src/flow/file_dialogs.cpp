#include "flow/file_dialogs.h"

#include <algorithm>
#include <filesystem>

#include "buffer/address_entry.h"
#include "buffer/buffer_sizing.h"
#include "flow/dialog_hand_back.h"
#include "flow/load_flow.h"
#include "flow/range_dialogs.h"
#include "flow/save_flow.h"
#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "operations/copy_page_model.h"
#include "operations/operation_frame.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

constexpr const char* kSixZeros = "000000";

uint64_t FileSize64(const std::string& name) {
    const std::string path = LoadableFilePath(name);
    if (path.empty()) return 0;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<uint64_t>(size);
}

}  // namespace

FileRangeTexts FillFileRange(const std::string& name) {
    // The size's low 32 bits less one; nothing at all wraps to FFFFFFFF,
    // which the seven-digit field keeps as FFFFFFF.
    const uint32_t size = GetFileSizeByName(name);
    return FileRangeTexts{kSixZeros, HexEntryText(AddressText(size - 1u))};
}

// ---- Load ------------------------------------------------------------------------------------

LoadDialogFields LoadDialogLogic::Opening() const {
    LoadDialogFields f;
    const Profile history(ctx_.HistoryIniPath());
    const std::string name = history.ReadString(kLoadSection, "Name", "None");
    if (LoadableFilePath(name).empty()) return f;

    // A private read of the file's head: the buffer is neither sized nor touched.
    f.format = static_cast<int32_t>(DetectFileFormatOf(name, ctx_.messages));
    f.name = name;
    const FileRangeTexts range = FillFileRange(name);
    f.sourceStart = range.start;
    f.sourceEnd = range.end;
    f.dest = kSixZeros;
    ApplyFormatRule(f);
    f.rangeEditable = RangeEditable(f.format);
    f.fill = HexEntryText(
        HexText(static_cast<uint32_t>(history.ReadInteger(kLoadSection, "UserFill", 0xFF)), 2), 2);
    f.fillUnused = history.ReadInteger(kLoadSection, "UnuserFillCheck", 1) != 0;
    return f;
}

void LoadDialogLogic::ApplyFormatRule(LoadDialogFields& f) {
    if (f.format > static_cast<int32_t>(LoadFormat::Binary)) f.fillUnused = true;
}

std::optional<LoadSettings> LoadDialogLogic::Accept(const LoadDialogFields& f) {
    Messages& messages = ctx_.messages;
    if (LoadableFilePath(f.name).empty()) {
        messages.MessageBox(kNotFoundFileText, kLimitErrorTitle, MsgButtons::Ok, MsgIcon::Error);
        return std::nullopt;
    }
    const uint64_t size = FileSize64(f.name);
    // Its last offset would not fit the range field, and the rest of the
    // file would be left out without a word.
    if (size > kMaxLoadFileBytes) {
        messages.MessageBox(kLoadTooBigText, kLoadFileTitle, MsgButtons::Ok, MsgIcon::Error);
        return std::nullopt;
    }
    // A range of one byte is a load too: the end may equal the start.
    if (HexFieldValue(f.sourceEnd) < HexFieldValue(f.sourceStart)) {
        messages.MessageBox(kInputValueErrorText, kOrderErrorTitle, MsgButtons::Ok, MsgIcon::Error);
        return std::nullopt;
    }
    const int64_t limit = static_cast<int64_t>(size);
    const std::optional<uint32_t> start = CheckBelowLimit(f.sourceStart, limit, messages);
    if (!start) return std::nullopt;
    const std::optional<uint32_t> end = CheckBelowLimit(f.sourceEnd, limit, messages);
    if (!end) return std::nullopt;
    const std::optional<uint32_t> dest = CheckBelowLimit(f.dest, kLoadDestinationLimit, messages);
    if (!dest) return std::nullopt;
    const std::optional<uint32_t> fill = CheckBelowLimit(f.fill, 0x100, messages);
    if (!fill) return std::nullopt;

    LoadSettings s;
    s.OK = 1;
    s.Name = f.name;
    s.SourceSAdd = static_cast<int32_t>(*start);
    s.SourceEAdd = static_cast<int32_t>(*end);
    s.Format = std::clamp(f.format, 0, 6);
    s.DistSadd = static_cast<int32_t>(*dest);
    s.UserFill = static_cast<int32_t>(*fill);
    s.UnuserFillCheck = f.fillUnused ? 1 : 0;

    HandBackWriter writer(ctx_.HistoryIniPath(), kLoadSection);
    writer.Integer("SourceSAdd", s.SourceSAdd);
    writer.Integer("SourceEAdd", s.SourceEAdd);
    writer.Integer("DistSAdd", s.DistSadd);
    writer.Integer("UserFill", s.UserFill);
    writer.Integer("Format", s.Format);
    writer.Integer("UnuserFillCheck", s.UnuserFillCheck);
    writer.String("Name", s.Name);
    writer.String("OK", "1");
    writer.Finish(messages);

    SizeBufferForLoad(*end - *start);

    ctx_.frame.UpdateCopyButtons(1);
    if (CopyPageModel* page = ctx_.page) {
        for (CopyStep step : {CopyStep::Edit, CopyStep::Save})
            for (StepImage image : {StepImage::Ready, StepImage::Highlight, StepImage::Working})
                page->Show(step, image);
        page->SetEnabled(CopyControl::Panel9, true);
        page->SetEnabled(CopyControl::Panel8, true);
    }
    return s;
}

void LoadDialogLogic::SizeBufferForLoad(uint32_t length) {
    BufferSizing* sizing = ctx_.sizing;
    if (!sizing) return;
    DeviceRecord& device = ctx_.device;
    if (length >= device.DeviceBytes) {
        device.BufferBytes = length;
        sizing->LoadedBufferSize = std::max(sizing->LoadedBufferSize, device.BufferBytes);
        if (sizing->LoadedBufferSize > sizing->BufferSize)
            sizing->BufferSize = sizing->LoadedBufferSize;
        else
            sizing->LoadedBufferSize = sizing->BufferSize;
        ctx_.buffer.SetBufferSize(sizing->BufferSize);
    } else {
        device.BufferBytes = device.DeviceBytes;
        sizing->LoadedBufferSize = std::max(sizing->LoadedBufferSize, device.DeviceBytes);
        // The device was loaded when it was chosen: its sizing is taken from
        // that load instead of loading the definition (and its messages) again.
        ctx_.buffer.SetBufferSize(MergeDeviceBufferSize(device, *sizing));
    }
}

void LoadDialogLogic::Cancel() {
    WriteDialogCancelled(ctx_.HistoryIniPath(), kLoadSection, ctx_.messages);
    CopyPageModel* page = ctx_.page;
    if (!page) return;
    page->SetEnabled(CopyControl::Panel7, true);
    page->SetEnabled(CopyControl::CopyReadBtn, true);
    page->Show(CopyStep::Read, StepImage::Ready);
    page->Show(CopyStep::Read, StepImage::Working);
    page->Show(CopyStep::Load, StepImage::Ready);
    page->Show(CopyStep::Load, StepImage::Highlight);
    page->Show(CopyStep::Load, StepImage::Working);
}

// ---- Save ------------------------------------------------------------------------------------

int64_t SaveIcRangeEnd(const DeviceRecord& device, const DataBuffer& buffer) {
    const std::optional<DeviceByteRange> range = DeviceChecksumRange(device);
    return range ? int64_t{range->end} : int64_t{buffer.GetBufferSize()} - 1;
}

std::optional<uint32_t> SaveRangeLimit(SaveFormat format) {
    switch (format) {
        case SaveFormat::IntelHex:
            return 0xFFFFF;
        case SaveFormat::MotorolaS1:
            return 0xFFFF;
        case SaveFormat::MotorolaS2:
            return 0xFFFFFF;
        case SaveFormat::Tektronix:
            return 0xFFFF;
        default:
            return std::nullopt;
    }
}

SaveDialogFields SaveDialogLogic::Opening() const {
    SaveDialogFields f;
    f.format =
        std::clamp(Profile(ctx_.HistoryIniPath()).ReadInteger(kSaveSection, "Format", 0), 0, 5);
    const FileRangeTexts ic = IcRange();
    f.start = ic.start;
    f.end = ic.end;
    return f;
}

FileRangeTexts SaveDialogLogic::IcRange() const {
    const int64_t end = std::max<int64_t>(SaveIcRangeEnd(ctx_.device, ctx_.buffer), 0);
    return FileRangeTexts{kSixZeros, HexEntryText(AddressText(static_cast<uint32_t>(end)))};
}

std::optional<FileRangeTexts> SaveDialogLogic::MaxRange() {
    RangeDialogCore core(ctx_.buffer, ctx_.device, ctx_.messages);
    const std::optional<RangeFields> range = core.MaxFields(true);
    if (!range) return std::nullopt;
    return FileRangeTexts{kSixZeros, range->byteEnd};
}

std::optional<FileRangeTexts> SaveDialogLogic::FileRange(const std::string& name) {
    const uint32_t size = GetFileSizeByName(name);
    if (size == 0) {
        ctx_.messages.ShowMessage(kNoFileSeletedText);
        return std::nullopt;
    }
    return FileRangeTexts{kSixZeros, HexEntryText(AddressText(size - 1))};
}

std::optional<SaveSettings> SaveDialogLogic::Accept(const SaveDialogFields& f) {
    Messages& messages = ctx_.messages;
    const int64_t length = ctx_.buffer.GetBufferSize();
    if (f.name.empty()) {
        messages.ShowMessage(kNoFileNameText);
        return std::nullopt;
    }
    std::error_code ec;
    if (std::filesystem::exists(f.name, ec) &&
        messages.MessageBox(kFileExistText, kSaveFileTitle, MsgButtons::OkCancel,
                            MsgIcon::Question) != MsgAnswer::Ok)
        return std::nullopt;
    if (!CheckRangeOrder(f.end, f.start, messages)) return std::nullopt;
    const std::optional<uint32_t> start = CheckBelowLimit(f.start, length, messages);
    if (!start) return std::nullopt;
    const std::optional<uint32_t> end = CheckBelowLimit(f.end, length, messages);
    if (!end) return std::nullopt;
    const SaveFormat format = SaveFormatFromSetting(f.format);
    if (const std::optional<uint32_t> limit = SaveRangeLimit(format);
        limit && *end - *start > *limit) {
        messages.MessageBox(SaveLimitText(format), kSaveLimitTitle, MsgButtons::Ok, MsgIcon::Error);
        return std::nullopt;
    }

    SaveSettings s;
    s.Name = f.name;
    s.SourceSAdd = *start;
    s.SourceEAdd = *end;
    s.Format = format;
    HandBackWriter writer(ctx_.HistoryIniPath(), kSaveSection);
    writer.Integer("SourceSAdd", static_cast<int32_t>(*start));
    writer.Integer("SourceEAdd", static_cast<int32_t>(*end));
    writer.Integer("Format", static_cast<int32_t>(format));
    writer.String("Name", s.Name);
    writer.String("OK", "1");
    writer.Finish(messages);
    return s;
}

void SaveDialogLogic::Cancel() {
    WriteDialogCancelled(ctx_.HistoryIniPath(), kSaveSection, ctx_.messages);
}

}  // namespace burnmark
