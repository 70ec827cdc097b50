// SPDX-License-Identifier: GPL-3.0-or-later
// One stored test of each kind read by every face of the history (the window's table, which its
// PDF report draws as well, and the three export formats): each value there in all of them with
// the same content, or absent in all of them with the same reason.
#include "core/localetext.h"
#include "history/test_values.h"
#include "ui/history/history_rows.h"
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <map>
#include <tuple>

using namespace krx;
using namespace krx::history;

namespace {

QStringList CsvFields(const QString& line, QChar separator)
{
    QStringList out;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
            field += c, ++i;
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == separator && !quoted)
            out << field, field.clear();
        else
            field += c;
    }
    return out << field;
}

OhmRecord Ohm(int timer, int calculation)
{
    OhmRecord r;
    r.head = {3, QStringLiteral("07.03.2026"), QStringLiteral("10:42"), QStringLiteral("45"), QStringLiteral("30.0")};
    r.voltage = 500;
    r.timer = timer;
    r.mantissa = QStringLiteral("4.70");
    r.exponent = QStringLiteral("09");
    r.calculation = calculation;
    return r;
}

BreakDownRecord BreakDown(quint32 kOhm)
{
    BreakDownRecord r;
    r.head = {4, QStringLiteral("08.03.2026"), QStringLiteral("11:00"), QStringLiteral("44"), QStringLiteral("22.1")};
    r.breakDownVoltage = 1000;
    r.resistanceBefore = kOhm;
    r.resistanceAfter = 1000;
    r.resistanceOff = 999;
    r.cycleTime = 14;
    return r;
}

TestRecord MeasuredTest(bool simulated)
{
    TestRecord t;
    t.kind = TestKind::Timer;
    t.time = QDateTime(QDate(2026, 3, 6), QTime(9, 5), Qt::OffsetFromUTC, 3600);
    t.volts = 1000, t.durationSeconds = 600.4, t.temperature = 23.4, t.humidity = 41;
    t.r15 = 1.25e9, t.r30 = 2.5e9, t.r60 = 4.75e9, t.r600 = 1.0123456789e10;
    t.dar = 1.9, t.pi = 2.13, t.r60At40 = 1.5e10, t.correctionTemperature = 23.4;
    t.piVerdict = QStringLiteral("pass");
    t.verdictSource = QStringLiteral("IEEE 43-2013");
    t.nameplate = Nameplate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::F};
    t.rampSeconds = 3.4, t.darTimes = DarTimes::From30To60, t.dewPoint = 9.26;
    t.irVerdict = QStringLiteral("meets the minimum");
    t.temperatureSource = QStringLiteral("winding (typed)");
    t.simulated = simulated;
    if (simulated)
        t.irSource = QStringLiteral("ir-rule"), t.piSource = QStringLiteral("pi-rule"), t.sourcesApart = true;
    return t;
}

// `krx738-cli history show`'s table, cut at the columns its heading row starts; what follows the
// table (the verdicts' sources) in `after`.
std::vector<QStringList> ShowTable(const QString& database, const QString& asset, QString* after)
{
    const test::CliRun r = test::RunCli({QStringLiteral("history"), QStringLiteral("show"), asset,
                                         QStringLiteral("--database"), database});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString out = QString::fromUtf8(r.out);
    const qsizetype end = out.indexOf(QStringLiteral("\n\n"));
    *after = end < 0 ? QString() : out.mid(end + 2);
    const QStringList lines = out.left(end).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    if (lines.isEmpty())
        return {};
    const char* const labels[] = {"Test", "Date", "Kind", "Meter", "Voltage", "Temp.", "Humidity", "R 1 min",
                                  "R 10 min", "Reading", "R 1 min @ 40 °C", "DAR", "PI", "Verdicts",
                                  "Comment", "Notes"};
    std::vector<qsizetype> starts;
    for (const char* l : labels)
        starts.push_back(lines[0].indexOf(QString::fromUtf8(l), starts.empty() ? 0 : starts.back() + 1));
    std::vector<QStringList> rows;
    for (const QString& line : lines.mid(1)) {
        QStringList cells;
        for (size_t c = 0; c < starts.size(); ++c)
            cells << line.mid(starts[c], c + 1 < starts.size() ? starts[c + 1] - starts[c] : -1).trimmed();
        rows.push_back(cells);
    }
    return rows;
}

const char* const kShowKeys[] = {"test_id", "time", "kind", "simulated", "voltage_v", "temperature_c",
                                 "humidity_pct", "r60_ohm", "r600_ohm", "reading_ohm", "r60_40c_ohm", "dar",
                                 "pi", "verdicts", "comment", "notes"};

// Each verdict with the number of its own source; a test filed before each verdict kept its own
// refers every verdict to the sources filed together. Stored oldest first.
const char* const kVerdictCells[] = {"Minimum IR: meets the minimum [1]; PI: pass [2]",
                                     "Minimum IR: meets the minimum [3]; PI: pass [3]", "", "", ""};

// The window's columns and the value each shows.
const std::map<int, const char*> kWindowColumns{
    {history_view::ColDate, "time"},      {history_view::ColDuration, "duration_s"},
    {history_view::ColTemperature, "temperature_c"}, {history_view::ColHumidity, "humidity_pct"},
    {history_view::ColR60, "r60_ohm"},    {history_view::ColR60At40, "r60_40c_ohm"},
    {history_view::ColDar, "dar"},        {history_view::ColPi, "pi"},
    {history_view::ColNotes, "notes"}};

TEST(HistoryFaces, EveryFaceShowsTheSameValuesWithTheSameReasons)
{
    QTemporaryDir dir;
    HistoryStore store;
    ASSERT_TRUE(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("h.sqlite")), dir.path()));
    const memory::Identity meter{QStringLiteral("KRX 738"), QStringLiteral("73800042"), QStringLiteral("1.07")};
    const Asset asset{QStringLiteral("M-1"), QStringLiteral("Pump"), {}, {}, QStringLiteral("F")};
    std::vector<TestRecord> made{MeasuredTest(false), TestFromOhmRecord(asset.id, meter, Ohm(60, 1)),
                                 TestFromOhmRecord(asset.id, meter, Ohm(60, 0)),
                                 TestFromBreakDownRecord(asset.id, meter, BreakDown(1500)), MeasuredTest(true)};
    made[4].time = made[4].time.addDays(-1);
    made[4].durationSeconds = 600.6;
    made[4].humidity = 41.6;
    for (TestRecord& t : made) {
        t.assetId = asset.id;
        ASSERT_EQ(store.FileTest(t).status, FileResult::Filed);
    }
    ASSERT_TRUE(store.SaveAsset(asset));
    const std::vector<TestRecord> tests = store.TestsOf(asset.id);
    ASSERT_EQ(tests.size(), made.size());

    const QStringList csv = QString::fromUtf8(*store.ExportHistory(asset.id, ExportFormat::Csv)).split(QLatin1Char('\n'));
    const QList<QByteArray> jsonl = store.ExportHistory(asset.id, ExportFormat::Jsonl)->split('\n');
    // Windows-1252 and Latin-1 agree on every character the values hold.
    const QStringList sheet = QStringDecoder(QStringDecoder::Latin1)
                                  .decode(*store.ExportHistory(asset.id, ExportFormat::Spreadsheet))
                                  .operator QString()
                                  .split(QStringLiteral("\r\n"));
    const QStringList csvNames = CsvFields(csv[0], QLatin1Char(','));
    EXPECT_EQ(CsvFields(sheet[0], QLatin1Char(';')), csvNames);
    const auto history = history_view::MakeAssetHistory(asset, tests);
    QString sources;
    const auto shown = ShowTable(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("h.sqlite")), asset.id, &sources);
    ASSERT_EQ(shown.size(), tests.size());
    EXPECT_EQ(sources, QStringLiteral("Verdicts after:\n[1] ir-rule\n[2] pi-rule\n[3] IEEE 43-2013\n"));

    std::map<QString, std::vector<TestValue>> byKind;
    for (size_t i = 0; i < tests.size(); ++i) {
        SCOPED_TRACE(i);
        const auto values = ValuesOf(asset, tests[i]);
        const QStringList c = CsvFields(csv[static_cast<int>(i) + 1], QLatin1Char(','));
        const QStringList s = CsvFields(sheet[static_cast<int>(i) + 1], QLatin1Char(';'));
        const QJsonObject j = QJsonDocument::fromJson(jsonl[static_cast<int>(i)]).object();
        const QStringList row = history_view::RowTexts(tests[i], history.markReasons[i]);
        ASSERT_EQ(c.size(), csvNames.size());
        for (qsizetype f = 0; f < csvNames.size(); ++f) {
            const TestValue& v = ValueOf(values, csvNames[f].toStdString());
            SCOPED_TRACE(v.key);
            const QString flat = v.data == QLatin1String("true") ? QStringLiteral("1")
                                 : v.data == QLatin1String("false") ? QStringLiteral("0") : v.data;
            EXPECT_EQ(c[f], flat);
            EXPECT_EQ(v.isText ? s[f] : QString(s[f]).replace(DecimalSeparator(), QLatin1Char('.')), flat);
            const QJsonValue jv = j.value(csvNames[f]);
            EXPECT_EQ(jv.isNull(), v.data.isEmpty() && !v.isText);
            if (v.isText) {
                EXPECT_EQ(jv.toString(), v.data);
            } else if (jv.isBool()) {
                EXPECT_EQ(jv.toBool() ? QStringLiteral("true") : QStringLiteral("false"), v.data);
            } else if (!v.data.isEmpty()) {
                EXPECT_EQ(jv.toDouble(), v.data.toDouble());
            }
            // A person sees a value exactly when a file holds it (whole MOhm of old tests aside).
            if (!QByteArray(v.key).endsWith("_mohm")) {
                EXPECT_EQ(v.text.isEmpty(), v.data.isEmpty() || v.data == QLatin1String("false"));
            }
        }
        for (const auto& [col, key] : kWindowColumns)
            EXPECT_EQ(row[col], ValueOf(values, key).text) << key;
        EXPECT_EQ(row[history_view::ColReading], ReadingSummary(values));
        for (size_t k = 0; k < std::size(kShowKeys); ++k) {
            const bool reading = std::string_view(kShowKeys[k]) == "reading_ohm";
            QString want = reading ? ReadingSummary(values) : ValueOf(values, kShowKeys[k]).text;
            if (std::string_view(kShowKeys[k]) == "verdicts")
                want = QString::fromUtf8(kVerdictCells[i]);
            want.replace(QLatin1Char('\n'), QLatin1Char(' '));
            EXPECT_EQ(shown[i][static_cast<qsizetype>(k)], want.isEmpty() ? QStringLiteral("-") : want)
                << "history show: " << kShowKeys[k];
        }
        EXPECT_EQ(row[history_view::ColKind].contains(QStringLiteral("simulated")), tests[i].simulated);
        EXPECT_EQ(row[history_view::ColVerdicts], QString::fromUtf8(kVerdictCells[i]).remove(QRegularExpression(QStringLiteral(" \\[\\d\\]"))));
        byKind[QString::number(i)] = values;
    }

    // The rule of memory records: R 1 min only when the meter kept the reading at 60 s.
    const auto& lapse = byKind[QStringLiteral("2")];
    const auto& average = byKind[QStringLiteral("3")];
    EXPECT_EQ(ValueOf(lapse, "r60_ohm").data, QStringLiteral("4700000000"));
    EXPECT_EQ(ValueOf(lapse, "reading_ohm").text, QStringLiteral("R at 60 s 4.7 GΩ"));
    EXPECT_FALSE(ValueOf(lapse, "r60_40c_ohm").data.isEmpty());
    EXPECT_TRUE(ValueOf(average, "r60_ohm").data.isEmpty());
    EXPECT_EQ(ValueOf(average, "reading_ohm").text, QStringLiteral("R averaged over 60 s 4.7 GΩ"));
    EXPECT_EQ(ValueOf(average, "reading_method").data, QStringLiteral("average"));
    EXPECT_TRUE(ValueOf(average, "notes").text.contains(QStringLiteral("R 1 min: the meter averaged over its 60 s timer")));
    // The 1-minute trend: both measurements and the lapse record, never the average.
    const auto trend = history_view::TrendOf(history);
    EXPECT_EQ(std::count_if(trend.begin(), trend.end(), [](const auto& p) { return p.r40Ohm.has_value(); }), 3);

    // Both sides of each rounding, against the fixture's own numbers.
    const std::tuple<int, const char*, const char*, const char*> rounded[] = {
        {0, "duration_s", "600.6", "10:01"}, {1, "duration_s", "600.4", "10:00"},
        {0, "humidity_pct", "41.6", "42 %"}, {1, "humidity_pct", "41", "41 %"}};
    for (const auto& [test, key, data, text] : rounded) {
        const TestValue& v = ValueOf(byKind[QString::number(test)], key);
        EXPECT_EQ(v.data, QString::fromUtf8(data)) << key;
        EXPECT_EQ(v.text, QString::fromUtf8(text)) << key;
    }
    const auto& bd = byKind[QStringLiteral("4")];
    EXPECT_EQ(ReadingSummary(bd), QStringLiteral("BD 1000 V, before 1.5 MΩ, after 1 MΩ, off 999 kΩ, cycle time 14 s"));
    EXPECT_EQ(ValueOf(bd, "bd_before_ohm").data, QStringLiteral("1500000"));
    EXPECT_EQ(ValueOf(bd, "bd_before_ohm").text, QStringLiteral("1.5 MΩ"));
    EXPECT_EQ(ValueOf(bd, "bd_off_ohm").text, QStringLiteral("999 kΩ"));
    // Stored oldest first: the simulated measurement is a day older than the other.
    EXPECT_EQ(ValueOf(byKind[QStringLiteral("0")], "simulated").data, QStringLiteral("true"));
    EXPECT_EQ(ValueOf(byKind[QStringLiteral("1")], "simulated").data, QStringLiteral("false"));
    // What the test was judged by reaches every face with it.
    const std::pair<const char*, const char*> judgedBy[] = {
        {"plate_kind", "machine"}, {"plate_rated_v", "6600"}, {"plate_winding", "form"}, {"ramp_s", "3.4"},
        {"dar_times", "30-60"}, {"dew_point_c", "9.3"} /* 9.26 to a tenth */, {"ir_verdict", "meets the minimum"},
        {"temperature_source", "winding (typed)"}};
    for (const auto& [key, data] : judgedBy)
        EXPECT_EQ(ValueOf(byKind[QStringLiteral("1")], key).data, QString::fromUtf8(data)) << key;
}

// The meter's kOhm reach the history's files exactly, at the edges of the units.
TEST(HistoryFaces, BreakDownKOhmExactThroughTheStore)
{
    QTemporaryDir dir;
    HistoryStore store;
    ASSERT_TRUE(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("h.sqlite")), dir.path()));
    const memory::Identity meter{{}, QStringLiteral("1"), {}};
    const std::pair<quint32, const char*> cases[] = {
        {999, "999000"}, {1000, "1000000"}, {1500, "1500000"}, {3000000000u, "3000000000000"}};
    for (const auto& [kOhm, ohm] : cases)
        ASSERT_EQ(store.ImportBreakDownRecord(QStringLiteral("B"), meter, BreakDown(kOhm)).status, FileResult::Filed);
    const QList<QByteArray> lines = store.ExportHistory(QStringLiteral("B"), ExportFormat::Jsonl)->split('\n');
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QByteArray& line = lines[static_cast<int>(i)];
        EXPECT_TRUE(line.contains(QByteArray("\"bd_before_ohm\":") + cases[i].second + ",")) << line.constData();
        EXPECT_TRUE(line.contains("\"bd_before_mohm\":null")) << line.constData();
    }
}

}  // namespace

// A filed value beside its limit keeps the digits that tell it from the limit, as the window prints it.
TEST(HistoryFaces, ValuesBesideTheirLimitsKeepTheirDigits)
{
    TestRecord t = MeasuredTest(false);
    t.pi = 1.996, t.dar = 1.2496, t.r60At40 = 99.99e6;
    const Asset asset{QStringLiteral("M-2"), QStringLiteral("Fan"), {}, {}, QStringLiteral("F")};
    const auto values = ValuesOf(asset, t);
    EXPECT_EQ(ValueOf(values, "pi").text, QStringLiteral("1.996"));
    EXPECT_EQ(ValueOf(values, "dar").text, QStringLiteral("1.2496"));
    EXPECT_EQ(ValueOf(values, "r60_40c_ohm").text, QStringLiteral("99.99 MΩ"));
    t.pi = 2.13, t.dar = 1.9, t.r60At40 = 1.5e10;
    EXPECT_EQ(ValueOf(ValuesOf(asset, t), "pi").text, QStringLiteral("2.13"));
}
