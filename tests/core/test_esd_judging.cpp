// SPDX-License-Identifier: GPL-3.0-or-later
// The ESD and material judging as pure functions: the 10 V → 100 V switch point, each limit's
// edges, readings over and under the range, the packaging classes, resistivity against hand
// values, the qualification window, a 500 V result and limit files good and bad.
#include "core/judging/conditions.h"
#include "core/judging/method_result.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace krx;

namespace {

ReadingValue In(double ohm)
{
    return {RangeState::InRange, ohm};
}

LimitRow Row(std::optional<Bound> lower, std::optional<Bound> upper)
{
    LimitRow r;
    r.kind = QStringLiteral("worksurface");
    r.lower = lower;
    r.upper = upper;
    r.purpose = QStringLiteral("compliance verification");
    return r;
}

LimitSet Set(LimitRow row)
{
    LimitSet s;
    s.id = QStringLiteral("test");
    s.source = QStringLiteral("ANSI/ESD S20.20-2021");
    s.rows = {std::move(row)};
    return s;
}

DataRecord Reading(double elapsed, double ohm, int volts, int step, RangeState range = RangeState::InRange)
{
    DataRecord d;
    d.elapsedSeconds = elapsed;
    d.resistanceOhm = range == RangeState::InRange ? ohm : 0.0;
    d.range = range;
    d.volts = volts;
    d.temperature = 22.5;
    d.humidity = 45;
    d.step = step;
    return d;
}

}  // namespace

TEST(EsdJudging, TheSwitchToHundredVoltsIsAtOneMegohm)
{
    const std::pair<ReadingValue, bool> rows[] = {
        {In(999999.0), false}, {In(1.0e6), true}, {In(1.0e11), true},
        {{RangeState::Over, std::nullopt}, true}, {{RangeState::Under, std::nullopt}, false}};
    for (const auto& [value, hundred] : rows)
        EXPECT_EQ(NeedsHundredVolts(value), hundred) << value.ohm.value_or(-1);
}

TEST(EsdJudging, EachEdgeStrictOrInclusive)
{
    const Bound strictUpper{1.0e9, Edge::Strict}, inclusiveUpper{1.0e9, Edge::Inclusive};
    const Bound strictLower{1.0e4, Edge::Strict}, inclusiveLower{1.0e4, Edge::Inclusive};
    struct Case {
        std::optional<Bound> lower, upper;
        double ohm;
        Outcome outcome;
    };
    const Case cases[] = {
        {{}, strictUpper, 9.99e8, Outcome::Meets},      {{}, strictUpper, 1.0e9, Outcome::Fails},
        {{}, inclusiveUpper, 1.0e9, Outcome::Meets},    {{}, inclusiveUpper, 1.001e9, Outcome::Fails},
        {inclusiveLower, {}, 1.0e4, Outcome::Meets},    {inclusiveLower, {}, 9999.0, Outcome::Fails},
        {strictLower, {}, 1.0e4, Outcome::Fails},       {strictLower, {}, 10001.0, Outcome::Meets},
        {inclusiveLower, strictUpper, 5.0e6, Outcome::Meets},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Place(In(c.ohm), Row(c.lower, c.upper)), c.outcome) << c.ohm;
}

TEST(EsdJudging, VerdictTextsNameTheLimitAndItsSource)
{
    const LimitSet upper = Set(Row({}, Bound{1.0e9, Edge::Strict}));
    const LimitSet both = Set(Row(Bound{1.0e6, Edge::Inclusive}, Bound{1.0e9, Edge::Strict}));
    const QString who = QStringLiteral(": %1 ANSI/ESD S20.20-2021, worksurface, compliance verification");
    struct Case {
        const LimitSet* set;
        ReadingValue value;
        QString text;
    };
    const Case cases[] = {
        {&upper, In(3.2e8), QStringLiteral("Rtg 3.2×10^8 Ω < 1.0×10^9 Ω") + who.arg("meets")},
        {&upper, In(1.0e9), QStringLiteral("Rtg 1.0×10^9 Ω ≥ 1.0×10^9 Ω") + who.arg("fails")},
        // Two digits would read 1.0×10^9 on both sides.
        {&upper, In(9.96e8), QStringLiteral("Rtg 9.96×10^8 Ω < 1.0×10^9 Ω") + who.arg("meets")},
        {&both, In(4.0e5), QStringLiteral("Rtg 4.0×10^5 Ω < 1.0×10^6 Ω") + who.arg("fails")},
        {&both, In(2.0e6), QStringLiteral("Rtg 2.0×10^6 Ω ≥ 1.0×10^6 Ω and < 1.0×10^9 Ω") + who.arg("meets")},
        {&upper, {RangeState::Over, 2.0e11}, QStringLiteral("Rtg over the range (≥ 2.0×10^11 Ω)") + who.arg("fails")},
        {&upper, {RangeState::Over, 1.0e9}, QStringLiteral("Rtg over the range (≥ 1.0×10^9 Ω)") + who.arg("fails")},
        {&upper, {RangeState::Under, 1.0e4}, QStringLiteral("Rtg under the range (≤ 1.0×10^4 Ω)") + who.arg("meets")},
        {&both, {RangeState::Under, 5.0e5}, QStringLiteral("Rtg under the range (≤ 5.0×10^5 Ω)") + who.arg("fails")},
        {&upper, {RangeState::Over, 5.0e8},
         QStringLiteral("Rtg over the range (≥ 5.0×10^8 Ω): not decided against < 1.0×10^9 Ω (ANSI/ESD "
                        "S20.20-2021, worksurface, compliance verification)")},
        {&upper, {RangeState::Over, std::nullopt},
         QStringLiteral("Rtg over the range, no in-range reading to bound it: not judged")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeByRow(Measurement::Rtg, c.value, *c.set, c.set->rows[0]).text, c.text);
}

TEST(EsdJudging, PackagingClassesAtTheirEdges)
{
    const LimitLibrary lib = LoadLimitLibrary({});
    const std::pair<ReadingValue, const char*> rows[] = {
        {In(9999.0), "conductive"},      {In(1.0e4), "dissipative"},   {In(9.9999e10), "dissipative"},
        {In(1.0e11), "insulative"},      {{RangeState::Over, 2.0e11}, "insulative"},
        {{RangeState::Over, 5.0e9}, ""},  // dissipative or insulative: left open
    };
    for (const auto& [value, cls] : rows) {
        MethodRequest q;
        q.method = Method::Surface;
        q.measurement = Measurement::Rs;
        Phase p{100, 15, 0.0, {Reading(15.0, value.ohm.value_or(0), 100, 2, value.range)}};
        // Over the range: the highest of the phase's in-range readings bounds it, not the lowest.
        if (value.range == RangeState::Over)
            p.readings.insert(p.readings.begin(), {Reading(13.0, 1.0e6, 100, 2), Reading(14.0, *value.ohm, 100, 2)});
        const Phase ten{10, 5, 0.0, {Reading(5.0, 2.0e6, 10, 1)}};
        const MethodResult r = JudgeMethod(q, {ten, p}, lib);
        EXPECT_EQ(r.classification, QString::fromLatin1(cls)) << value.ohm.value_or(0);
    }
}

TEST(EsdJudging, ResistivityFactorsAgainstHandValues)
{
    struct Case {
        Geometry g;
        bool volume;
        double factor;  // by hand: π(D1+g)/g, π(D1+g)²/(4t) in cm
    };
    const Case cases[] = {
        {{30.48, 57.15, {}, {}, {}}, false, 10.3224},                 // g 13.335: π·43.815/13.335
        {{30.48, {}, 13.335, 2.0, {}}, true, 75.3880},                // 15.0776 cm² / 0.2 cm
        {{{}, {}, {}, {}, 10.0}, false, 10.0},                        // another convention's factor
    };
    for (const Case& c : cases) {
        const std::optional<Resistivity> r = ResistivityFactor(c.g, c.volume);
        ASSERT_TRUE(r);
        EXPECT_NEAR(r->factor, c.factor, 1e-3);
        EXPECT_EQ(r->volume, c.volume);
    }
    EXPECT_TRUE(ResistivityFactor(Geometry{30.48, 57.15, {}, {}, {}}, false)->formula.contains("factor 10.32"));
    EXPECT_EQ(GeometryProblem({57.15, 30.48, {}, {}, {}}), "D2 (the ring's inner diameter) must be larger than D1");
    EXPECT_FALSE(GeometryProblem({30.48, {}, 13.0, {}, {}}).isEmpty());
}

TEST(EsdJudging, QualificationWindowEdges)
{
    const QString flag =
        QStringLiteral("taken at 45 % RH, outside 12 ± 3 % RH for qualification: valid as compliance verification only");
    EXPECT_EQ(QualificationFlag(true, 23.0, 45), flag);
    EXPECT_EQ(QualificationFlag(false, 23.0, 45), QString());
    const std::tuple<double, int, bool> rows[] = {{23.0, 9, false},  {23.0, 15, false}, {23.0, 8, true},
                                                  {23.0, 16, true},  {21.0, 12, false}, {25.0, 12, false},
                                                  {20.9, 12, true},  {25.1, 12, true}};
    for (const auto& [t, rh, flagged] : rows)
        EXPECT_EQ(!QualificationFlag(true, t, rh).isEmpty(), flagged) << t << " " << rh;
}

TEST(EsdJudging, PathResultAndTheLimitsOfEachMethod)
{
    LimitLibrary lib = LoadLimitLibrary({});
    ASSERT_TRUE(lib.problems.isEmpty()) << qPrintable(lib.problems.join('\n'));
    const Phase ten{10, 5, 0.04, {Reading(3.0, 2.2e6, 10, 1), Reading(5.1, 2.1e6, 10, 1)}};
    const Phase hundred{100, 15, 5.2, {Reading(12.0, 8.0e5, 100, 2), Reading(20.3, 9.996e5, 100, 2)}};

    MethodRequest q;
    q.method = Method::Esd;
    q.itemKind = QStringLiteral("worksurface");
    q.limitSet = QStringLiteral("iec-61340-5-1-2016");
    MethodResult r = JudgeMethod(q, {ten, hundred}, lib);
    EXPECT_EQ(PathText(r), QStringLiteral("10 V: 2.10 MΩ at 5 s (1 MΩ or more) → 100 V: 1.00 MΩ at 15 s"));
    ASSERT_TRUE(r.result);
    EXPECT_EQ(r.result->volts, 100);  // the 100 V reading stands below 1 MΩ too, though shown rounded up
    EXPECT_EQ(r.verdict.outcome, Outcome::Meets);
    EXPECT_EQ(r.verdict.source, QStringLiteral("IEC 61340-5-1:2016, compliance verification"));

    // The 2021 worksurface row is not confirmed: no verdict on it.
    q.limitSet = QStringLiteral("s20.20-2021");
    r = JudgeMethod(q, {ten, hundred}, lib);
    EXPECT_EQ(r.verdict.outcome, Outcome::NotJudged);
    EXPECT_EQ(r.verdict.text, QStringLiteral("ANSI/ESD S20.20-2021 has no Rtg limit for worksurface: not judged"));

    // Ended at 3 s of the 10 V phase: no reading due yet.
    r = JudgeMethod(q, {Phase{10, 5, 0.04, {Reading(3.0, 2.2e6, 10, 1)}}}, lib);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(r.verdict.outcome, Outcome::NotJudged);
    // The 100 V reading is due 15 s after its own command, at 20.2 s: not yet at 16 s.
    r = JudgeMethod(q, {ten, Phase{100, 15, 5.2, {Reading(12.0, 8.0e5, 100, 2), Reading(16.0, 7.9e5, 100, 2)}}}, lib);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(r.verdict.text, QStringLiteral("ended before the 100 V reading was due: not judged"));
    // 10 V at 1 MΩ or more without its 100 V phase is no result either.
    EXPECT_FALSE(JudgeMethod(q, {ten}, lib).result);

    // A material at 500 V is never judged by ESD-item limits; at 100 V it is.
    q.method = Method::Material;
    q.measurement = Measurement::Rs;
    q.itemKind = QStringLiteral("packaging");
    q.limitSet = QStringLiteral("s20.20-2021");
    for (const auto& [volts, outcome] : {std::pair{500, Outcome::NotJudged}, std::pair{1000, Outcome::NotJudged},
                                         std::pair{100, Outcome::Meets}}) {
        q.materialVolts = volts;
        r = JudgeMethod(q, {Phase{volts, 60, 0.0, {Reading(60.5, 5.0e6, volts, 1)}}}, lib);
        EXPECT_EQ(r.verdict.outcome, outcome) << volts;
        EXPECT_EQ(r.verdict.text.contains("not comparable with ESD-item limits"), volts > 100) << volts;
    }
}

TEST(EsdJudging, BadLimitFilesAreRefusedWithFileLineAndFault)
{
    const char* good = R"({
  "set": "floor-lab",
  "source": "user-defined: floor without ESD footwear",
  "rows": [
    {"kind": "flooring", "measurement": "Rtg", "lower_ohm": 1.0e6, "lower_edge": "inclusive",
     "upper_ohm": 1.0e8, "upper_edge": "strict", "purpose": "compliance verification"}
  ]
})";
    struct Case {
        QByteArray text;
        QString error;
    };
    const QByteArray g(good);
    const Case cases[] = {
        {QByteArray(g).replace("\"rows\": [", "\"rows\": [,"), "bad.json: line 4: "},
        {QByteArray(g).replace("\"upper_edge\": \"strict\"", "\"upper_edge\": \"below\""),
         "bad.json: line 5: \"upper_edge\" must be \"strict\" or \"inclusive\""},
        {QByteArray(g).replace("user-defined: ", ""), "bad.json: line 3: \"source\" of a set of your own must begin"},
        {QByteArray(g).replace("1.0e8", "1.0e5"), "bad.json: line 5: \"lower_ohm\" must be below \"upper_ohm\""},
        {QByteArray(g).replace("\"Rtg\"", "\"Rx\""), "bad.json: line 5: \"measurement\" 'Rx' is none of"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        LimitSet s;
        QString error;
        EXPECT_FALSE(ParseLimitSet(c.text, QStringLiteral("bad.json"), false, s, &error));
        EXPECT_TRUE(error.startsWith(c.error)) << qPrintable(error);
    }
    // A bad file beside a good one: the good one and the built-ins load, the bad one is said.
    for (const auto& [name, text] : {std::pair{"a-bad.json", cases[1].text}, std::pair{"floor.json", g}}) {
        QFile f(QDir(dir.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const LimitLibrary lib = LoadLimitLibrary(dir.path());
    ASSERT_EQ(lib.problems.size(), 1);
    EXPECT_TRUE(lib.problems[0].endsWith("a-bad.json: line 5: \"upper_edge\" must be \"strict\" or \"inclusive\""));
    EXPECT_EQ(lib.Ids(), (QStringList{"s20.20-2021", "iec-61340-5-1-2016", "floor-lab"}));
    const LimitRow* row = lib.Find(QStringLiteral("floor-lab"))->Row(QStringLiteral("flooring"), Measurement::Rtg);
    ASSERT_TRUE(row);
    EXPECT_EQ(Place(In(1.0e6), *row), Outcome::Meets);
    EXPECT_EQ(Place(In(1.0e8), *row), Outcome::Fails);
}

namespace {

// The IEC 61340-5-1:2016 set judges a qualification test in its air by its qualification row where
// it has one, and every other test by its compliance-verification row.
TEST(EsdJudging, QualificationRowsOnlyInTheirAir)
{
    const LimitLibrary lib = LoadLimitLibrary({});
    const QString cv = QStringLiteral("IEC 61340-5-1:2016, compliance verification");
    const QString pqSurface = QStringLiteral("IEC 61340-5-1:2016 method IEC 61340-2-3, product qualification");
    const QString pqFloor = QStringLiteral("IEC 61340-5-1:2016 method IEC 61340-4-1, product qualification");
    const struct {
        const char* kind;
        Measurement m;
        bool qualification;
        int humidity;
        double ohm;
        Outcome outcome;
        QString source;
    } cases[] = {
        {"worksurface", Measurement::Rtg, false, 12, 5.0e8, Outcome::Meets, cv},
        {"worksurface", Measurement::Rtg, true, 12, 5.0e8, Outcome::Meets, pqSurface},
        {"worksurface", Measurement::Rtg, true, 15, 5.0e8, Outcome::Meets, pqSurface},  // window's edge
        {"worksurface", Measurement::Rtg, true, 16, 5.0e8, Outcome::Meets, cv},         // outside it
        {"worksurface", Measurement::Rtt, true, 12, 9.9e8, Outcome::Meets, pqSurface},
        {"worksurface", Measurement::Rtt, true, 12, 1.0e9, Outcome::Fails, pqSurface},  // strict edge
        {"worksurface", Measurement::Rtt, false, 12, 5.0e8, Outcome::NotJudged, {}},    // no such CV row
        {"shelving", Measurement::Rtt, true, 9, 5.0e8, Outcome::Meets, pqSurface},
        {"mobile-equipment", Measurement::Rtg, true, 12, 2.0e9, Outcome::Fails, pqSurface},
        {"flooring", Measurement::Rtg, true, 12, 5.0e8, Outcome::Meets, pqFloor},
        {"seating", Measurement::Rtg, true, 12, 5.0e8, Outcome::Meets, pqSurface},
        {"garment", Measurement::Rtt, true, 12, 5.0e8, Outcome::Meets, cv},  // no qualification row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.humidity) + " " + std::to_string(c.ohm));
        MethodRequest q;
        q.method = Method::Esd;
        q.measurement = c.m;
        q.itemKind = QString::fromLatin1(c.kind);
        q.limitSet = QStringLiteral("iec-61340-5-1-2016");
        q.qualification = c.qualification;
        DataRecord d = Reading(5.0, c.ohm, 10, 1);
        d.temperature = 23.0;
        d.humidity = c.humidity;
        // Below 1 MΩ at 10 V the test ends there; above it the 100 V reading stands.
        std::vector<Phase> phases{{10, 5, 0.0, {d}}};
        if (c.ohm >= 1.0e6) {
            d.elapsedSeconds = 21.0;
            d.volts = 100;
            d.step = 2;
            phases.push_back({100, 15, 5.5, {d}});
        }
        const MethodResult r = JudgeMethod(q, phases, lib);
        EXPECT_EQ(r.verdict.outcome, c.outcome);
        EXPECT_EQ(r.verdict.source, c.source);
        if (c.outcome != Outcome::NotJudged) {  // garments' compliance row is the one at 10^11
            EXPECT_EQ(r.verdict.upperOhm, qstrcmp(c.kind, "garment") == 0 ? 1.0e11 : 1.0e9);
        }
    }
}

// The limit sets' kinds are the one list's: every built-in row's kind is offered, and each reads
// as a person writes it.
TEST(EsdJudging, OneListOfKinds)
{
    const QStringList items = ItemKindNames();
    for (const LimitSet& set : LoadLimitLibrary({}).sets)
        for (const LimitRow& row : set.rows)
            EXPECT_TRUE(items.contains(row.kind)) << qPrintable(set.id) << " " << qPrintable(row.kind);
    const std::pair<const char*, const char*> texts[] = {{"mobile-equipment", "mobile equipment"},
                                                         {"groundable-garment", "groundable garment"},
                                                         {"worksurface", "worksurface"},
                                                         {"machine", "rotating machine"},
                                                         {"bench-mat", "bench mat"}};  // a user's own
    for (const auto& [name, text] : texts)
        EXPECT_EQ(KindText(QString::fromLatin1(name)), QString::fromUtf8(text));
    EXPECT_FALSE(items.contains(QStringLiteral("machine")));
    EXPECT_EQ(items.size(), 8);
}

}  // namespace
