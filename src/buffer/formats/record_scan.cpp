#include "buffer/formats/record_scan.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>

namespace burnmark {

int64_t SteadyMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ScanPacer::ScanPacer(const ReaderPorts& ports, uint64_t stepBase, bool stepProgress)
    : progress_(ports.progress),
      pump_(ports.pump),
      clock_(ports.clock ? ports.clock : MillisClock(SteadyMillis)),
      stepProgress_(stepProgress),
      width_(std::max<uint64_t>(stepBase / 100, 1)),
      nextStep_(stepProgress ? width_ : UINT64_MAX),
      nextClock_(kClockStride),
      next_(std::min(nextStep_, nextClock_)),
      lastPump_(clock_()) {
    // One pump before the scan, so a click made just before the load is seen.
    pump_.ProcessEvents();
}

void ScanPacer::Catch(uint64_t position) {
    // Steps of long records or skipped gaps are caught up here; the bar itself
    // stops at its maximum.
    while (position >= nextStep_) {
        progress_.ProgressStep();
        nextStep_ += width_;
    }
    if (position >= nextClock_) {
        nextClock_ = position + kClockStride;
        const int64_t now = clock_();
        if (now - lastPump_ >= kPumpIntervalMs) {
            pump_.ProcessEvents();
            lastPump_ = clock_();
        }
    }
    next_ = std::min(nextStep_, nextClock_);
}

void ShowFormatError(Messages& messages) {
    messages.MessageBox(format_text::kFormatError, "", MsgButtons::Ok, MsgIcon::None);
}

void ShowOutOfBuffer(Messages& messages) {
    messages.MessageBox(format_text::kOutOfBuffer, "", MsgButtons::Ok, MsgIcon::None);
}

void ShowChecksumWarning(Messages& messages) {
    messages.MessageBox(format_text::kChecksumWarning, "", MsgButtons::Ok, MsgIcon::Error);
}

void ShowMemoryError(Messages& messages, const char* title) {
    messages.MessageBox(format_text::kMemoryError, title, MsgButtons::Ok, MsgIcon::None);
}

bool AllocateImage(Messages& messages, const char* title, std::vector<uint8_t>& image,
                   uint64_t imageSize, uint8_t fill) {
    try {
        image.assign(static_cast<std::size_t>(std::min(imageSize, kMaxImageSize)), fill);
        return true;
    } catch (const std::bad_alloc&) {
        image.clear();
        image.shrink_to_fit();
        ShowMemoryError(messages, title);
        return false;
    }
}

bool StoreImage::Open(Messages& messages, const char* title, const ParsedImage& out,
                      uint64_t imageSize, uint8_t fill) {
    fill_ = fill;
    if (!out.Target.empty()) {
        target_ = true;
        data_ = out.Target.data();
        size_ = std::min<uint64_t>({out.Target.size(), imageSize, kMaxImageSize});
        std::memset(data_, fill, static_cast<std::size_t>(size_));
        return true;
    }
    if (!AllocateImage(messages, title, own_, imageSize, fill)) return false;
    data_ = own_.data();
    size_ = own_.size();
    return true;
}

bool StoreImage::Grow(uint64_t n) {
    if (n <= size_) return true;
    if (n > Cap()) return false;
    try {
        own_.resize(static_cast<std::size_t>(n), fill_);
    } catch (const std::bad_alloc&) {
        return false;
    }
    data_ = own_.data();
    size_ = own_.size();
    return true;
}

bool FinishRead(const ReaderPorts& ports, ScanOutcome outcome, const ScanTally& tally,
                std::vector<uint8_t>& image, ParsedImage& out) {
    if (outcome == ScanOutcome::Ok && !tally.found) outcome = ScanOutcome::FormatError;
    if (outcome != ScanOutcome::Ok) {
        if (outcome == ScanOutcome::FormatError) ShowFormatError(ports.messages);
        ports.progress.ProgressFinish();
        ports.progress.Close();
        if (outcome == ScanOutcome::OutOfBuffer) ShowOutOfBuffer(ports.messages);
        return false;
    }
    out.LowAddress = tally.low == UINT64_MAX ? 0 : static_cast<uint32_t>(tally.low);
    out.HighAddress = static_cast<uint32_t>(tally.end ? tally.end - 1 : 0);
    out.Image = std::move(image);
    ports.progress.ProgressFinish();
    ports.progress.Close();
    if (tally.mismatches) ShowChecksumWarning(ports.messages);
    return true;
}

RecordReader::RecordReader(const ReaderPorts& ports, ReadPass pass, ParsedImage& out,
                           uint64_t imageSize, uint64_t textLength, Frame frame)
    : ports_(ports),
      store_(pass == ReadPass::Store),
      out_(out),
      imageSize_(imageSize),
      textLength_(textLength),
      frame_(frame) {}

bool RecordReader::Begin() {
    if (store_ &&
        !image_.Open(ports_.messages, frame_.title, out_, imageSize_, frame_.prefill)) {
        return false;
    }
    limit_ = store_ ? image_.Size() : kMaxImageSize;
    if (frame_.caption) ports_.progress.SetCaption(frame_.caption);
    ports_.progress.Show();
    ports_.progress.ProgressSetPosition(frame_.position);
    pacer_.emplace(ports_, textLength_, frame_.stepProgress);
    return true;
}

bool RecordReader::Finish() {
    if (outcome_ == ScanOutcome::MemoryError) {
        ports_.progress.ProgressFinish();
        ports_.progress.Close();
        ShowMemoryError(ports_.messages, frame_.title);
        return false;
    }
    return FinishRead(ports_, outcome_, tally_, image_.Own(), out_);
}

void RecordReader::Abandon() {
    ports_.progress.ProgressFinish();
    ports_.progress.Close();
}

bool ProbeVerdict(Messages& messages, ProbeMode mode, const char* formatName, bool yes) {
    if (!yes && mode == ProbeMode::ShowNo) {
        messages.MessageBox(std::string("File is not ") + formatName + " Hex format !",
                            format_text::kProbeNoTitle, MsgButtons::Ok, MsgIcon::None);
    } else if (yes && mode == ProbeMode::ShowYes) {
        messages.MessageBox(std::string("This is ") + formatName + " Hex format !",
                            format_text::kProbeYesTitle, MsgButtons::Ok, MsgIcon::None);
    }
    return yes;
}

}  // namespace burnmark
