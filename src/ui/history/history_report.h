// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The PDF report of an asset's history: the asset, the trend, and every test in a table whose
// texts wrap rather than being cut, on as many pages as they take.

#include "ui/history/history_rows.h"

#include <QString>

#include <functional>

class QPainter;
class QRectF;

namespace krx::history_view {

// The page drawn onto any device: `area` is the page inside its margins, `dpi` the device's
// resolution (fonts go by points, lengths by millimetres). `newPage` starts the next page (false
// when it could not); without it the table ends at the page's foot and says how many rows are left.
void PaintHistoryReport(QPainter& painter, const QRectF& area, double dpi, const AssetHistory& history,
                        const std::function<bool()>& newPage = {});

// Writes beside the target and renames at the end, so that a failed write never leaves a half
// report in its place or replaces an earlier one. False with the system's reason in `error`.
bool WriteHistoryReport(const QString& fileName, const AssetHistory& history, QString* error);

}  // namespace krx::history_view
