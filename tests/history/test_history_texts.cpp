// SPDX-License-Identifier: GPL-3.0-or-later
// The history's texts without a database: the connection setting, the stored series, the exports.
#include "history/measurement_test.h"
#include "history/method_test_record.h"
#include "history/step_test_record.h"
#include "history_samples.h"
#include "history/test_values.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace krx;
using namespace krx::history;
using namespace krx::history::samples;

namespace {

TEST(Texts, ConnectionSettings)
{
    Connection c;
    QString error;
    ASSERT_TRUE(ParseConnection({}, QStringLiteral("/data"), c, &error));
    EXPECT_EQ(c.backend, Connection::Sqlite);
    EXPECT_EQ(c.sqliteFile, QStringLiteral("/data/history.sqlite"));
    ASSERT_TRUE(ParseConnection(QStringLiteral(" SQLite "), QStringLiteral("/data"), c, &error));
    EXPECT_EQ(c.sqliteFile, QStringLiteral("/data/history.sqlite"));
    ASSERT_TRUE(ParseConnection(QStringLiteral("sqlite:/x/y.db"), {}, c, &error));
    EXPECT_EQ(c.sqliteFile, QStringLiteral("/x/y.db"));
    ASSERT_TRUE(ParseConnection(QStringLiteral("postgresql://lab@db.example:5433/tests?sslmode=require"), {}, c, &error));
    EXPECT_EQ(c.backend, Connection::Postgres);
    EXPECT_EQ(c.user, QStringLiteral("lab"));
    EXPECT_EQ(c.host, QStringLiteral("db.example"));
    EXPECT_EQ(c.port, 5433);
    EXPECT_EQ(c.databaseName, QStringLiteral("tests"));
    EXPECT_EQ(c.options, QStringLiteral("sslmode=require"));
    ASSERT_TRUE(ParseConnection(QStringLiteral("postgres:///tests?host=%2Fvar%2Frun%2Fpostgresql"), {}, c, &error));
    EXPECT_EQ(c.host, QStringLiteral("/var/run/postgresql"));
    EXPECT_EQ(c.port, 0);
    for (const char* bad : {"sqlite:", "mysql://x/y", "postgresql://host", "postgresql://host/", "postgresql://h/a/b",
                            "history.sqlite"}) {
        error.clear();
        EXPECT_FALSE(ParseConnection(QString::fromLatin1(bad), {}, c, &error)) << bad;
        EXPECT_TRUE(error.startsWith(QStringLiteral("HistoryDatabase:"))) << bad;
    }
    EXPECT_FALSE(ParseConnection(QStringLiteral("postgresql://u:secret@h/db"), {}, c, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("password")));
    EXPECT_FALSE(error.contains(QStringLiteral("secret")));
}

TEST(Texts, SeriesSkipsBrokenLines)
{
    const TestRecord t = FullTest(QStringLiteral("x"), 4);
    QByteArray text = SeriesText(t.readings);
    const QByteArray whole = text;
    text += "2025-03-07T09:05:12.345+01:00,1.0,5,ok,500,20,40,1\n";      // a field short
    text += "2025-03-07T09:05:12.345+01:00,1.0,,ok,500,20,40,1,\n";     // in range without a value
    text += "2025-03-07T09:05:12.345+01:00,1.0,5,maybe,500,20,40,1,\n"; // no such range
    text += "garbage\n";
    int skipped = 0;
    ExpectSameReadings(t.readings, ParseSeries(text, &skipped));
    EXPECT_EQ(skipped, 4);
    ExpectSameReadings(t.readings, ParseSeries(whole, &skipped));
    EXPECT_EQ(skipped, 0);
    EXPECT_TRUE(ParseSeries(whole.left(whole.size() - 20), &skipped).size() == 3 && skipped == 1);

    // The simulated meter's step series keeps its mark through the store.
    TestRecord sim = FullTest(QStringLiteral("x"), 3);
    for (DataRecord& r : sim.readings)
        r.simulated = true, r.step = 1;
    ExpectSameReadings(sim.readings, ParseSeries(SeriesText(sim.readings), &skipped));
    EXPECT_EQ(skipped, 0);
}

// A measurement and a step-voltage test filed from the same readings: the start before the first
// reading, the conditions of the last, each field from a reading that differs from the others.
TEST(Texts, AFiledTestTakesItsConditionsFromItsReadings)
{
    const QDateTime first(QDate(2025, 3, 7), QTime(9, 5, 12, 500), Qt::OffsetFromUTC, 3600);
    std::vector<DataRecord> readings;
    const struct {
        double elapsed;
        int volts;
        double temperature;
        int humidity;
    } rows[] = {{0.5, 100, 21.0, 40}, {300.2, 101, 21.4, 41}, {600.6, 498, 22.6, 43}};
    for (const auto& row : rows) {
        DataRecord r;
        r.time = first.addMSecs(std::llround((row.elapsed - 0.5) * 1000));
        r.elapsedSeconds = row.elapsed;
        r.resistanceOhm = 1e9;
        r.volts = row.volts;
        r.temperature = row.temperature;
        r.humidity = row.humidity;
        r.stable = true;
        readings.push_back(r);
    }
    StepFigure low, high;
    low.step = 1, low.volts = 100, low.ohm = 1.2e9;
    high.step = 2, high.volts = 500, high.ohm = 0.8e9;
    const StepPlan plan{{100, 500, 1000}, 300};
    const TestRecord measured = TestFromMeasurement(QStringLiteral("a"), readings, true, std::nullopt, DarTimes::From30To60);
    const TestRecord stepped = TestFromSteps(QStringLiteral("a"), readings, plan, ComputeStepResult({low, high}));
    for (const TestRecord& t : {measured, stepped}) {
        EXPECT_EQ(t.time, QDateTime(QDate(2025, 3, 7), QTime(9, 5, 12), Qt::OffsetFromUTC, 3600));
        EXPECT_EQ(t.durationSeconds, 600.6);
        EXPECT_EQ(t.temperature, 22.6);
        EXPECT_EQ(t.humidity, 43);
        EXPECT_EQ(t.readings.size(), 3u);
    }
    EXPECT_EQ(measured.volts, 498);
    // The highest step's voltage; a step broken off in the third keeps the plan whole.
    EXPECT_EQ(stepped.volts, 500);
    ASSERT_TRUE(stepped.steps);
    EXPECT_EQ(stepped.steps->plannedVolts, (std::vector<int>{100, 500, 1000}));
    EXPECT_EQ(stepped.steps->stepSeconds, 300);
    EXPECT_EQ(StepsFromText(StepsText(*stepped.steps))->plannedVolts, (std::vector<int>{100, 500, 1000}));
}

TEST(Texts, ExportInBothDialects)
{
    const Asset asset{QStringLiteral("M,1 \"x\""), QStringLiteral("Pump; north"), {}, {}, QStringLiteral("F"), {}, {}, {}};
    TestRecord t = FullTest(asset.id, 0);
    t.id = 42;
    const QByteArray csv = ExportHeader(ExportFormat::Csv) + ExportLine(ExportFormat::Csv, asset, t);
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("asset_id,asset_name,test_id,kind,time,"));
    EXPECT_TRUE(lines[1].startsWith("\"M,1 \"\"x\"\"\",Pump; north,42,timer," + DataTime(t.time) + ",1,1000,600.5,23.4,41,"))
        << lines[1].toStdString();
    // The comment's line break stays inside its quotes.
    EXPECT_TRUE(lines[2].startsWith("line two\"")) << lines[2].toStdString();

    const QByteArray json = ExportLine(ExportFormat::Jsonl, asset, t);
    ASSERT_TRUE(json.endsWith("}\n"));
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(o.value(QStringLiteral("asset_id")).toString(), asset.id);
    EXPECT_EQ(o.value(QStringLiteral("comment")).toString(), t.comment);
    EXPECT_DOUBLE_EQ(o.value(QStringLiteral("r600_ohm")).toDouble(), 1.012e10);  // four digits of 1.0123456789e10
    EXPECT_TRUE(o.value(QStringLiteral("dar")).isDouble());
    t.dar.reset();
    EXPECT_TRUE(QJsonDocument::fromJson(ExportLine(ExportFormat::Jsonl, asset, t)).object().value(QStringLiteral("dar")).isNull());

    const QByteArray sheet = ExportLine(ExportFormat::Spreadsheet, asset, t);
    EXPECT_TRUE(sheet.endsWith("\r\n"));
    EXPECT_TRUE(sheet.startsWith("\"M,1 \"\"x\"\"\";\"Pump; north\";42;timer;")) << sheet.toStdString();
    // Windows-1252: "ü" is one byte, the emoji cannot be and becomes "?".
    EXPECT_TRUE(sheet.contains("\xFCn\xEF" "code")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("2nd try, ? ")) << sheet.toStdString();
    EXPECT_TRUE(ExportHeader(ExportFormat::Spreadsheet).startsWith("asset_id;asset_name;"));
    EXPECT_TRUE(ExportHeader(ExportFormat::Jsonl).isEmpty());
}

// The meter's values keep its digits, computed ones go out to a precision that means something;
// the view's texts keep their own forms.
TEST(Texts, ExportDigits)
{
    TestRecord t = FullTest(QStringLiteral("M1"), 0);
    t.temperature = static_cast<double>(22.8f);  // as a break-down test's float gave it
    t.durationSeconds = 600.50049;
    t.rampSeconds = 3.37098069300009;
    t.r60 = 6272165385.21529;
    t.r60At40 = 1.99949e9;
    t.dar = 1.71316524042911;
    t.pi = 1.99951;
    t.correctionTemperature = 22.53333333;
    t.dewPoint = 9.96897725260564;
    t.memoryReading = MemoryReading{4.70e9, 60, QStringLiteral("lapse")};
    StepFigure low, high;
    low.volts = 100, low.ohm = 1.2e9;
    high.volts = 1000, high.ohm = 8e8, high.atLeast = true;  // over the range: a bound
    t.steps = StepSummary{30, {low, high}, {}, {}, {}, {}, {100, 1000}};
    const struct {
        const char* key;
        const char* data;
    } cases[] = {
        {"temperature_c", "22.8"},          {"duration_s", "600.5"},       {"ramp_s", "3.37"},
        {"r60_ohm", "6272000000"},          {"r60_40c_ohm", "1999000000"}, {"dar", "1.713"},
        {"pi", "1.9995"},                   {"correction_temperature_c", "22.53"},
        {"dew_point_c", "10"},              {"reading_ohm", "4700000000"}, {"humidity_pct", "41"},
        {"bd_before_ohm", "4000000000000"}, {"r600_40c_ohm", "31000000000"},
        {"steps", "100:1200000000;1000:>=800000000"},
    };
    const std::vector<TestValue> values = ValuesOf(Asset{}, t);
    for (const auto& c : cases)
        EXPECT_EQ(ValueOf(values, c.key).data, QLatin1String(c.data)) << c.key;
    // 1.99951 beside a minimum of 2: never "2.00" on the wrong side of it.
    EXPECT_EQ(ValueOf(values, "pi").text, QStringLiteral("1.9995"));
    // Ended a tenth of a second short of 10 min, R 10 min is missing for that; at 10 min it is not.
    t.r600.reset();
    for (const auto& [duration, note] : {std::pair{599.9, "the test ended before 10 min"}, std::pair{600.0, ""}}) {
        t.durationSeconds = duration;
        EXPECT_EQ(ValueOf(ValuesOf(Asset{}, t), "r600_ohm").note, QLatin1String(note)) << duration;
    }
}



// An ESD or material test reads the same in the export, the list and the verdicts: every value from
// the sample's own numbers, and nothing of a winding's figures.
TEST(Texts, AMethodTestInEveryFace)
{
    const Asset asset{QStringLiteral("bag-7"), {}, {}, QStringLiteral("packaging"), {}, {}, {}, {}};
    TestRecord t = MethodTest(asset.id);
    t.id = 9;
    const QJsonObject o = QJsonDocument::fromJson(ExportLine(ExportFormat::Jsonl, asset, t)).object();
    const struct {
        const char* key;
        QJsonValue value;
    } fields[] = {{"kind", QStringLiteral("method")},
                  {"method", QStringLiteral("surface")},
                  {"measurement", QStringLiteral("Rs")},
                  {"item_kind", QStringLiteral("packaging")},
                  {"limit_set", QStringLiteral("s20.20-2021")},
                  {"limit_row", QStringLiteral("packaging, Rs ≥ 1.0×10^4 Ω")},
                  {"limit_lower_ohm", 1.0e4},
                  {"limit_upper_ohm", 1.0e11},
                  {"electrode_d1_mm", 30.48},
                  {"electrode_d2_mm", 57.15},
                  {"electrode_gap_mm", QJsonValue()},
                  {"path", QStringLiteral("10:2350000@5;100:460000000@15")},
                  {"result_ohm", 4.6e8},
                  {"result_voltage_v", 100},
                  {"result_range", QStringLiteral("ok")},
                  {"resistivity", 4.747e9},
                  {"resistivity_factor", 10.32},
                  {"resistivity_unit", QStringLiteral("Ω")},
                  {"classification", QStringLiteral("dissipative")},
                  {"classification_source", QStringLiteral("class source")},
                  {"limit_verdict", QStringLiteral("Rs meets")},
                  {"limit_outcome", QStringLiteral("meets")},
                  {"limit_source", QStringLiteral("limit source")},
                  {"qualification", true},
                  {"qualification_flag", QStringLiteral("inside the window")},
                  {"conditioning_h", 48.5},
                  {"temperature_c", 22.75},
                  {"humidity_pct", 14},
                  {"r60_ohm", QJsonValue()},
                  {"pi", QJsonValue()},
                  {"dar", QJsonValue()},
                  {"pi_verdict", QStringLiteral("")}};
    for (const auto& f : fields)
        EXPECT_EQ(o.value(QString::fromLatin1(f.key)), f.value) << f.key;
    // The spreadsheet's columns are the same fields.
    const QList<QByteArray> csv = (ExportHeader(ExportFormat::Csv) + ExportLine(ExportFormat::Csv, asset, t)).split('\n');
    ASSERT_GE(csv.size(), 2);
    EXPECT_TRUE(csv[0].contains(",limit_upper_ohm,electrode_d1_mm,"));
    EXPECT_TRUE(csv[1].contains(",100000000000,30.48,57.15,,,,10:2350000@5;100:460000000@15,460000000,100,ok,"))
        << csv[1].toStdString();

    // The list's reading and verdicts, as the view, its report and `history show` take them.
    const auto values = ValuesOf(asset, t);
    EXPECT_EQ(ReadingSummary(values), QStringLiteral("10 V: 2.35 MΩ at 5 s (1 MΩ or more) → 100 V: 460 MΩ at 15 s; "
                                                     "ρs = 4.7×10^9 Ω (ρs = Rs·π(D1+g)/g); "
                                                     "conditioned 48.5 h"));
    QStringList sources;
    EXPECT_EQ(VerdictCell(t, &sources), QStringLiteral("Class: dissipative [1]; Rs: Rs meets [2]; "
                                                       "Qualification: inside the window"));
    EXPECT_EQ(sources, (QStringList{QStringLiteral("class source"), QStringLiteral("limit source")}));
    EXPECT_EQ(ValueOf(values, "kind").text, QStringLiteral("Surface resistance"));
}

// The path's column keeps a bound as a bound, and a text this program did not write gives no path.
TEST(Texts, PathColumn)
{
    const std::vector<PathStep> path{{10, 5, {RangeState::Over, 1.9e6}, 21.5, 12},
                                     {100, 15, {RangeState::Under, 3.0e4}, 21.75, 13}};
    const std::vector<PathStep> back = PathFromJson(PathJson(path));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].value.range, RangeState::Over);
    EXPECT_EQ(back[0].value.ohm, 1.9e6);
    EXPECT_EQ(back[1].value.range, RangeState::Under);
    EXPECT_EQ(back[1].atSeconds, 15);
    EXPECT_EQ(back[1].temperature, 21.75);
    EXPECT_EQ(back[1].humidity, 13);
    for (const char* bad : {"", "{}", "[{\"range\":\"maybe\"}]", "not json"})
        EXPECT_TRUE(PathFromJson(QString::fromLatin1(bad)).empty()) << bad;
}

}  // namespace
