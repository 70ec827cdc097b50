// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a device operation hands back: its value, or one typed failure. The failure keeps the
// transfer's own result code, because the user is shown that number and a lost connection ends
// the program with it.

#include <QString>

#include <utility>
#include <variant>

namespace krx {

enum class DeviceError {
    NoDevice,         // no meter could be opened; nothing was sent
    NoAccess,         // a meter is there, but this user may not open it
    Timeout,          // the meter did not answer within the transport's timeout
    TransferFailed,   // the transfer failed or moved no bytes
    ShortReply,       // fewer bytes came than the reply has
    UnreadableReply,  // characters that should be a number are not one
};

// One sentence per error, for logs and the command line (the windows keep their own texts).
const char* ErrorText(DeviceError error);

struct Failure {
    DeviceError error = DeviceError::TransferFailed;
    int code = 0;            // the transfer's result: a negative libusb code, 0, or a short byte count
    QString field;           // UnreadableReply: the characters as received
    bool integerField = false;  // UnreadableReply: the field holds a whole number

    // Something went out to the meter (an open that failed sent nothing).
    bool Sent() const { return error != DeviceError::NoDevice && error != DeviceError::NoAccess; }
};

template <typename T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}  // NOLINT: implicit by design, like std::expected
    Result(Failure failure) : v_(std::move(failure)) {}  // NOLINT
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& operator*() const { return std::get<0>(v_); }
    T& operator*() { return std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const Failure& error() const { return std::get<1>(v_); }
    T value_or(T fallback) const { return ok() ? **this : std::move(fallback); }

private:
    std::variant<T, Failure> v_;
};

struct Done {};
using Status = Result<Done>;

// The result code of the old integer convention: above 0 success. Used where a code is shown.
template <typename T>
int CodeOf(const Result<T>& r, int success = 1)
{
    return r ? success : r.error().code;
}

}  // namespace krx
