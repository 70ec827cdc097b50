// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --method and its options (the measurement, the item kind, the limit set, the electrodes, the
// qualification flag), shared by measure and figures; and the result as text and as the JSON line
// that ends the stream.

#include "cli/options.h"
#include "core/judging/method_result.h"

#include <optional>

namespace krx::cli {

void AddMethodOptions(QCommandLineParser& p);
// The request of --method (nothing for insulation, the default); every option that does not fit
// the method is refused here, before anything is sent. Refused limit files are said on standard
// error; the built-in sets keep working.
std::optional<MethodRequest> ParseMethodRequest(const QCommandLineParser& p, LimitLibrary& limits);

QByteArray MethodResultJson(const MethodResult& r);
QString MethodResultText(const MethodResult& r);

}  // namespace krx::cli
