#include "catalogue/option_pages.h"

#include "platform/profile.h"
#include "platform/settings_report.h"

namespace burnmark {

OptionWindowChoice ChooseOptionWindow(const DeviceRecord& device) {
    if (!device.Menu.empty() && device.Menu.front() == '0')
        return OptionWindowChoice::PagelessOverMain;
    return device.FuseTypeDigit != 0 ? OptionWindowChoice::Pages
                                     : OptionWindowChoice::PagelessOverCopy;
}

OptionPages::OptionPages(OptionPagesParts parts, OptionWindowChoice choice)
    : p_(std::move(parts)), choice_(choice) {
    if (choice_ == OptionWindowChoice::Pages)
        layout_ = ReadDeviceOptionLayout(p_.device, p_.options.OptionValuesSaved);
    for (const OptionComponent& c : layout_.Components) {
        numbers_.push_back(c.Number);
        texts_.push_back(c.Text);
    }
    verifyList_ = p_.options.VerifyListWanted == 1;
}

void OptionPages::AnnounceCuts() {
    const std::string notice = layout_.CutNotice();
    if (!notice.empty()) p_.messages.ShowMessage(notice);
}

void OptionPages::SetChosen(std::size_t i, int32_t item) {
    const auto items = static_cast<int32_t>(layout_.Components[i].Items.size());
    numbers_[i] = item >= 0 && item < items ? item : -1;
}

const std::string& OptionPages::SetText(std::size_t i, const std::string& text) {
    texts_[i] = ClampInput(layout_.Components[i], text);
    return texts_[i];
}

std::optional<std::size_t> OptionPages::FirstWrongValue() const {
    for (std::size_t i = 0; i < layout_.Components.size(); ++i)
        if (BelowMinimum(layout_.Components[i], texts_[i])) return i;
    return std::nullopt;
}

bool OptionPages::ValidateOptionComponents() {
    const std::optional<std::size_t> wrong = FirstWrongValue();
    if (!wrong) return true;
    p_.messages.MessageBox(InputWrongMessage(texts_[*wrong]), kInputWrongTitle, MsgButtons::Ok,
                           MsgIcon::Error);
    return false;
}

OptionLayout OptionPages::ShownLayout() const {
    OptionLayout shown = layout_;
    for (std::size_t i = 0; i < shown.Components.size(); ++i)
        TakeControlValue(shown.Components[i], numbers_[i], texts_[i]);
    return shown;
}

bool OptionPages::SaveOptionSettings() {
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t i = 0; i < layout_.Components.size(); ++i) {
        const OptionComponent& c = layout_.Components[i];
        if (std::optional<std::string> value = StoredValue(c, numbers_[i], texts_[i]))
            entries.emplace_back(c.ValueKey(), std::move(*value));
    }
    if (entries.empty()) return true;
    Profile store(OptionStorePath(p_.device));
    if (!store.WriteStrings(kOptionStoreSection, entries)) {
        p_.options.StoreBehind = true;
        ReportSettingsWriteFailure(p_.messages, {store.Path()}, OptionStoreUnkeptText("chosen"));
        return false;
    }
    p_.options.StoreBehind = false;
    return true;
}

bool OptionPages::OKBitBtnClick() {
    if (!ValidateOptionComponents()) return false;
    SaveOptionSettings();
    p_.options.OptionValuesSaved = 1;
    p_.options.VerifyListWanted = verifyList_ ? 1 : 0;

    const uint16_t type = p_.device.FuseTypeDigit;
    bool sent = true;
    if (type >= 1 && type <= 3 && p_.SendOptionWords) {
        // The words of what the window shows, not of the store: a store that
        // could not be written holds the earlier values.
        PackOptionWords(ShownLayout(), p_.options.OptionWords);
        sent = p_.SendOptionWords();
    }
    result_ = 1;
    if (p_.sizing.LoadedBufferSize > p_.sizing.BufferSize) {
        p_.sizing.BufferSize = p_.sizing.LoadedBufferSize;
        p_.buffer.SetBufferSize(p_.sizing.BufferSize);
    }
    // A send that failed has said why (a missing programmer once); the
    // programmer's checksum of options it did not take would mislead.
    if (type == 1 && sent && p_.RefreshOptionChecksum) p_.RefreshOptionChecksum();
    return true;
}

}  // namespace burnmark
