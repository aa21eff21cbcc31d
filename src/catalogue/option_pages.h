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

// The window the Parameters control opens. Every device gets one, so that
// the verify-list box can always be reached.
enum class OptionWindowChoice {
    Nothing,           // none: the program is busy or closing
    Pages,             // the device's pages at the main window's Left + 6, Top + 50
    PagelessOverMain,  // Menu beginning with "0": no pages, at Left + 8, Top + 52
    PagelessOverCopy,  // option type 0: no pages, over the Copy page
};

// Menu beginning with "0" first, then the option type: any type but 0 gets
// its pages (one empty page where Menu names no definition).
OptionWindowChoice ChooseOptionWindow(const DeviceRecord& device);

struct OptionPagesParts {
    DeviceRecord& device;
    DeviceOptions& options;
    BufferSizing& sizing;
    DataBuffer& buffer;
    Messages& messages;
    // The exchange with the programmer: OptionWords as the window packed
    // them to the programmer (the send of SendOptionData), and
    // RefreshOptionChecksum.
    std::function<bool()> SendOptionWords;
    std::function<void()> RefreshOptionChecksum;
};

class OptionPages {
public:
    // Pages: read the device's definition; otherwise the window holds only
    // the verify-list box.
    OptionPages(OptionPagesParts parts, OptionWindowChoice choice);

    OptionWindowChoice Choice() const { return choice_; }
    const OptionLayout& Layout() const { return layout_; }
    bool HasPages() const { return !layout_.Pages.empty(); }
    // The layout with the values the controls hold now.
    OptionLayout ShownLayout() const;
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
    // Writes every value to the store. A write that fails is reported, and
    // StoreBehind says so until a write of every value lands.
    bool SaveOptionSettings();
    // The OK sequence, the programmer's part included: the programmer gets
    // what the window shows, whether or not the store took it. False while a
    // value is wrong: the window stays open. The window closes only after it
    // returned.
    bool OKBitBtnClick();
    void BitBtn2Click() { result_ = 0; }

private:
    OptionPagesParts p_;
    OptionWindowChoice choice_;
    OptionLayout layout_;
    std::vector<int32_t> numbers_;
    std::vector<std::string> texts_;
    bool verifyList_ = false;
    int32_t result_ = 0;
};

}  // namespace burnmark
