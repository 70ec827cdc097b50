// SPDX-License-Identifier: GPL-3.0-or-later
// Every reply the command set decodes, with any length and content: a USB backend that answers
// from the fuzzer's bytes, driving the real USB operations.
#include "common/dialogs.h"
#include "common/clock.h"
#include "common/localetext.h"
#include "device/backend.h"
#include "device/decode.h"
#include "device/transfer_log.h"
#include "device/usb.h"

#include <QLocale>

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
        if (requestType != 0xC0)
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

class SilentDialogs : public krx::ConsoleDialogs {
public:
    krx::Answer Message(const QString&, const QString&, krx::Buttons, krx::Icon) override { return krx::Answer::Ok; }
    void ShowError(const QString&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static krx::VirtualClock clock;
    static SilentDialogs dialogs;
    static bool once = [] {
        krx::SetClock(&clock);
        krx::SetDialogs(&dialogs);
        krx::TheTransferLog().Enable(false);
        return true;
    }();
    (void)once;
    QLocale::setDefault(size > 0 && (data[0] & 0x80) ? QLocale(QLocale::German) : QLocale::c());

    // The pure decoders on the raw bytes, as far as they reach.
    unsigned char raw[32] = {};
    std::memcpy(raw, data, std::min(size, sizeof raw));
    try {
        krx::DecodeLiveValue(raw);
    } catch (const krx::ConversionError&) {
    }
    try {
        krx::DecodeHumidity(raw);
        krx::DecodeTemperature(raw + 2);
    } catch (const krx::ConversionError&) {
    }
    try {
        krx::DecodeVoltage(raw);
    } catch (const krx::ConversionError&) {
    }
    krx::DecodeSetup(krx::BitText(raw[0]), krx::BitText(raw[1]));
    krx::DecodeBreakDownValues(raw);
    krx::DecodeOhmRecord(raw);
    krx::DecodeBreakDownRecord(raw);

    // The operations themselves on a device that answers with these bytes. ReadMeasuredValue is
    // left out: a failing read there ends the process by design.
    krx::SetUsbBackend(std::make_unique<FuzzBackend>(data, size));
    USB usb;
    QString a, b, c, d, e, f, g;
    int i1 = 0, i2 = 0, i3 = 0, i4 = 0, i5 = 0;
    double r = 0;
    std::uint32_t u1 = 0, u2 = 0, u3 = 0;
    bool empty = false;
    usb.ReadIdentity(a, b, c);
    usb.ReadStatusBits(a);
    try {
        usb.ReadBatteryEmpty(empty);
    } catch (const krx::ConversionError&) {
    }
    try {
        usb.ReadClimate(i1, r);
    } catch (const krx::ConversionError&) {
    }
    try {
        usb.ReadMeasuringVoltage(i1);
    } catch (const krx::ConversionError&) {
    }
    usb.ReadMeasuringSetup(i1, i2, i3, i4, i5);
    usb.WriteMeasuringSetup(i2, 500, i3, i4);
    usb.ReadTimers(i1, i2, i3);
    usb.ReadRestTime(i1);
    usb.ReadEventBits(a);
    usb.ReadBreakDownValues(i1, u1, u2, u3, i2);
    usb.ReadOhmRecord(i1, a, b, c, d, i2, i3, e, f, i4);
    usb.ReadBreakDownRecord(i1, a, b, c, d, i2, u1, u2, i3, u3, i4);
    (void)g;
    krx::SetUsbBackend(nullptr);
    return 0;
}
