#include "flow/save_flow.h"

#include <exception>

#include "flow/load_flow.h"

namespace burnmark {

std::string SaveLimitText(SaveFormat format) {
    switch (format) {
        case SaveFormat::IntelHex:
            return "File Too Big for Intel Format,\nPlease Select other Format.";
        case SaveFormat::MotorolaS1:
            return "File Too Big for Motorola %S[S1],\nPlease Select other Format.";
        case SaveFormat::MotorolaS2:
            return "File Too Big for Motorola S2,\nPlease Select other Format.";
        case SaveFormat::Tektronix:
            return "File Too Big for Tektlonix Format,\nPlease Select other Format.";
        default:
            return {};
    }
}

SaveEnd SaveFlow::SaveFileClick(SaveDialogPort& dialog) {
    if (ctx_.busy.Busy()) return SaveEnd::Ignored;
    try {
        SaveDialogLogic logic(ctx_);
        const std::optional<SaveSettings> answer = dialog.RunSaveDialog(logic);
        if (!answer) return SaveEnd::Cancelled;
        return RunSave(*answer);
    } catch (const std::exception& e) {
        ctx_.messages.MessageBox(e.what(), kSaveFileErrorTitle, MsgButtons::Ok, MsgIcon::Error);
        return SaveEnd::FileError;
    }
}

SaveEnd SaveFlow::RunSave(const SaveSettings& settings) {
    BusyScope busy(ctx_.busy);
    SaveResult result;
    {
        BufferLock lock = ctx_.buffer.GetBufferHandle();
        if (!lock) {
            ctx_.messages.ShowMessage(kErrPatchNoBuffer);
            return SaveEnd::Refused;
        }
        result = SaveBufferToFile(settings, lock.Bytes(), ctx_.progress);
    }
    switch (result.status) {
        case SaveStatus::Ok:
            return SaveEnd::Saved;
        case SaveStatus::RangeTooLarge:
            ctx_.messages.MessageBox(SaveLimitText(settings.Format), kSaveLimitTitle,
                                     MsgButtons::Ok, MsgIcon::Error);
            return SaveEnd::Refused;
        case SaveStatus::EmptyRange:
            ctx_.messages.MessageBox(kRangeErrorText, "Error", MsgButtons::Ok, MsgIcon::Error);
            return SaveEnd::Refused;
        case SaveStatus::OutsideBuffer:
            ctx_.messages.MessageBox(kRangeErrorText, "ERROR", MsgButtons::Ok, MsgIcon::Error);
            return SaveEnd::Refused;
        case SaveStatus::FileError:
        default:
            // What the file system said, as the exception display shows it.
            ctx_.messages.MessageBox(result.message, kSaveFileErrorTitle, MsgButtons::Ok,
                                     MsgIcon::Error);
            return SaveEnd::FileError;
    }
}

}  // namespace burnmark
