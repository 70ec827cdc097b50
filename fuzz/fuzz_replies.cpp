// SPDX-License-Identifier: GPL-3.0-or-later
// Every reply the command set decodes, with any length and content: a USB backend that answers
// from the fuzzer's bytes, driving the real USB operations.
#include "device/clock.h"
#include "device/backend.h"
#include "device/commands.h"
#include "device/decode.h"
#include "device/protocol.h"
#include "device/transfer_log.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class FuzzBackend : public krx::UsbBackend {
public:
    FuzzBackend(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int OpenDevice() override { return Next() & 1; }
    int ControlTransfer(int requestType, int, int, int, unsigned char* buf, int length, int) override
    {
        // The first byte chooses the outcome: a failure code, or how many bytes arrive, even more
        // than asked for (a misbehaving device must not make us read past the buffer).
        const int choice = Next();
        if (choice >= 0xF0)
            return -(choice - 0xEF);
        if (requestType != krx::protocol::kRequestTypeIn)
            return length;
        const int n = std::min(choice % 40, length);
        for (int i = 0; i < n; ++i)
            buf[i] = static_cast<unsigned char>(Next());
        return n;
    }

private:
    int Next() { return pos_ < size_ ? data_[pos_++] : 0; }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static krx::VirtualClock clock;
    static bool once = [] {
        krx::SetClock(&clock);
        krx::TheTransferLog().Enable(false);
        return true;
    }();
    (void)once;

    // The pure decoders on the raw bytes, as far as they reach.
    unsigned char raw[32] = {};
    std::memcpy(raw, data, std::min(size, sizeof raw));
    (void)krx::DecodeLiveValue(raw);
    (void)krx::DecodeClimate(raw);
    (void)krx::DecodeVoltage(raw);
    krx::DecodeSetup(raw[0], raw[1]);
    krx::DecodeBreakDownValues(raw);
    krx::DecodeOhmRecord(raw);
    krx::DecodeBreakDownRecord(raw);

    // The operations themselves on a device that answers with these bytes; none may read past
    // its buffer, and every failure must come back as a value.
    krx::SetUsbBackend(std::make_unique<FuzzBackend>(data, size));
    krx::MeterCommands meter;
    (void)meter.ReadIdentity();
    (void)meter.ReadStatus();
    (void)meter.ReadMeasuredValue();
    (void)meter.ReadClimate();
    (void)meter.ReadMeasuringVoltage();
    (void)meter.ReadMeasuringSetup();
    (void)meter.WriteMeasuringSetup({});
    (void)meter.ReadTimers();
    (void)meter.ReadRestTime();
    (void)meter.ReadEvent();
    (void)meter.ReadBreakDownValues();
    (void)meter.ReadOhmRecord();
    (void)meter.ReadBreakDownRecord();
    krx::SetUsbBackend(nullptr);
    return 0;
}
