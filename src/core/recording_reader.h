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

// The columns a recording's header names beyond the nine every recording has.
struct ReadingColumns {
    bool step = false;
    bool simulated = false;
};
// The header line (without its line end) of a recording; empty when it is none.
std::optional<ReadingColumns> ParseReadingHeader(const QByteArray& line);

// One reading line without its line end, of a recording with those columns; empty when it is not one.
std::optional<DataRecord> ParseReadingLine(const QByteArray& line, ReadingColumns columns);

// Every reading of `text`; false with `error` ("line 7: …") when the first line is not the header,
// a line is not a reading, the readings go back in time, or the last line has no line end. The
// readings of the simulated meter's recording come back marked `simulated`.
bool ParseRecording(const QByteArray& text, std::vector<DataRecord>& readings, QString* error);

// True when any of the readings came from the simulated meter.
bool AnySimulated(const std::vector<DataRecord>& readings);

}  // namespace krx
