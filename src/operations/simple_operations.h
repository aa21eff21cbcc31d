// The operations without a data transfer: erase, blank check and protect,
// with the Copy-page picture handlers that start them. Each sets the
// parameter block's size and voltages, runs one routine on the programmer and
// shows its status on its step; protect first sends the option words.
#pragma once

#include <cstdint>

#include "operations/operation_frame.h"

namespace burnmark {

// The option-page window's part of protect: packs the option values into
// OptionWords and writes them to the programmer. False when a request failed,
// or when the stored option values missed a write and so are not the ones
// chosen (it has shown the failure display and its text): the chip is then
// not protected with options it did not receive or nobody chose.
class OptionDataSender {
public:
    virtual ~OptionDataSender() = default;
    virtual bool SendOptionData() = 0;
};

class SimpleOperations {
public:
    explicit SimpleOperations(OperationFrame& frame)
        : frame_(frame),
          device_(frame.Device()),
          options_(frame.Options()),
          link_(frame.Link()),
          page_(frame.Page()),
          messages_(frame.Operator()) {}
    SimpleOperations(const SimpleOperations&) = delete;
    SimpleOperations& operator=(const SimpleOperations&) = delete;

    // The option-page window (protect sends the option values through it).
    void SetOptionDataSender(OptionDataSender* sender) { optionSender_ = sender; }

    // True on a pass (or when the step's guard is set), false on a failure.
    bool erase_1Click(int mode);
    bool check_1Click(int mode);
    bool ProtectDevice(int mode);

    // --- Copy-page picture handlers ---------------------------------------------------
    void erace_nClick();
    void erace_pClick() { EraseRerun(); }
    void erace_fClick() { EraseRerun(); }
    void check_nClick();
    void check_pClick() { CheckRerun(); }
    void check_fClick() { CheckRerun(); }
    void secur_nClick();
    void secur_pClick() { SecurRerun(); }
    void secur_fClick() { SecurRerun(); }

private:
    struct SimpleOperation;

    bool RunSimple(const SimpleOperation& op, int mode);
    // ProgressBar21 full and hidden, ProgressBar2 shown: the end of every pass.
    bool Finish();
    void EraseRerun();
    void CheckRerun();
    void SecurRerun();

    OperationFrame& frame_;
    DeviceRecord& device_;
    DeviceOptions& options_;
    ProgrammerLink& link_;
    CopyPageModel& page_;
    Messages& messages_;
    OptionDataSender* optionSender_ = nullptr;
};

}  // namespace burnmark
