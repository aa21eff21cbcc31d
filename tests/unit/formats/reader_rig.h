// A reader's ports with recording fakes, and the two passes run the way the
// load flow runs them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "buffer/formats/record_scan.h"
#include "support/fake_ports.h"

namespace burnmark::testing {

inline std::span<const uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct ReaderRig {
    FakeMessages messages;
    FakeProgress progress;
    FakePump pump;
    int64_t now = 0;        // the injected clock, in milliseconds
    int64_t clockStep = 0;  // added at every reading of the clock
    int clockReads = 0;

    ReaderPorts Ports() {
        return {messages, progress, pump, [this] {
                    ++clockReads;
                    now += clockStep;
                    return now;
                }};
    }
};

using ReaderFunction = bool (*)(const ReaderPorts&, ReadPass, ParsedImage&, uint64_t,
                                std::span<const uint8_t>, const FillSettings&);

struct TwoPassResult {
    bool extentOk = false;
    bool storeOk = false;
    ParsedImage image;
};

// The extent pass, then the store pass into an image of imageSize bytes, or of
// HighAddress + 1024 when the extent pass found data beyond it (as the load
// flow grows the buffer).
inline TwoPassResult RunBothPasses(ReaderRig& rig, ReaderFunction reader, const std::string& file,
                                   uint64_t imageSize, FillSettings fill = {}) {
    TwoPassResult r;
    ParsedImage extent;
    r.extentOk = reader(rig.Ports(), ReadPass::Extent, extent, imageSize, AsBytes(file), fill);
    if (!r.extentOk) return r;
    if (extent.HighAddress >= imageSize) imageSize = uint64_t{extent.HighAddress} + 1024;
    r.storeOk = reader(rig.Ports(), ReadPass::Store, r.image, imageSize, AsBytes(file), fill);
    return r;
}

}  // namespace burnmark::testing
