// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/history_rows.h"

#include "history/test_values.h"

#include <QCoreApplication>
#include <cmath>

namespace krx::history_view {

using history::TestKind;
using history::TestRecord;

namespace {

TestConditions ConditionsOf(const TestRecord& t)
{
    return {t.volts.value_or(0), t.temperature};
}

}  // namespace

bool IsResistanceTest(const TestRecord& test)
{
    return test.kind == TestKind::FreeRunning || test.kind == TestKind::Timer || test.kind == TestKind::MemoryOhm;
}

AssetHistory MakeAssetHistory(const history::Asset& asset, std::vector<TestRecord> tests)
{
    AssetHistory h;
    h.asset = asset;
    h.tests = std::move(tests);
    std::vector<TestConditions> conditions;
    for (const TestRecord& t : h.tests) {
        if (IsResistanceTest(t))
            conditions.push_back(ConditionsOf(t));
    }
    h.usual = UsualOf(conditions);
    for (const TestRecord& t : h.tests)
        h.markReasons.push_back(IsResistanceTest(t) ? MarkExplanation(ConditionsOf(t), h.usual) : QString());
    return h;
}

std::vector<TrendPoint> TrendOf(const AssetHistory& history)
{
    std::vector<TrendPoint> points;
    for (size_t i = 0; i < history.tests.size(); ++i) {
        const TestRecord& t = history.tests[i];
        if (!t.time.isValid())
            continue;
        TrendPoint p;
        p.when = t.time;
        p.markReason = history.markReasons[i];
        p.volts = t.volts.value_or(0);
        if (t.method && t.method->result) {
            const MethodResult& m = *t.method;
            p.methodOhm = m.result->value.ohm;
            p.methodSeries = MeasurementName(m.request.measurement);
            if (!m.request.itemKind.isEmpty())
                p.methodSeries += QStringLiteral(", ") + krx::KindText(m.request.itemKind);
            p.lowerOhm = m.verdict.lowerOhm;
            p.upperOhm = m.verdict.upperOhm;
            points.push_back(p);
        } else if (t.steps && t.steps->changePercent) {
            p.stepChangePct = t.steps->changePercent;
            points.push_back(p);
        } else if (IsResistanceTest(t)) {
            p.r40Ohm = t.r60At40, p.pi = t.pi, p.dar = t.dar;
            if (p.r40Ohm || p.pi || p.dar)
                points.push_back(p);
        }
    }
    return points;
}

QStringList ColumnTitles()
{
    return {QCoreApplication::translate("HistoryWindow", "Date"),        QCoreApplication::translate("HistoryWindow", "Kind"),     QCoreApplication::translate("HistoryWindow", "Voltage"),
            QCoreApplication::translate("HistoryWindow", "Duration"),    QStringLiteral("Temp."),    QCoreApplication::translate("HistoryWindow", "Humidity"),
            QCoreApplication::translate("HistoryWindow", "R 1 min"),     QCoreApplication::translate("HistoryWindow", "R 1 min @ 40 °C"), QStringLiteral("DAR"),
            QStringLiteral("PI"),          QCoreApplication::translate("HistoryWindow", "Reading"),  QCoreApplication::translate("HistoryWindow", "Verdicts"),
            QCoreApplication::translate("HistoryWindow", "Conditions"),  QCoreApplication::translate("HistoryWindow", "Operator"), QCoreApplication::translate("HistoryWindow", "Comment"),
            QCoreApplication::translate("HistoryWindow", "Notes")};
}

QStringList RowTexts(const TestRecord& t, const QString& markReason)
{
    // Every text from the values every face of the history reads.
    const auto values = history::ValuesOf({}, t);
    auto text = [&](const char* key) { return history::ValueOf(values, key).text; };
    QString kind = text("kind");
    if (t.simulated)
        kind += QCoreApplication::translate("HistoryWindow", " (simulated)");
    QString volts = text("voltage_v");
    if (volts.isEmpty())
        volts = text("bd_voltage_v");
    return {text("time"), kind, volts, text("duration_s"), text("temperature_c"), text("humidity_pct"),
            text("r60_ohm"), text("r60_40c_ohm"), text("dar"), text("pi"), history::ReadingSummary(values),
            history::VerdictCell(t), markReason, t.operatorName, t.comment, text("notes")};
}

QString Sentence(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QCoreApplication::translate("HistoryWindow", "no reason was given.");
    return t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char('!')) ? t : t + QLatin1Char('.');
}

QString AssetLine(const history::Asset& asset)
{
    QStringList details;
    for (const QString& part : {asset.location, history::KindText(asset)})
        if (!part.isEmpty())
            details << part;
    if (!asset.insulationClass.isEmpty())
        details << QCoreApplication::translate("HistoryWindow", "class ") + asset.insulationClass;
    QString line = asset.id;
    if (!asset.name.isEmpty())
        line += QStringLiteral(" – ") + asset.name;
    if (!details.isEmpty())
        line += QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
    return line;
}

QString SuggestedFileName(const QString& assetId, const QString& suffix)
{
    QString name;
    for (const QChar c : assetId)
        name += (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QLatin1Char('_') : c;
    name = name.trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("asset"));
    return name + QStringLiteral("_history.") + suffix;
}

}  // namespace krx::history_view
