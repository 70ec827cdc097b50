// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/history_rows.h"

#include "core/localetext.h"
#include "core/insulation.h"
#include "history/step_test_record.h"

#include <cmath>

namespace krx::history_view {

using history::TestKind;
using history::TestRecord;

namespace {

QString KindText(TestKind kind)
{
    switch (kind) {
    case TestKind::FreeRunning: return QStringLiteral("Free-running");
    case TestKind::Timer: return QStringLiteral("Timer");
    case TestKind::BreakDown: return QStringLiteral("Break-down");
    case TestKind::MemoryOhm: return QStringLiteral("Memory, R");
    case TestKind::MemoryBreakDown: return QStringLiteral("Memory, BD");
    case TestKind::StepVoltage: return QStringLiteral("Step voltage");
    }
    return {};
}

std::optional<int> VoltsOf(const TestRecord& t)
{
    if (t.volts)
        return t.volts;
    if (t.breakDown && t.breakDown->volts > 0)
        return t.breakDown->volts;
    return std::nullopt;
}

QString Fixed(const std::optional<double>& v, int decimals, const QString& unit = {})
{
    if (!v || !std::isfinite(*v))
        return {};
    return FormatFixed(*v, decimals) + unit;
}

QString DurationText(const std::optional<double>& seconds)
{
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0)
        return {};
    const qint64 s = std::llround(*seconds);
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString Ohm(const std::optional<double>& v)
{
    return v ? OhmText(*v) : QString();
}

QString Verdicts(const TestRecord& t)
{
    if (t.steps)
        return history::StepChangeLine(*t.steps);
    QStringList parts;
    if (!t.piVerdict.isEmpty())
        parts << QStringLiteral("PI ") + t.piVerdict;
    if (!t.darVerdict.isEmpty())
        parts << QStringLiteral("DAR ") + t.darVerdict;
    return parts.join(QStringLiteral("; "));
}

// What a break-down test found, in one cell: the voltage it broke down at and the resistances around it.
QString BreakDownText(const TestRecord& t)
{
    if (!t.breakDown)
        return {};
    const history::BreakDownFigures& b = *t.breakDown;
    const auto mohm = [](quint32 v) { return OhmText(v * 1e6); };
    QStringList parts{QStringLiteral("at %1 V").arg(b.volts),
                      QStringLiteral("R before %1, after %2").arg(mohm(b.resistanceBeforeMOhm),
                                                                 mohm(b.resistanceAfterMOhm))};
    if (b.resistanceOffMOhm > 0)
        parts << QStringLiteral("R break-off %1").arg(mohm(b.resistanceOffMOhm));
    if (b.cycleTimeSeconds > 0)
        parts << QStringLiteral("after %1 s").arg(b.cycleTimeSeconds);
    return parts.join(QStringLiteral("; "));
}

TestConditions ConditionsOf(const TestRecord& t)
{
    return {t.volts.value_or(0), t.temperature};
}

}  // namespace

bool IsResistanceTest(const TestRecord& test)
{
    return test.kind == TestKind::FreeRunning || test.kind == TestKind::Timer || test.kind == TestKind::MemoryOhm;
}

std::optional<double> R60At40(const TestRecord& test)
{
    if (test.r60At40)
        return test.r60At40;
    const auto from = test.correctionTemperature ? test.correctionTemperature : test.temperature;
    if (!test.r60 || !from || !std::isfinite(*test.r60) || !std::isfinite(*from))
        return std::nullopt;
    return CorrectedResistance(*test.r60, *from, kBase40C);
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
        if (!IsResistanceTest(t) || !t.time.isValid())
            continue;
        TrendPoint p{t.time, R60At40(t), t.pi, t.dar, history.markReasons[i], t.volts.value_or(0)};
        if (p.r40Ohm || p.pi || p.dar)
            points.push_back(p);
    }
    return points;
}

QStringList ColumnTitles()
{
    return {QStringLiteral("Date"),        QStringLiteral("Kind"),     QStringLiteral("Voltage"),
            QStringLiteral("Duration"),    QStringLiteral("Temp."),    QStringLiteral("Humidity"),
            QStringLiteral("R 1 min"),     QStringLiteral("R 1 min @ 40 °C"), QStringLiteral("DAR"),
            QStringLiteral("PI"),          QStringLiteral("Break-down"), QStringLiteral("Verdicts"), QStringLiteral("Conditions"),
            QStringLiteral("Operator"),    QStringLiteral("Comment")};
}

QStringList RowTexts(const TestRecord& t, const QString& markReason)
{
    const auto volts = VoltsOf(t);
    QStringList row;
    row << t.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) << KindText(t.kind)
        << (volts ? QStringLiteral("%1 V").arg(*volts) : QString()) << DurationText(t.durationSeconds)
        << Fixed(t.temperature, 1, QStringLiteral(" °C")) << Fixed(t.humidity, 0, QStringLiteral(" %"))
        << Ohm(t.r60) << Ohm(R60At40(t)) << Fixed(t.dar, 2) << Fixed(t.pi, 2) << BreakDownText(t) << Verdicts(t) << markReason
        << t.operatorName << t.comment;
    return row;
}

QString Sentence(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QStringLiteral("no reason was given.");
    return t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char('!')) ? t : t + QLatin1Char('.');
}

QString AssetLine(const history::Asset& asset)
{
    QStringList details;
    for (const QString& part : {asset.location, asset.kind})
        if (!part.isEmpty())
            details << part;
    if (!asset.insulationClass.isEmpty())
        details << QStringLiteral("class ") + asset.insulationClass;
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
