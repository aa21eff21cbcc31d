// Ports that show nothing, for the command-line benchmarks and the fuzz
// targets: messages are kept (and echoed to stderr when asked), progress only
// remembers whether it is shown, pumping and sounds do nothing, and no
// programmer is ever found (every transfer fails, as with the cable out).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "platform/usb_transport.h"

namespace burnmark {

class QuietMessages : public Messages {
public:
    explicit QuietMessages(bool echo = false) : echo_(echo) {}
    void ShowMessage(const std::string& text) override {
        texts.push_back(text);
        Echo(text);
    }
    MsgAnswer MessageBox(const std::string& text, const std::string&, MsgButtons,
                         MsgIcon) override {
        boxes.push_back(text);
        Echo(text);
        return MsgAnswer::Ok;
    }
    void Clear() {
        texts.clear();
        boxes.clear();
    }

    std::vector<std::string> texts;  // plain messages
    std::vector<std::string> boxes;  // message boxes

private:
    void Echo(const std::string& text) const {
        if (echo_) std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool echo_;
};

class QuietProgress : public Progress {
public:
    void SetCaption(const std::string&) override {}
    void Show() override { shown = true; }
    void Close() override { shown = false; }
    bool Shown() const override { return shown; }
    void ProgressSetPosition(int) override {}
    void ProgressStep() override {}
    void ProgressFinish() override {}
    bool shown = false;
};

class QuietPump : public Pump {
public:
    void ProcessEvents() override {}
    void YieldSlice() override {}
};

class QuietSounds : public Sounds {
public:
    bool ErrorSound() override { return true; }
    bool DefaultBeep() override { return true; }
    void Pause(int) override {}
};

class NoProgrammer : public UsbTransport {
public:
    bool UsbOpen(uint16_t) override { return false; }
    bool UsbClose() override { return false; }
    bool UsbVendorCmdRead(uint8_t, uint16_t, uint16_t, std::span<uint8_t>) override {
        return false;
    }
    bool UsbVendorCmdWrite(uint8_t, uint16_t, uint16_t, std::span<const uint8_t>) override {
        return false;
    }
    bool UsbDataRead(std::span<uint8_t>) override { return false; }
    bool UsbDataWrite(std::span<const uint8_t>) override { return false; }
    bool IsOpen() const override { return false; }
};

}  // namespace burnmark
