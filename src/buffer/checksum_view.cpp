#include "buffer/checksum_view.h"

#include <cstdio>

#include "buffer/data_buffer.h"

namespace burnmark {

std::string ChecksumDisplay::Format(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

void ChecksumDisplay::ShowChecksum(uint32_t value) {
    ApplyChecksumColour(*this, value);
    if (field_) field_->SetSumText(Format(value));
}

void ChecksumDisplay::ShowChecksumText(uint32_t value) {
    if (field_) field_->SetSumText(Format(value));
}

bool ChecksumDisplay::ShowBufferSum(DataBuffer& buffer, uint32_t start, uint32_t end,
                                    int32_t show) {
    // The sum colours the field through this display (the rule, once).
    if (!buffer.GetSum(start, end, show)) return false;
    if (field_) field_->SetSumText(Format(buffer.GetCheckSum()));
    return true;
}

bool ChecksumDisplay::ShowRangeSum(DataBuffer& buffer, uint32_t start, uint32_t end, int32_t show) {
    if (!buffer.SumRange(start, end, show)) return false;
    if (field_) field_->SetSumText(Format(buffer.GetCheckSum()));
    return true;
}

void ChecksumDisplay::ShowText(const std::string& text, bool changed) {
    if (!field_) return;
    field_->SetSumText(text);
    field_->SetSumHighlight(changed);
}

void ChecksumDisplay::SetChecksumHighlight(bool changed) {
    if (field_) field_->SetSumHighlight(changed);
}

}  // namespace burnmark
