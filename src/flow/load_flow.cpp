#include "flow/load_flow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>

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

// The file pieces of one read: below 64 KB each, as the progress counts them.
constexpr uint64_t kReadPiece = 0xFFFF;

bool ReadHex(LoadFormat format, const ReaderPorts& ports, ReadPass pass, ParsedImage& image,
             uint64_t imageSize, std::span<const uint8_t> file, const FillSettings& fill) {
    switch (format) {
        case LoadFormat::IntelHex:
            return LoadIntelHex(ports, pass, image, imageSize, file, fill);
        case LoadFormat::Motorola:
            return LoadMotorolaHex(ports, pass, image, imageSize, file, fill);
        case LoadFormat::Tektronix:
            return LoadTektronixHex(ports, pass, image, imageSize, file, fill);
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
    ByteBlock block;
    if (!ReadSourceFile(s, block)) {
        RestoreBufferLength(lengthBefore);
        return LoadEnd::ReadFailed;
    }
    if (!LoadIntoBuffer(s, 1, 0, block.Bytes())) {
        // Nothing landed: the buffer keeps its size, and the programmer is not
        // asked to work on a buffer the load did not fill.
        RestoreBufferLength(lengthBefore);
        return LoadEnd::LoadFailed;
    }
    // The device in force, as the selection took it (its stored copy may not
    // have been written).
    if (HasExtendPro(ctx_.device.IcFileName)) RunExtendPro(kActionAfterLoad);
    if (ctx_.device.FuseTypeDigit == 1)
        return ExchangeOptionsAfterLoad() ? LoadEnd::Loaded : LoadEnd::ExchangeFailed;
    return LoadEnd::Loaded;
}

// ---- Reading the file range ------------------------------------------------------------------

bool LoadFlow::ReadSourceFile(const LoadSettings& s, ByteBlock& block) {
    if (s.Name.empty()) return false;

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
        ~Closer() { ::close(fd); }
    } closer{fd};

    // The size of the file opened, which the read must deliver in full.
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

    // The read is the first to write these pages: nothing fills them before.
    ByteBlock bytes;
    if (length > SIZE_MAX || !bytes.Resize(static_cast<std::size_t>(length))) {
        ctx_.messages.MessageBox(kLoadMemoryText, kLoadMemoryTitle, MsgButtons::Ok, MsgIcon::None);
        return false;
    }

    Progress& progress = ctx_.progress;
    progress.ProgressSetPosition(0);
    progress.Show();
    const uint64_t pieces = (length + kReadPiece - 1) / kReadPiece;
    const uint64_t width = std::max<uint64_t>(pieces / 100, 1);
    uint64_t got = 0;
    int error = 0;
    for (uint64_t piece = 0; got < length && error == 0; ++piece) {
        const std::size_t want = static_cast<std::size_t>(std::min(kReadPiece, length - got));
        std::size_t have = 0;
        while (have < want) {
            const ssize_t n = ::pread(fd, bytes.data() + got + have, want - have,
                                      static_cast<off_t>(start + got + have));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? errno : -1;  // -1: the file ended early
                break;
            }
            have += static_cast<std::size_t>(n);
        }
        got += have;
        if (piece % width == 0) progress.ProgressStep();
    }
    progress.ProgressFinish();
    progress.Close();
    if (error != 0) {
        // Another program rewrote the file, or the disk failed: a part of the
        // file is no file to program.
        const std::string reason =
            error > 0 ? std::strerror(error)
                      : "The file changed while it was read: it is shorter than when the load "
                        "began.";
        ctx_.messages.MessageBox("Can't read \"" + path + "\". " + reason, kLoadReadFailTitle,
                                 MsgButtons::Ok, MsgIcon::Error);
        return false;
    }
    block = std::move(bytes);
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

bool LoadFlow::Place(std::span<const uint8_t> image, uint64_t length, const LoadSettings& s) {
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    if (s.UnuserFillCheck == 1)
        return ctx_.buffer.PlaceLoadedDataFill(image, length,
                                               static_cast<uint8_t>(s.UserFill & 0xFF), dest);
    return ctx_.buffer.PlaceLoadedData(image, length, dest);
}

bool LoadFlow::LoadIntoBuffer(const LoadSettings& s, int32_t announce, int32_t showSum,
                              std::span<const uint8_t> block) {
    const uint32_t lengthAtEntry = ctx_.buffer.GetBufferSize();
    if (s.DistSadd < 0) {
        ShowRangeError(ctx_.messages, "ERROR");
        return false;
    }

    LoadFormat format = static_cast<LoadFormat>(s.Format);
    const bool detected = s.Format == static_cast<int32_t>(LoadFormat::Auto);
    if (detected) {
        const ProbeMode mode = announce == 1 ? ProbeMode::ShowYes : ProbeMode::Silent;
        format = DetectHexFormat(ctx_.messages, mode, block);
        if (format == LoadFormat::Auto) format = LoadFormat::Binary;
        // Remembered for the next opening; this load goes on with what it found.
        HandBackWriter writer(ctx_.HistoryIniPath(), kLoadSection);
        writer.Integer("Format", static_cast<int32_t>(format));
        writer.Finish(ctx_.messages);
        if (format == LoadFormat::Binary && announce == 1)
            ctx_.messages.MessageBox(kLoadBinaryText, kLoadBinaryTitle, MsgButtons::Ok,
                                     MsgIcon::None);
    }

    bool ok = false;
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    switch (format) {
        case LoadFormat::IntelHex:
        case LoadFormat::Motorola:
        case LoadFormat::Tektronix:
            ok = LoadHex(format, block, s, showSum, detected);
            break;
        case LoadFormat::DosExe: {
            std::span<const uint8_t> image(block);
            ok = StripExeHeader(image, ctx_.messages) && Place(image, image.size(), s);
            if (ok) {
                ctx_.buffer.SetLoadedStart(dest);
                ctx_.buffer.SetLoadedEnd(static_cast<uint32_t>(dest + image.size()));
            }
            break;
        }
        default:  // .com, binary, and values no reader knows
            ok = Place(block, block.size(), s);
            if (ok) {
                ctx_.buffer.SetLoadedStart(dest);
                ctx_.buffer.SetLoadedEnd(static_cast<uint32_t>(dest + block.size()));
            }
            break;
    }
    if (!ok) RestoreBufferLength(lengthAtEntry);
    return ok;
}

bool LoadFlow::LoadHex(LoadFormat format, std::span<const uint8_t> block, const LoadSettings& s,
                       int32_t showSum, bool detected) {
    Messages& messages = ctx_.messages;
    DataBuffer& buffer = ctx_.buffer;
    // A format just found by its probe needs no second look: the probe
    // would answer the same, and the Motorola one reads the whole file.
    if (!detected && !ProbeFormat(messages, format, ProbeMode::ShowNo, block)) return false;

    const ReaderPorts ports{messages, ctx_.progress, ctx_.pump};
    const FillSettings fill{s.UnuserFillCheck == 1, static_cast<uint8_t>(s.UserFill & 0xFF)};

    ParsedImage extent;
    extent.HighAddress = static_cast<uint32_t>(block.size());
    if (!ReadHex(format, ports, ReadPass::Extent, extent, buffer.GetBufferSize(), block, fill))
        return false;

    if (extent.HighAddress >= buffer.GetBufferSize()) {
        // Motorola files grow the buffer without asking.
        if (format != LoadFormat::Motorola &&
            messages.MessageBox(ResizeQuestion(extent.HighAddress), kLoadResizeTitle,
                                MsgButtons::OkCancel, MsgIcon::None) != MsgAnswer::Ok)
            return false;
        if (!buffer.SetBufferSize(extent.HighAddress)) return false;
    }

    // The store pass writes the image straight into the buffer at the
    // destination, as much of it as the extent pass found; the placement
    // then fills around it.
    const uint32_t dest = static_cast<uint32_t>(s.DistSadd);
    const uint64_t length = uint64_t{extent.HighAddress} + 1;
    const uint32_t imageSize = buffer.GetBufferSize();
    if (!buffer.ReserveLoadedData(length, dest)) return false;
    ParsedImage stored;
    stored.HighAddress = static_cast<uint32_t>(block.size());
    bool ok = false;
    {
        BufferLock lock = buffer.GetBufferHandle();
        if (!lock) return false;
        stored.Target = lock.Bytes().subspan(dest, static_cast<std::size_t>(length));
        ok = ReadHex(format, ports, ReadPass::Store, stored, imageSize, block, fill);
        // The extent pass saw every record the store pass stores; a pass that
        // still fails has written part of the buffer, which the view must show.
        if (!ok) lock.MarkChanged();
    }
    if (!ok) return false;
    if (stored.HighAddress != extent.HighAddress) {
        ShowOutOfBuffer(messages);
        return false;
    }
    buffer.FinishLoadedData(length, dest, fill.fillUnused, fill.userFill);

    buffer.SetLoadedStart(dest);
    buffer.SetLoadedEnd(static_cast<uint32_t>(dest + length));
    // The Tektronix load leaves the last sum as it was.
    if (format != LoadFormat::Tektronix) buffer.GetSum(dest, dest + stored.HighAddress, showSum);
    return true;
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
