// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/krx738.h"

#include "device/clock.h"
#include "device/backend.h"
#include "device/meter_choice.h"
#include "device/protocol.h"
#include "device/transfer_log.h"

#include <algorithm>
#include <vector>

using krx::TransferRecord;
using namespace krx::protocol;

namespace {
int RecordedOpen()
{
    const int result = krx::TheUsbBackend().OpenDevice();
    TransferRecord r;
    r.time = krx::TheClock().Seconds();
    r.kind = TransferRecord::Open;
    r.result = result;
    krx::TheTransferLog().Add(std::move(r));
    return result;
}
}  // namespace

int KRX_738::OpenDevice()
{
    const int result = RecordedOpen();
    // A chosen meter that is not where it was has been plugged in again, maybe elsewhere.
    if (result == 1 || krx::TheUsbBackend().LastOpenError() == krx::kUsbErrorAccess || krx::ChosenSerial().isEmpty() ||
        !krx::FindChosenMeterAgain())
        return result;
    return RecordedOpen();
}

int KRX_738::OpenOnly()
{
    return RecordedOpen();
}

int KRX_738::ControlIn(int request, int value, int index, unsigned char* buffer, int length)
{
    const int result =
        krx::TheUsbBackend().ControlTransfer(kRequestTypeIn, request, value, index, buffer, length, kTimeoutMs);
    TransferRecord r;
    r.time = krx::TheClock().Seconds();
    r.kind = TransferRecord::In;
    r.requestType = kRequestTypeIn;
    r.request = request;
    r.value = value;
    r.index = index;
    r.length = length;
    if (result > 0)
        r.data = QByteArray(reinterpret_cast<const char*>(buffer), std::min(result, length));
    r.result = result;
    krx::TheTransferLog().Add(std::move(r));
    return result;
}

int KRX_738::ControlOut(int request, int value, int index, const unsigned char* buffer, int length)
{
    // libusb takes a non-const buffer for both directions; an OUT transfer never writes it.
    std::vector<unsigned char> copy(buffer, buffer + std::max(length, 0));
    const int result = krx::TheUsbBackend().ControlTransfer(kRequestTypeOut, request, value, index,
                                                           copy.data(), length, kTimeoutMs);
    TransferRecord r;
    r.time = krx::TheClock().Seconds();
    r.kind = TransferRecord::Out;
    r.requestType = kRequestTypeOut;
    r.request = request;
    r.value = value;
    r.index = index;
    r.length = length;
    r.data = QByteArray(reinterpret_cast<const char*>(buffer), std::max(length, 0));
    r.result = result;
    krx::TheTransferLog().Add(std::move(r));
    return result;
}
