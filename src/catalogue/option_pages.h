// The option window's state and rules as data: which window the Parameters
// control opens for a device, the values of one showing's controls, the
// checks and the OK sequence (store the values, the verify-list choice, the
// option words to the programmer, the buffer size, the option-type-1
// checksum). The window only shows the controls and hands the operator's
// changes over; it is made anew for each showing, and so is this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "buffer/buffer_sizing.h"
#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/option_layout.h"
#include "platform/ports.h"

namespace burnmark {

enum class OptionWindowChoice {
    Nothing,   // no option pages (Menu "None", "0" or empty): the control does nothing
    Pages,     // the device's pages, over the main window
    Pageless,  // option type 0: only the verify-list box, over the Copy page
};

OptionWindowChoice ChooseOptionWindow(const DeviceRecord& device);

struct OptionPagesParts {
    DeviceRecord& device;
    DeviceOptions& options;
    BufferSizing& sizing;
    DataBuffer& buffer;
    Messages& messages;
    // The exchange with the programmer (SendOptionData, RefreshOptionChecksum).
    std::function<bool()> SendOptionData;
    std::function<void()> RefreshOptionChecksum;
};

class OptionPages {
public:
    // withPages: read the device's definition; otherwise the window holds only
    // the verify-list box.
    OptionPages(OptionPagesParts parts, bool withPages);

    const OptionLayout& Layout() const { return layout_; }
    bool HasPages() const { return !layout_.Pages.empty(); }
    // What the definition asked for beyond what the pages hold, said once
    // when the window comes up.
    void AnnounceCuts();

    // The components in creation order, and what their controls hold.
    std::size_t ComponentCount() const { return layout_.Components.size(); }
    const OptionComponent& Component(std::size_t i) const { return layout_.Components[i]; }
    bool Checked(std::size_t i) const { return numbers_[i] != 0; }
    void SetChecked(std::size_t i, bool ticked) { numbers_[i] = ticked ? 1 : 0; }
    // The chosen radio item, -1 for none.
    int32_t Chosen(std::size_t i) const { return numbers_[i]; }
    void SetChosen(std::size_t i, int32_t item);
    const std::string& Text(std::size_t i) const { return texts_[i]; }
    // A value field's text changed (EditChange): returns what the field keeps.
    const std::string& SetText(std::size_t i, const std::string& text);

    // check_list: "Verify Error List (Only for MPU and Memory)".
    bool VerifyList() const { return verifyList_; }
    void SetVerifyList(bool ticked) { verifyList_ = ticked; }

    // 1 after OK, else 0.
    int32_t Result() const { return result_; }
    // The first component whose value stops OK, in creation order.
    std::optional<std::size_t> FirstWrongValue() const;
    // CheckValue of every component; the message for the first wrong one.
    bool ValidateOptionComponents();
    void SaveOptionSettings();
    // The OK sequence, the programmer's part included. False while a value is
    // wrong: the window stays open. The window closes only after it returned.
    bool OKBitBtnClick();
    void BitBtn2Click() { result_ = 0; }

private:
    OptionPagesParts p_;
    OptionLayout layout_;
    std::vector<int32_t> numbers_;
    std::vector<std::string> texts_;
    bool verifyList_ = false;
    int32_t result_ = 0;
};

}  // namespace burnmark
