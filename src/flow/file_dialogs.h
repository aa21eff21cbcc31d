// What the load and save dialogs decide: their opening fields, the format
// rule, the file, IC and Max ranges, and the checks of their Load and Save
// buttons, which hand the command its typed answer (LoadSettings,
// SaveSettings). The answer is remembered in [LoadDlg] / [SaveDlg] for the
// next opening; the command never reads it back from there. The windows only
// show the fields and collect the operator's entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "flow/flow_context.h"
#include "buffer/formats/file_writers.h"

namespace burnmark {

struct LoadSettings;

inline constexpr const char* kNotFoundFileText = "Not Found File ! ";
inline constexpr const char* kLoadTooBigText =
    "File Too Big !\nA file of more than 10000000H bytes cannot be loaded.";
inline constexpr const char* kLoadFileTitle = "Load File";
inline constexpr const char* kNoFileNameText = "No File Name!!";
inline constexpr const char* kFileExistText = "File is Exist ! Are sure to save ?";
inline constexpr const char* kSaveFileTitle = "Save File";

// The largest file the load takes: its last offset must fit the seven digits
// of the range fields.
inline constexpr uint64_t kMaxLoadFileBytes = 0x10000000;
// The destination must lie below this.
inline constexpr uint32_t kLoadDestinationLimit = 0xF00000;

// The source range a file gives: "000000" to its size - 1 (a missing or
// empty file gives FFFFFFF, as the seven-digit field keeps it).
struct FileRangeTexts {
    std::string start;
    std::string end;
    bool operator==(const FileRangeTexts&) const = default;
};
FileRangeTexts FillFileRange(const std::string& name);

// ---- Load ------------------------------------------------------------------------------------

// The form's defaults are those of an opening without a remembered file.
struct LoadDialogFields {
    std::string name;
    std::string sourceStart = "0000000";
    std::string sourceEnd = "0000000";
    std::string dest = "00000000";
    int32_t format = 0;  // LoadFormat: 0 "Auto Detect" .. 6 "Tektlonix HEX"
    bool fillUnused = true;
    std::string fill = "FF";
    // The range and destination fields take entries (the Load button does
    // not look at it).
    bool rangeEditable = true;
};

class LoadDialogLogic {
public:
    explicit LoadDialogLogic(const FlowContext& ctx) : ctx_(ctx) {}

    const std::string& HistoryIniPath() const { return ctx_.HistoryIniPath(); }
    Messages& OperatorMessages() const { return ctx_.messages; }

    // The remembered file with its detected format and whole range, or the
    // form's defaults when that file is gone: "Auto Detect" with every field
    // enabled. The buffer is not touched.
    LoadDialogFields Opening() const;
    // "Auto Detect" takes the range and destination from the file: their
    // fields are disabled.
    static bool RangeEditable(int32_t format) { return format != 0; }
    // A hex format ticks "Fill unused with": its gaps would otherwise keep
    // the previous load's bytes.
    static void ApplyFormatRule(LoadDialogFields& fields);

    // The Load button: the checks in their order, each refusal with its
    // message (nullopt: the dialog stays open); then the answer is
    // remembered, the buffer sized for it and the Copy page's Edit and Save
    // steps offered.
    std::optional<LoadSettings> Accept(const LoadDialogFields& fields);
    // Every other way out: "OK" = "0", the Load and Read steps offered again.
    void Cancel();

private:
    void SizeBufferForLoad(uint32_t length);

    FlowContext ctx_;
};

// ---- Save ------------------------------------------------------------------------------------

// The end of the save dialog's IC range: the device's last byte (one further
// with an extended area), the buffer's last while no device is known.
int64_t SaveIcRangeEnd(const DeviceRecord& device, const DataBuffer& buffer);

// The largest end - start each format takes in the dialog; nullopt: no limit.
std::optional<uint32_t> SaveRangeLimit(SaveFormat format);

struct SaveDialogFields {
    std::string name;
    std::string start = "000000";
    std::string end = "000000";
    int32_t format = 0;  // SaveFormat
};

class SaveDialogLogic {
public:
    explicit SaveDialogLogic(const FlowContext& ctx) : ctx_(ctx) {}

    const std::string& HistoryIniPath() const { return ctx_.HistoryIniPath(); }
    Messages& OperatorMessages() const { return ctx_.messages; }

    // The remembered format, an empty name and the IC range, as the Save
    // command opens the dialog.
    SaveDialogFields Opening() const;
    FileRangeTexts IcRange() const;
    // The whole buffer (first sized for the device when it is shorter than
    // the device + 1024 bytes); nullopt for an empty buffer.
    std::optional<FileRangeTexts> MaxRange();
    // 0 .. size - 1 of the named file; "No File Seleted!!" and nullopt for a
    // missing or empty one.
    std::optional<FileRangeTexts> FileRange(const std::string& name);

    // The Save button: the checks in their order (the overwrite question
    // among them); nullopt: the dialog stays open.
    std::optional<SaveSettings> Accept(const SaveDialogFields& fields);
    void Cancel();

private:
    FlowContext ctx_;
};

}  // namespace burnmark
