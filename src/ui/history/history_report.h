// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-page PDF report of an asset's history: the asset, the trend, and as many of the latest
// tests as the page holds.

#include "ui/history/history_rows.h"

#include <QString>

class QPainter;
class QRectF;

namespace krx::history_view {

// The page drawn onto any device: `area` is the page inside its margins, `dpi` the device's
// resolution (fonts go by points, lengths by millimetres).
void PaintHistoryReport(QPainter& painter, const QRectF& area, double dpi, const AssetHistory& history);

// Writes beside the target and renames at the end, so that a failed write never leaves a half
// report in its place or replaces an earlier one. False with the system's reason in `error`.
bool WriteHistoryReport(const QString& fileName, const AssetHistory& history, QString* error);

}  // namespace krx::history_view
