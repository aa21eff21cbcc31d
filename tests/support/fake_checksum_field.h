// The checksum field as a recording of what it was told.
#pragma once

#include <string>
#include <vector>

#include "buffer/checksum_view.h"

namespace burnmark::testing {

class RecordingField : public ChecksumField {
public:
    void SetSumText(const std::string& text) override { texts.push_back(text); }
    void SetSumHighlight(bool changed) override { highlights.push_back(changed); }
    std::vector<std::string> texts;
    std::vector<bool> highlights;
};

}  // namespace burnmark::testing
