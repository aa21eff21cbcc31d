// A fresh data buffer over recording ports, with helpers to set and read bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace burnmark::testing {

class RecordingObserver : public BufferObserver {
public:
    void BufferChanged(DataBuffer&, BufferChange change) override { changes.push_back(change); }
    std::vector<BufferChange> changes;
};

class RecordingChecksumView : public ChecksumView {
public:
    uint32_t LastChecksum() const override { return last; }
    void SetLastChecksum(uint32_t value) override { last = value; }
    void SetChecksumHighlight(bool changed) override { highlights.push_back(changed); }
    uint32_t last = 0;
    std::vector<bool> highlights;
};

class BufferTest : public ::testing::Test {
protected:
    BufferTest() { buffer.AddObserver(&observer); }

    std::vector<uint8_t> Read(uint32_t at, std::size_t count) {
        BufferLock lock = buffer.GetBufferHandle();
        EXPECT_LE(at + count, lock.size());
        return {lock.data() + at, lock.data() + at + count};
    }
    std::vector<uint8_t> All() { return Read(0, buffer.GetBufferSize()); }
    void Set(uint32_t at, const std::vector<uint8_t>& bytes) {
        BufferLock lock = buffer.GetBufferHandle();
        std::copy(bytes.begin(), bytes.end(), lock.data() + at);
    }
    // Every byte holds the low byte of its address.
    void Counting() {
        BufferLock lock = buffer.GetBufferHandle();
        for (std::size_t i = 0; i < lock.size(); ++i) lock[i] = static_cast<uint8_t>(i);
    }
    // Forget what the set-up helpers caused.
    void ClearRecords() {
        observer.changes.clear();
        messages.Clear();
        progress = FakeProgress{};
    }

    TempDir dir;
    FakeMessages messages;
    FakeProgress progress;
    DataBuffer buffer{messages, progress, dir.Path() + "History_1.ini"};
    RecordingObserver observer;
};

}  // namespace burnmark::testing
