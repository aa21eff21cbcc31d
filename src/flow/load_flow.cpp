#include "flow/load_flow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <utility>

#include "flow/dialog_hand_back.h"
#include "flow/external_program.h"
#include "buffer/formats/detect_file.h"
#include "buffer/formats/intel_hex.h"
#include "buffer/formats/motorola_hex.h"
#include "buffer/formats/record_scan.h"
#include "buffer/formats/tektronix_hex.h"
#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "link/programmer_link.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"
#include "platform/paths.h"

namespace burnmark {

namespace {

// Runs the reader of a hex format over the text of feed (ReadText).
bool ReadHex(LoadFormat format, const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
             uint64_t imageSize, uint64_t textLength, const FillSettings& fill,
             const TextFeed& feed, int& readError) {
    readError = 0;
    switch (format) {
        case LoadFormat::IntelHex: {
            IntelHexReader reader(ports, pass, image, imageSize, textLength, fill);
            return ReadText(reader, feed, readError);
        }
        case LoadFormat::Motorola: {
            MotorolaHexReader reader(ports, pass, image, imageSize, textLength, fill);
            return ReadText(reader, feed, readError);
        }
        case LoadFormat::Tektronix: {
            TektronixHexReader reader(ports, pass, image, imageSize, textLength, fill);
            return ReadText(reader, feed, readError);
        }
        default:
            return false;
    }
}

void ShowRangeError(Messages& messages, const char* title) {
    messages.MessageBox(kRangeErrorText, title, MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace

std::string LoadableFilePath(const std::string& name) {
    if (name.empty()) return {};
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) return name;
    const std::string resolved = ResolvePath(name);
    if (resolved != name && std::filesystem::is_regular_file(resolved, ec)) return resolved;
    return {};
}

LoadSettings ReadLoadSettings(const Profile& history) {
    LoadSettings s;
    s.OK = history.ReadInteger(kLoadSection, "OK", 0);
    s.Name = history.ReadString(kLoadSection, "Name", "None");
    s.SourceSAdd = history.ReadInteger(kLoadSection, "SourceSAdd", 0);
    s.SourceEAdd = history.ReadInteger(kLoadSection, "SourceEAdd", 0);
    s.Format = history.ReadInteger(kLoadSection, "Format", 0);
    s.DistSadd = history.ReadInteger(kLoadSection, "DistSadd", 0);
    s.UserFill = history.ReadInteger(kLoadSection, "UserFill", 0);
    s.UnuserFillCheck = history.ReadInteger(kLoadSection, "UnuserFillCheck", 0);
    return s;
}

std::string ResizeQuestion(uint32_t highAddress) {
    char text[32];
    std::snprintf(text, sizeof text, "Resize to %07XH", static_cast<unsigned>(highAddress));
    return text;
}

uint32_t GetFileSizeByName(const std::string& name) {
    const std::string path = LoadableFilePath(name);
    if (path.empty()) return 0;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<uint32_t>(size & 0xFFFFFFFFu);
}

LoadFormat DetectFileFormat(const std::string& historyIniPath, Messages& messages) {
    return DetectFileFormatOf(Profile(historyIniPath).ReadString(kLoadSection, "Name", "None"),
                              messages);
}

LoadFormat DetectFileFormatOf(const std::string& name, Messages& messages) {
    // A private read of the head: the buffer is neither resized nor touched.
    const std::string path = LoadableFilePath(name);
    if (path.empty()) return LoadFormat::Auto;
    std::optional<FileHead> head = ReadFileHead(path);
    if (!head || head->bytes.empty()) return LoadFormat::Auto;
    return DetectHexFormat(messages, ProbeMode::Silent, head->bytes, head->extent);
}

// ---- The command ---------------------------------------------------------------------------

LoadEnd LoadFlow::LoadFileClick(LoadDialogPort& dialog) {
    // A click delivered while a load or an operation pumps events.
    if (ctx_.busy.Busy()) return LoadEnd::Ignored;
    LoadPending = 0;
    if (RefuseLoadWithoutDevice()) return LoadEnd::NoDevice;
    try {
        // The answer comes from the dialog itself: what [LoadDlg] holds may be
        // an older one when the dialog could not write it.
        LoadDialogLogic logic(ctx_);
        const std::optional<LoadSettings> answer = dialog.RunLoadDialog(logic);
        if (!answer) return LoadEnd::Cancelled;
        dialog.SetLoadPathEdit(answer->Name);
        return RunLoad(*answer);
    } catch (const std::exception& e) {
        // The application's exception display.
        ctx_.messages.MessageBox(e.what(), "Error", MsgButtons::Ok, MsgIcon::Error);
        return LoadEnd::LoadFailed;
    }
}

bool LoadFlow::FirstSetupSelected() const { return IsFirstSetup(ctx_.device.Manufacturer); }

bool LoadFlow::RefuseLoadWithoutDevice() {
    if (!FirstSetupSelected()) return false;
    ctx_.sounds.FailSoundAlways();
    ctx_.messages.ShowMessage(kLoadNoDeviceText);
    LoadPending = 1;
    return true;
}

LoadEnd LoadFlow::RunLoad(const LoadSettings& s) {
    BusyScope busy(ctx_.busy);
    // The file is placed unchanged.
    HandBackWriter common(ctx_.HistoryIniPath(), "CommonParameterSet");
    common.Integer("CommonDataSelect", 0);
    common.Finish(ctx_.messages);
    ctx_.buffer.SetDataMode(DataMode::All);

    const uint32_t lengthBefore = ctx_.buffer.GetBufferSize();
    LoadSource source;
    if (!ReadSourceFile(s, source)) {
        RestoreBufferLength(lengthBefore);
        return LoadEnd::ReadFailed;
    }
    const LoadEnd loaded = LoadSourceIntoBuffer(s, 1, 0, source);
    if (loaded != LoadEnd::Loaded) {
        // Nothing landed: the buffer keeps its size, and the programmer is not
        // asked to work on a buffer the load did not fill.
        RestoreBufferLength(lengthBefore);
        return loaded;
    }
    // The device in force, as the selection took it (its stored copy may not
    // have been written).
    if (HasExtendPro(ctx_.device.IcFileName)) RunExtendPro(kActionAfterLoad);
    if (ctx_.device.FuseTypeDigit == 1)
        return ExchangeOptionsAfterLoad() ? LoadEnd::Loaded : LoadEnd::ExchangeFailed;
    return LoadEnd::Loaded;
}

// ---- Reading the file range ------------------------------------------------------------------

bool LoadFlow::ReadSourceFile(const LoadSettings& s, LoadSource& source) {
    if (s.Name.empty()) return false;
    blockBytesBeforeLoad_ = ctx_.buffer.BlockSize();

    const std::string path = LoadableFilePath(s.Name);
    // Not blocking: a pipe put in the file's place since it was looked at
    // must not hold the window; it is refused below.
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        if (s.Name != "NULL")
            ctx_.messages.MessageBox(kLoadOpenFailText, "", MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{fd};

    // The size of the file opened, which the reads must deliver in full.
    const uint64_t fileSize = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    if (s.SourceSAdd < 0 || s.SourceEAdd < s.SourceSAdd) {
        ShowRangeError(ctx_.messages, "Error");
        return false;
    }
    const uint64_t start = static_cast<uint64_t>(s.SourceSAdd);
    if (start >= fileSize) {
        ShowRangeError(ctx_.messages, "ERROR");
        return false;
    }
    // Only the bytes the file holds are read.
    const uint64_t asked = static_cast<uint64_t>(s.SourceEAdd) - start + 1;
    const uint64_t length = std::min(asked, fileSize - start);

    if (length > ctx_.buffer.GetBufferSize())
        ctx_.buffer.SetBufferSize(static_cast<uint32_t>(length));

    if (!source.Open(std::exchange(closer.fd, -1), path, start, length, windowBytes_)) {
        ctx_.messages.MessageBox(kLoadMemoryText, kLoadMemoryTitle, MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    return true;
}

// ---- Loading into the buffer -----------------------------------------------------------------

uint32_t LoadFlow::DeviceFloor() const {
    const DeviceRecord& d = ctx_.device;
    switch (ComputeDeviceSizes(d.DeviceParamBlock, d.Data_Width).width) {
        case DataWidth::Word16:
            return std::max<uint32_t>(d.DeviceBytes, 0x20000);
        case DataWidth::Byte8:
            return std::max<uint32_t>(d.DeviceBytes, 0x10000);
        default:
            return d.DeviceBytes;
    }
}

void LoadFlow::RestoreBufferLength(uint32_t length) {
    const uint64_t before =
        length > DataBuffer::kLengthSlack ? uint64_t{length} - DataBuffer::kLengthSlack : 0;
    const uint64_t n = std::max<uint64_t>(before, DeviceFloor());
    if (n == 0 || uint64_t{ctx_.buffer.GetBufferSize()} == n + DataBuffer::kLengthSlack) return;
    ctx_.buffer.SetBufferSize(static_cast<uint32_t>(n));
}

namespace {

// What a pass into the buffer overwrites of the bytes the buffer held before
// the load, put back should the file fail to be read to its end; past them
// the buffer only grew, which gave zeros.
class HeldBytes {
public:
    bool Save(std::span<const uint8_t> target, uint64_t dest, std::size_t heldBeforeLoad) {
        const uint64_t heldFrom = heldBeforeLoad > dest ? heldBeforeLoad - dest : 0;
        kept_ = static_cast<std::size_t>(std::min<uint64_t>(target.size(), heldFrom));
        if (!saved_.Resize(kept_)) return false;
        if (kept_ > 0) std::memcpy(saved_.data(), target.data(), kept_);
        return true;
    }
    void PutBack(std::span<uint8_t> target) const {
        if (kept_ > 0) std::memcpy(target.data(), saved_.data(), kept_);
        std::memset(target.data() + kept_, 0, target.size() - kept_);
    }

private:
    ByteBlock saved_;
    std::size_t kept_ = 0;
};

}  // namespace

bool LoadFlow::Place(std::span<const uint8_t> image, uint64_t length, const LoadSettings& s) {
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    if (s.UnuserFillCheck == 1)
        return ctx_.buffer.PlaceLoadedDataFill(image, length,
                                               static_cast<uint8_t>(s.UserFill & 0xFF), dest);
    return ctx_.buffer.PlaceLoadedData(image, length, dest);
}

bool LoadFlow::LoadIntoBuffer(const LoadSettings& s, int32_t announce, int32_t showSum,
                              LoadSource& source) {
    return LoadSourceIntoBuffer(s, announce, showSum, source) == LoadEnd::Loaded;
}

void LoadFlow::RememberFormat(LoadFormat format) {
    // Remembered for the next opening; this load goes on with what it found.
    HandBackWriter writer(ctx_.HistoryIniPath(), kLoadSection);
    writer.Integer("Format", static_cast<int32_t>(format));
    writer.Finish(ctx_.messages);
}

LoadEnd LoadFlow::LoadSourceIntoBuffer(const LoadSettings& s, int32_t announce, int32_t showSum,
                                       LoadSource& source) {
    const uint32_t lengthAtEntry = ctx_.buffer.GetBufferSize();
    if (s.DistSadd < 0) {
        ShowRangeError(ctx_.messages, "ERROR");
        return LoadEnd::LoadFailed;
    }

    LoadFormat format = static_cast<LoadFormat>(s.Format);
    const bool detected = s.Format == static_cast<int32_t>(LoadFormat::Auto);
    if (detected) {
        const ProbeMode mode = announce == 1 ? ProbeMode::ShowYes : ProbeMode::Silent;
        int readError = 0;
        const std::optional<LoadFormat> found =
            DetectHexFormat(ctx_.messages, mode, source.AsFeed(), readError);
        if (!found) {
            ShowReadFailure(ctx_.messages, source.Path(), readError);
            return LoadEnd::ReadFailed;
        }
        format = *found == LoadFormat::Auto ? LoadFormat::Binary : *found;
        // Binary is remembered and announced once the file is read.
        if (format != LoadFormat::Binary) RememberFormat(format);
    }

    LoadEnd end = LoadEnd::LoadFailed;
    switch (format) {
        case LoadFormat::IntelHex:
        case LoadFormat::Motorola:
        case LoadFormat::Tektronix:
            end = LoadHex(format, source, s, showSum, detected);
            break;
        default:  // .exe, .com, binary, and values no reader knows
            end = LoadWhole(format, source, s, announce, detected);
            break;
    }
    if (end != LoadEnd::Loaded) RestoreBufferLength(lengthAtEntry);
    return end;
}

LoadEnd LoadFlow::LoadWhole(LoadFormat format, LoadSource& source, const LoadSettings& s,
                            int32_t announce, bool detected) {
    // A binary image goes straight into the buffer at the destination; an
    // .exe is read aside first, since its header is not placed.
    if (format == LoadFormat::DosExe) return LoadExe(source, s, announce, detected);
    DataBuffer& buffer = ctx_.buffer;
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    const uint64_t length = source.Length();
    if (!buffer.ReserveLoadedData(length, dest)) return LoadEnd::LoadFailed;
    {
        BufferLock lock = buffer.GetBufferHandle();
        if (!lock) return LoadEnd::LoadFailed;
        const std::span<uint8_t> target =
            lock.Bytes().subspan(dest, static_cast<std::size_t>(length));
        HeldBytes held;
        if (!held.Save(target, dest, blockBytesBeforeLoad_)) return ShowNoMemoryForLoad();
        if (const int error = source.ReadAll(target, ctx_.progress); error != 0) {
            held.PutBack(target);
            lock.Release();
            ShowReadFailure(ctx_.messages, source.Path(), error);
            return LoadEnd::ReadFailed;
        }
        lock.MarkChanged();
    }
    AnnounceBinary(announce, detected);
    buffer.FinishLoadedData(length, dest, s.UnuserFillCheck == 1,
                            static_cast<uint8_t>(s.UserFill & 0xFF));
    buffer.SetLoadedStart(dest);
    buffer.SetLoadedEnd(static_cast<uint32_t>(dest + length));
    return LoadEnd::Loaded;
}

LoadEnd LoadFlow::LoadExe(LoadSource& source, const LoadSettings& s, int32_t announce,
                          bool detected) {
    // The read is the first to write these pages: nothing fills them before.
    ByteBlock block;
    if (source.Length() > SIZE_MAX || !block.Resize(static_cast<std::size_t>(source.Length())))
        return ShowNoMemoryForLoad();
    if (const int error = source.ReadAll(block.Bytes(), ctx_.progress); error != 0) {
        ShowReadFailure(ctx_.messages, source.Path(), error);
        return LoadEnd::ReadFailed;
    }
    AnnounceBinary(announce, detected);

    std::span<const uint8_t> image = block.Bytes();
    if (!StripExeHeader(image, ctx_.messages)) return LoadEnd::LoadFailed;
    if (!Place(image, image.size(), s)) return LoadEnd::LoadFailed;
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    ctx_.buffer.SetLoadedStart(dest);
    ctx_.buffer.SetLoadedEnd(static_cast<uint32_t>(dest + image.size()));
    return LoadEnd::Loaded;
}

void LoadFlow::AnnounceBinary(int32_t announce, bool detected) {
    if (!detected) return;
    RememberFormat(LoadFormat::Binary);
    if (announce == 1)
        ctx_.messages.MessageBox(kLoadBinaryText, kLoadBinaryTitle, MsgButtons::Ok, MsgIcon::None);
}

LoadEnd LoadFlow::ShowNoMemoryForLoad() {
    ctx_.messages.MessageBox(kLoadMemoryText, kLoadMemoryTitle, MsgButtons::Ok, MsgIcon::None);
    return LoadEnd::ReadFailed;
}

LoadEnd LoadFlow::LoadHex(LoadFormat format, LoadSource& source, const LoadSettings& s,
                          int32_t showSum, bool detected) {
    Messages& messages = ctx_.messages;
    DataBuffer& buffer = ctx_.buffer;
    const TextFeed feed = source.AsFeed();
    int readError = 0;
    // A format just found by its probe needs no second look: the probe
    // would answer the same, and the Motorola one reads the whole file.
    if (!detected) {
        const std::optional<bool> yes =
            ProbeFormat(messages, format, ProbeMode::ShowNo, feed, readError);
        if (!yes) {
            ShowReadFailure(messages, source.Path(), readError);
            return LoadEnd::ReadFailed;
        }
        if (!*yes) return LoadEnd::LoadFailed;
    }

    const ReaderPorts ports{messages, ctx_.progress, ctx_.pump};
    const FillSettings fill{s.UnuserFillCheck == 1, static_cast<uint8_t>(s.UserFill & 0xFF)};

    ParsedImage extent;
    extent.HighAddress = static_cast<uint32_t>(source.Length());
    if (!ReadHex(format, ports, ReadPass::Extent, extent, buffer.GetBufferSize(), source.Length(),
                 fill, feed, readError)) {
        if (readError == 0) return LoadEnd::LoadFailed;
        ShowReadFailure(messages, source.Path(), readError);
        return LoadEnd::ReadFailed;
    }

    if (extent.HighAddress >= buffer.GetBufferSize()) {
        // Motorola files grow the buffer without asking.
        if (format != LoadFormat::Motorola &&
            messages.MessageBox(ResizeQuestion(extent.HighAddress), kLoadResizeTitle,
                                MsgButtons::OkCancel, MsgIcon::None) != MsgAnswer::Ok)
            return LoadEnd::LoadFailed;
        if (!buffer.SetBufferSize(extent.HighAddress)) return LoadEnd::LoadFailed;
    }

    // The store pass writes the image straight into the buffer at the
    // destination, as much of it as the extent pass found; the placement
    // then fills around it.
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    const uint64_t length = uint64_t{extent.HighAddress} + 1;
    if (!buffer.ReserveLoadedData(length, dest)) return LoadEnd::LoadFailed;
    ParsedImage stored;
    const LoadEnd end = StoreHex(format, source, s, ports, fill, stored, length);
    if (end != LoadEnd::Loaded) return end;
    if (stored.HighAddress != extent.HighAddress) {
        ShowOutOfBuffer(messages);
        return LoadEnd::LoadFailed;
    }
    buffer.FinishLoadedData(length, dest, fill.fillUnused, fill.userFill);

    buffer.SetLoadedStart(dest);
    buffer.SetLoadedEnd(static_cast<uint32_t>(dest + length));
    // The Tektronix load leaves the last sum as it was.
    if (format != LoadFormat::Tektronix) buffer.GetSum(dest, dest + stored.HighAddress, showSum);
    return LoadEnd::Loaded;
}

LoadEnd LoadFlow::StoreHex(LoadFormat format, LoadSource& source, const LoadSettings& s,
                           const ReaderPorts& ports, const FillSettings& fill,
                           ParsedImage& stored, uint64_t length) {
    DataBuffer& buffer = ctx_.buffer;
    const uint32_t imageSize = buffer.GetBufferSize();
    BufferLock lock = buffer.GetBufferHandle();
    if (!lock) return LoadEnd::LoadFailed;
    const std::span<uint8_t> target =
        lock.Bytes().subspan(static_cast<uint32_t>(s.DistSadd), static_cast<std::size_t>(length));

    HeldBytes held;
    if (!held.Save(target, static_cast<uint32_t>(s.DistSadd), blockBytesBeforeLoad_)) {
        ShowNoMemoryForLoad();
        return LoadEnd::LoadFailed;
    }

    stored.HighAddress = static_cast<uint32_t>(source.Length());
    stored.Target = target;
    int readError = 0;
    const bool ok = ReadHex(format, ports, ReadPass::Store, stored, imageSize, source.Length(),
                            fill, source.AsFeed(), readError);
    if (readError != 0) {
        held.PutBack(target);
        lock.Release();
        ShowReadFailure(ctx_.messages, source.Path(), readError);
        return LoadEnd::ReadFailed;
    }
    // The extent pass saw every record the store pass stores; a pass that
    // still fails has written part of the buffer, which the view must show.
    if (!ok) lock.MarkChanged();
    return ok ? LoadEnd::Loaded : LoadEnd::LoadFailed;
}

// ---- The option-type-1 exchange ----------------------------------------------------------------

void LoadFlow::ExchangeFail(const char* message) {
    ctx_.frame.ShowOperationFail();
    ctx_.messages.ShowMessage(message);
}

bool LoadFlow::ExchangeOptionsAfterLoad() {
    OperationFrame& frame = ctx_.frame;
    ProgrammerLink& link = ctx_.link;
    OperationFrame::OperationScope scope(frame);

    LoadDeviceIni(DeviceLoadContext{ctx_.device, ctx_.messages, ctx_.fpga});
    if (!frame.RunFirstSetup()) {
        frame.FailStep(CopyStep::Verify);
        return false;
    }
    // Options applied to data the programmer did not receive would patch the
    // buffer with nonsense: a failed download ends the exchange (it reported).
    if (!ctx_.downloads.SendBufferToProgrammer()) return false;

    std::array<uint8_t, kChipOptionLength> words{};
    for (std::size_t i = 0; i < ctx_.options.OptionWords.size(); ++i) {
        words[2 * i] = static_cast<uint8_t>(ctx_.options.OptionWords[i] & 0xFF);
        words[2 * i + 1] = static_cast<uint8_t>(ctx_.options.OptionWords[i] >> 8);
    }
    if (!link.BlockWrite(kChipOptionAddr, kChipOptionLength)) {
        ExchangeFail(kErrBlockWrite);
        return false;
    }
    if (!link.DataWrite(words)) {
        ExchangeFail(kErrOptionWordsData);
        return false;
    }
    if (!link.Execute(OpApplyOptions)) {
        ExchangeFail(kErrExecute49);
        return false;
    }
    // The patch list of a routine that failed would patch the buffer with
    // nonsense: only a pass is applied. A status failure has no message.
    OperationStatus status;
    if (!link.ReadStatus(status) || !status.Pass()) {
        frame.ShowOperationFail();
        return false;
    }
    if (!link.BlockRead(kPatchListAddr, kPatchListLength)) {
        ExchangeFail(kErrBlockRead);
        return false;
    }
    std::array<uint8_t, kPatchListBytes> list{};
    if (!link.DataRead(list)) {
        ExchangeFail(kErrPatchListData);
        return false;
    }
    return ApplyOptionPatches(ctx_.buffer, list, ctx_.messages).ok;
}

int32_t LoadFlow::RunExtendPro(int32_t action) {
    const uint64_t id = ctx_.mainWindowId ? ctx_.mainWindowId() : 0;
    return burnmark::RunExtendPro(action, ctx_.device.IcFileName, ctx_.HistoryIniPath(), id,
                                  ctx_.processes, ctx_.messages);
}

}  // namespace burnmark
