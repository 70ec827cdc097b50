// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An asset's filed tests as the history view and its report show them: the table's texts, which
// tests are marked and why, and the points of the trend.

#include "history/history_store.h"
#include "ui/history/trend_chart.h"
#include "ui/history/unusual_conditions.h"

#include <QStringList>

#include <vector>

namespace krx::history_view {

struct AssetHistory {
    history::Asset asset;
    std::vector<history::TestRecord> tests;  // oldest first
    UsualConditions usual;
    std::vector<QString> markReasons;  // one per test; empty when not marked
};

// Tests of the resistance over time take part in the trend and the marks; a break-down test
// drives the voltage up to a failure and says nothing about the usual conditions, and a
// step-voltage test's readings are at several voltages.
bool IsResistanceTest(const history::TestRecord& test);

AssetHistory MakeAssetHistory(const history::Asset& asset, std::vector<history::TestRecord> tests);
std::vector<TrendPoint> TrendOf(const AssetHistory& history);

enum Column {
    ColDate, ColKind, ColVoltage, ColDuration, ColTemperature, ColHumidity, ColR60, ColR60At40,
    ColDar, ColPi, ColReading, ColVerdicts, ColMark, ColOperator, ColComment, ColNotes, ColumnCount
};
QStringList ColumnTitles();
QStringList RowTexts(const history::TestRecord& test, const QString& markReason);

// A reason as the end of a message: with its full stop, or a note that none was given.
QString Sentence(const QString& text);

// "Motor M-7 (Hall 2, motor, class F)": the asset as one line.
QString AssetLine(const history::Asset& asset);
// A file name offered for an export: the asset id with the characters no file name may hold
// replaced.
QString SuggestedFileName(const QString& assetId, const QString& suffix);

}  // namespace krx::history_view
