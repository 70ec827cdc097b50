// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a recording file back (the data dialect's CSV, as either program writes it), so that an
// old test can be judged again without a meter. A file that is not a recording, or that was cut
// off, is refused with the line that shows it.

#include "core/data_dialect.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace krx {

// One reading line without its line end; empty when it is not one.
std::optional<DataRecord> ParseReadingLine(const QByteArray& line);

// Every reading of `text`; false with `error` ("line 7: …") when the first line is not the header,
// a line is not a reading, the readings go back in time, or the last line has no line end.
bool ParseRecording(const QByteArray& text, std::vector<DataRecord>& readings, QString* error);

}  // namespace krx
