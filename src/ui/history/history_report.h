// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-page PDF report of an asset's history: the asset, the trend, and as many of the latest
// tests as the page holds.

#include "ui/history/history_rows.h"

#include <QString>

namespace krx::history_view {

// Writes beside the target and renames at the end, so that a failed write never leaves a half
// report in its place or replaces an earlier one. False with the system's reason in `error`.
bool WriteHistoryReport(const QString& fileName, const AssetHistory& history, QString* error);

}  // namespace krx::history_view
