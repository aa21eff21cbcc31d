#include "catalogue/option_exchange.h"

#include <array>

#include "buffer/option_patches.h"
#include "platform/profile.h"
#include "platform/settings_report.h"

namespace burnmark {

OptionLayout OptionExchange::Layout() const {
    return ReadDeviceOptionLayout(p_.device, p_.options.OptionValuesSaved);
}

void OptionExchange::PackOptionWords() {
    burnmark::PackOptionWords(Layout(), p_.options.OptionWords);
}

bool OptionExchange::DeviceUsable() const {
    return p_.device.DeviceValid && p_.device.FpgaFileMissing == 0;
}

void OptionExchange::Fail(const std::string& message) {
    p_.fail.ShowOperationFail();
    p_.messages.ShowMessage(message);
}

void OptionExchange::SetReadVoltages() {
    DeviceParamBlock& block = p_.device.DeviceParamBlock;
    block.SetWord(param::CurrentVcc, p_.device.Voltages[kReadVcc]);
    block.SetWord(param::CurrentVpp, p_.device.Voltages[kReadVpp]);
    block.SetWord(param::CurrentVhh, p_.device.Voltages[kReadVhh]);
}

bool OptionExchange::Reconnect() {
    // A device that did not load completely, or whose FPGA image is missing,
    // would set the programmer up with another device's image: refuse as the
    // operations' set-up does (the load reported it).
    if (!DeviceUsable()) {
        p_.fail.ShowOperationFail();
        return false;
    }
    if (!p_.link.Reopen()) {
        Fail(p_.link.HardwareMissingMessage);
        return false;
    }
    return p_.link.SendFpgaPages() && p_.link.SendParamBlock(p_.device.DeviceParamBlock.Sent());
}

bool OptionExchange::SendOptionData() {
    const OptionLayout layout = Layout();
    // The store lacks values the pages held: packing from it would put other
    // options on the chip than the ones chosen or read.
    if (p_.options.StoreBehind && layout.WordsUsed > 0) {
        Fail(OptionStoreBehindText(OptionStorePath(p_.device)));
        return false;
    }
    burnmark::PackOptionWords(layout, p_.options.OptionWords);
    return SendOptionWords();
}

bool OptionExchange::SendOptionWords() {
    if (!Reconnect()) return false;

    if (!p_.link.BlockWrite(kOptionWordsAddr, kOptionWordsLength)) {
        Fail(kErrBlockWrite);
        return false;
    }
    std::array<uint8_t, kOptionWordsLength> bytes{};
    for (std::size_t i = 0; i < bytes.size() / 2; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(p_.options.OptionWords[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(p_.options.OptionWords[i] >> 8);
    }
    if (!p_.link.DataWrite(bytes)) {
        Fail(kErrOptionWordsWrite);
        return false;
    }
    if (p_.device.FuseTypeDigit != 1) return true;

    // Kept for the next parameter block; it is not sent again here.
    SetReadVoltages();
    if (!p_.link.Execute(OpApplyOptions)) {
        Fail(kErrExecute49);
        return false;
    }
    // The patch list is only the programmer's answer when the routine passed;
    // otherwise it is whatever an earlier run left at 0x0F00.
    OperationStatus status;
    if (!p_.link.ReadStatus(status) || !status.Pass()) {
        p_.fail.ShowOperationFail();
        return false;
    }
    if (!p_.link.BlockRead(kPatchListAddr, kPatchListLength)) {
        Fail(kErrBlockRead);
        return false;
    }
    std::array<uint8_t, kPatchListBytes> list{};
    if (!p_.link.DataRead(list)) {
        Fail(kErrBlockReadData);
        return false;
    }
    return ApplyOptionPatches(p_.buffer, list, p_.messages).ok;
}

bool OptionExchange::ReadOptionData() {
    if (!p_.link.BlockRead(kOptionWordsAddr, kOptionWordsLength)) {
        Fail(kErrBlockRead);
        return false;
    }
    // All that the request announced, so that no part of it is left for the
    // next read; only words 0 to 31 carry the chip's options.
    std::array<uint8_t, kOptionWordsLength> bytes{};
    if (!p_.link.DataRead(bytes)) {
        Fail(kErrOptionWordsRead);
        return false;
    }
    std::array<uint16_t, kOptionWordCount>& words = p_.options.OptionWords;
    words.fill(0);
    for (std::size_t i = 0; i < kReadBackWords; ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    Unpack(words, kReadBackWords);
    return true;
}

void OptionExchange::StoreOptionWords() { Unpack(p_.options.ChipOptionWords, kOptionWordCount); }

void OptionExchange::Unpack(std::span<const uint16_t, kOptionWordCount> words,
                            std::size_t available) {
    const OptionLayout layout = Layout();
    const auto entries = UnpackOptionWords(layout, words, available, p_.options.OptionValuesSaved);
    if (!entries.empty()) {
        Profile store(OptionStorePath(p_.device));
        if (!store.WriteStrings(kOptionStoreSection, entries)) {
            p_.options.StoreBehind = true;
            ReportSettingsWriteFailure(p_.messages, {store.Path()}, OptionStoreUnkeptText("read from the chip"));
        } else if (entries.size() == layout.Components.size()) {
            // Every value is the chip's now, whatever an earlier write missed.
            p_.options.StoreBehind = false;
        }
    }
    // The store now holds what every component shows: the pages take their
    // check boxes from it from now on.
    if (!layout.Components.empty()) p_.options.OptionValuesSaved = 1;
}

void OptionExchange::RefreshOptionChecksum() {
    SetReadVoltages();
    if (!Reconnect()) return;
    // Options applied to a buffer the programmer did not receive would give
    // the checksum of something else.
    if (!sendBuffer_ || !sendBuffer_()) return;
    if (!p_.link.Execute(OpApplyOptions)) {
        Fail(kErrExecute49);
        return;
    }
    OperationStatus status;
    if (!p_.link.ReadStatus(status)) return;
    if (!status.Pass()) {
        p_.fail.ShowOperationFail();
        return;
    }
    p_.checksum.ShowChecksum(status.Checksum());
}

}  // namespace burnmark
