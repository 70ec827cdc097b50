// SPDX-License-Identifier: GPL-3.0-or-later
// The verdicts by the asset's nameplate: both sides of every limit of the tables, each kind of
// asset, and the dew point against published values.
#include "core/judging/ieee43.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;

namespace {

// Figures with R 1 min and R 10 min given at 40 °C, so that no correction is in play.
InsulationFigures Figures(std::optional<double> r60, std::optional<double> r600, Missing why600 = Missing::None)
{
    InsulationFigures f;
    f.originElapsed = 0.0;
    f.r60 = r60;
    f.why60 = r60 ? Missing::None : Missing::BelowRange;
    f.r600 = r600;
    f.why600 = why600;
    if (r60 && r600)
        f.pi = *r600 / *r60;
    f.meanTemperature = 40.0;
    f.meanHumidity = 50.0;
    f.volts = 500;
    return f;
}

Nameplate Machine(WindingType w, std::optional<double> volts = 400.0, InsulationClass c = InsulationClass::F)
{
    return {AssetKind::Machine, volts, w, c};
}

}  // namespace

TEST(Ieee43, MinimumIrRowsOnBothSides)
{
    QLocale::setDefault(QLocale::c());
    const struct {
        Nameplate plate;
        std::optional<double> r60;
        Verdict v;
    } cases[] = {
        // kV + 1 MΩ: 6.6 kV → 7.6 MΩ; 1 kV → 2 MΩ
        {Machine(WindingType::Older, 6600), 7.6e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Older, 6600), 7.59e6, Verdict::BelowMinimum},
        {Machine(WindingType::Older, 1000), 2.0e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Older, 990), 1.99e6, Verdict::MeetsMinimum},   // 0.99 kV + 1 = 1.99 MΩ
        {Machine(WindingType::Older, 1000), 1.99e6, Verdict::BelowMinimum},  // 1.0 kV + 1 = 2 MΩ
        {Machine(WindingType::Older, std::nullopt), 1e9, Verdict::NotEnoughData},
        {Machine(WindingType::Form, 1000), 100e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Form, 1000), 99.9e6, Verdict::BelowMinimum},
        // Form-wound below 1 kV: the 5 MΩ row (a 690 V motor at 50 MΩ meets it).
        {Machine(WindingType::Form, 999), 99.9e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Form, 690), 5e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Form, 690), 4.99e6, Verdict::BelowMinimum},
        // Form-wound, rated voltage not known: judged only where both rows agree.
        {Machine(WindingType::Form, std::nullopt), 100e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Form, std::nullopt), 99.9e6, Verdict::NotEnoughData},
        {Machine(WindingType::Form, std::nullopt), 5e6, Verdict::NotEnoughData},
        {Machine(WindingType::Form, std::nullopt), 4.99e6, Verdict::BelowMinimum},
        {Machine(WindingType::Random), 5e6, Verdict::MeetsMinimum},
        {Machine(WindingType::Random), 4.99e6, Verdict::BelowMinimum},
        {Machine(WindingType::Random), std::nullopt, Verdict::BelowMinimum},  // under the range at 1 min
        {{AssetKind::Machine, 400.0, std::nullopt, InsulationClass::F}, 1e9, Verdict::NotEnoughData},
        {{AssetKind::Transformer, 400.0, WindingType::Form, InsulationClass::F}, 1e3, Verdict::NoCriterion},
        {{AssetKind::Cable, 400.0, WindingType::Form, InsulationClass::F}, 1e3, Verdict::NoCriterion},
        {{AssetKind::Other, 400.0, WindingType::Form, InsulationClass::F}, 1e3, Verdict::NoCriterion},
    };
    for (const auto& c : cases) {
        const Judgement j = Judge(Figures(c.r60, std::nullopt), DarTimes::From30To60, c.plate, std::nullopt);
        EXPECT_EQ(j.ir.verdict, c.v) << NameplateText(c.plate).toStdString() << ' ' << c.r60.value_or(-1) << ' '
                                     << j.ir.text.toStdString();
        if (c.v == Verdict::MeetsMinimum || c.v == Verdict::BelowMinimum) {
            EXPECT_EQ(j.ir.source, QStringLiteral("IEEE 43-2013, recommended minimum insulation resistance at 40 °C"));
        }
        if (c.v == Verdict::NoCriterion) {
            EXPECT_TRUE(j.ir.text.contains(QLatin1String("no rotating-machine criterion applies")));
            EXPECT_EQ(j.pi.verdict, Verdict::NoCriterion);
        }
    }
    EXPECT_EQ(Judge(Figures(1e9, 2e9), DarTimes::From30To60, std::nullopt, std::nullopt).pi.text,
              QStringLiteral("no verdict: no nameplate"));
    EXPECT_EQ(Judge(Figures(50e6, {}), DarTimes::From30To60, Machine(WindingType::Form, std::nullopt), {}).ir.text,
              QStringLiteral("not judged: the rated voltage is needed (100 MΩ for a form-wound winding rated 1 kV or "
                             "more, 5 MΩ below 1 kV)"));
    // Over the meter's range at 1 min: above every row of the table.
    InsulationFigures over = Figures(std::nullopt, std::nullopt);
    over.why60 = Missing::AboveRange;
    EXPECT_EQ(Judge(over, DarTimes::From30To60, Machine(WindingType::Form, 6600), {}).ir.text,
              QStringLiteral("IR 1 min above the meter's range: meets the minimum of 100 MΩ"));
    EXPECT_TRUE(WindingChoiceText(WindingType::Random).contains(QLatin1String("dc armature")));
}

TEST(Ieee43, PiByClassDisregardedAboveFiveGigaohmAndOverflowAtTenMinutes)
{
    const struct {
        InsulationClass cls;
        double r60, r600;
        Missing why600;
        std::optional<double> highest;
        Verdict v;
    } cases[] = {
        {InsulationClass::A, 100e6, 150e6, Missing::None, {}, Verdict::MeetsMinimum},
        {InsulationClass::A, 100e6, 149.9e6, Missing::None, {}, Verdict::BelowMinimum},
        {InsulationClass::B, 100e6, 200e6, Missing::None, {}, Verdict::MeetsMinimum},
        {InsulationClass::B, 100e6, 199.9e6, Missing::None, {}, Verdict::BelowMinimum},
        {InsulationClass::H, 5000e6, 6000e6, Missing::None, {}, Verdict::BelowMinimum},       // at 5000 MΩ: judged
        {InsulationClass::H, 5001e6, 6000e6, Missing::None, {}, Verdict::MayBeDisregarded},  // above it: not
        {InsulationClass::F, 1e9, 0, Missing::AboveRange, 2e9, Verdict::MeetsMinimum},      // PI ≥ 2.00
        {InsulationClass::F, 1e9, 0, Missing::AboveRange, 1.9e9, Verdict::NotEnoughData},   // PI ≥ 1.90: open
        {InsulationClass::F, 5001e6, 0, Missing::AboveRange, 5.7e9, Verdict::MayBeDisregarded},  // PI ≥ 1.14
        {InsulationClass::F, 5000e6, 0, Missing::AboveRange, 5.7e9, Verdict::NotEnoughData},
        {InsulationClass::F, 0, 0, Missing::AboveRange, {}, Verdict::MayBeDisregarded},  // over at 1 min and 10 min
        {InsulationClass::F, 0, 0, Missing::NotYet, {}, Verdict::NotEnoughData},         // over at 1 min, 10 min not reached
    };
    for (const auto& c : cases) {
        InsulationFigures f = Figures(c.r60 > 0 ? std::optional<double>(c.r60) : std::nullopt,
                                      c.why600 == Missing::None ? std::optional<double>(c.r600) : std::nullopt, c.why600);
        if (c.r60 == 0)
            f.why60 = Missing::AboveRange;
        if (c.highest)
            f.piAtLeast = *c.highest / c.r60;
        const Judgement j = Judge(f, DarTimes::From30To60, Machine(WindingType::Form, 400.0, c.cls), std::nullopt);
        EXPECT_EQ(j.pi.verdict, c.v) << c.r60 << ' ' << c.r600 << ' ' << j.pi.text.toStdString();
        if (c.highest && c.v != Verdict::MayBeDisregarded) {
            EXPECT_TRUE(j.pi.text.startsWith(QStringLiteral("PI ≥ %1").arg(*c.highest / c.r60, 0, 'f', 2)));
        }
    }
    // IEEE 43-2013's caveat on small random-wound machines, on a PI verdict of theirs only.
    for (const WindingType w : {WindingType::Random, WindingType::Form}) {
        const Judgement j = Judge(Figures(100e6, 250e6), DarTimes::From30To60, Machine(w, 400.0), {});
        EXPECT_EQ(j.pi.verdict, Verdict::MeetsMinimum);
        EXPECT_EQ(j.pi.text.contains(QLatin1String("may not apply to a small random-wound machine")),
                  w == WindingType::Random);
    }
}

// A value judged against a limit is printed with the digits that keep it on its side.
TEST(Ieee43, DigitsBesideALimit)
{
    const struct {
        std::optional<double> r60;  // at 40 °C
        double pi, dar;
        int r60Digits, piDecimals, darDecimals;
    } cases[] = {
        {100e6, 2.0, 1.0, 3, 2, 2},
        {99.99e6, 1.996, 0.999, 4, 3, 3},      // "99.99 MΩ", "1.996", "0.999"
        {99.9999e6, 1.9999, 1.2496, 6, 4, 4},  // "99.9999 MΩ", "1.9999", "1.2496"
        {5000.4e6, 2.004, 1.6004, 5, 2, 4},    // 5000 MΩ: the PI may be disregarded above it
        {5100e6, 1.5, 1.604, 3, 2, 3},
    };
    for (const auto& c : cases) {
        InsulationFigures f = Figures(c.r60, *c.r60 * c.pi);
        f.dar = c.dar;
        const Judgement j = Judge(f, DarTimes::From30To60, Machine(WindingType::Form, 6600), {});
        EXPECT_EQ(j.r60At40Digits, c.r60Digits) << *c.r60;
        EXPECT_EQ(j.piDecimals, c.piDecimals) << c.pi;
        EXPECT_EQ(j.darDecimals, c.darDecimals) << c.dar;
    }
    EXPECT_EQ(FixedToTell(1.996, 2, {{2.0, true}}), QStringLiteral("1.996"));
    EXPECT_EQ(FixedToTell(2.004, 2, {{2.0, true}}), QStringLiteral("2.00"));
}

TEST(Ieee43, DarBandsOnlyForSixtyOverThirtyAndTheirSource)
{
    EXPECT_EQ(Judge(Figures(1e9, {}), DarTimes::From15To60, std::nullopt, {}).dar.verdict, Verdict::NotEnoughData);
    InsulationFigures f = Figures(1e9, {});
    f.dar = 1.7;
    EXPECT_EQ(Judge(f, DarTimes::From30To60, std::nullopt, {}).dar.verdict, Verdict::Excellent);
    EXPECT_TRUE(Judge(f, DarTimes::From30To60, std::nullopt, {}).dar.source.contains(QLatin1String("rule of thumb, no standard")));
    EXPECT_EQ(Judge(f, DarTimes::From15To60, std::nullopt, {}).dar.verdict, Verdict::NoCriterion);
}

TEST(Ieee43, RecommendedTestVoltageAndAShortTest)
{
    const struct {
        double rated;
        double low;
        std::optional<double> high;
    } cases[] = {{999, 500, 500},      {1000, 500, 1000},  {2500, 500, 1000},   {2501, 1000, 2500},
                 {5000, 1000, 2500},   {5001, 2500, 5000}, {12000, 2500, 5000}, {12001, 5000, 10000}};
    for (const auto& c : cases) {
        const VoltageRange r = RecommendedTestVoltage(c.rated);
        EXPECT_EQ(r.low, c.low) << c.rated;
        EXPECT_EQ(r.high, c.high) << c.rated;
    }
    InsulationFigures f = Figures(1e9, {});
    f.volts = 1000;
    const auto notes = [&](double rated) {
        return Judge(f, DarTimes::From30To60, Machine(WindingType::Form, rated), {}).notes.join(' ');
    };
    EXPECT_TRUE(notes(6600).contains(QStringLiteral("below the 2500–5000 V IEEE 43-2013 recommends")));
    EXPECT_TRUE(notes(13800).contains(QStringLiteral("below the 5000–10 000 V IEEE 43-2013 recommends")));
    EXPECT_FALSE(notes(5000).contains(QLatin1String("The test voltage")));  // 1000–2500 V
    EXPECT_FALSE(notes(1000).contains(QLatin1String("The test voltage")));  // 500–1000 V
    EXPECT_TRUE(notes(999).contains(QStringLiteral("1000 V is above the 500 V IEEE 43-2013 recommends for a winding "
                                                   "rated 999 V")));
}

TEST(Ieee43, TemperatureSaidAsItIsDewPointAndCondensation)
{
    // Published dew points (Magnus over water): 20 °C at 50 % → 9.3 °C; 30 °C at 80 % → 26.2 °C;
    // 0 °C at 100 % → 0 °C; 25 °C at 60 % → 16.7 °C.
    const struct {
        double t, rh, dew;
    } dew[] = {{20, 50, 9.3}, {30, 80, 26.2}, {0, 100, 0.0}, {25, 60, 16.7}};
    for (const auto& c : dew)
        EXPECT_NEAR(*DewPoint(c.t, c.rh), c.dew, 0.05) << c.t << ' ' << c.rh;
    EXPECT_FALSE(DewPoint(20, 0));

    InsulationFigures f = Figures(1e9, {});
    f.meanTemperature = 20.0;
    f.meanHumidity = 50.0;  // dew point 9.26 °C
    const auto judge = [&](std::optional<double> winding) { return Judge(f, DarTimes::From30To60, std::nullopt, winding); };
    EXPECT_TRUE(judge({}).temperatureLine.contains(QLatin1String("air temperature at the meter")));
    EXPECT_TRUE(judge({}).temperatureLine.contains(QLatin1String("rule of thumb of IEEE 43-2000")));
    EXPECT_FALSE(judge({}).temperatureLine.contains(QLatin1String("IEEE 43-2013")));
    for (const AssetKind k : {AssetKind::Cable, AssetKind::Transformer, AssetKind::Other}) {
        const Judgement other = Judge(f, DarTimes::From30To60, Nameplate{k, 400.0, {}, {}}, 9.0);
        EXPECT_FALSE(other.temperatureLine.contains(QLatin1String("IEEE"))) << other.temperatureLine.toStdString();
        EXPECT_FALSE(other.notes.join(' ').contains(QLatin1String("IEEE"))) << other.notes.join(' ').toStdString();
    }
    EXPECT_NEAR(*judge(30.0).r60At40, 0.5e9, 1);  // typed winding 30 °C: halved to 40 °C
    EXPECT_NEAR(*judge(30.0).r60At20, 2e9, 1);    // and doubled to 20 °C
    EXPECT_NEAR(*judge({}).r60At40, 0.25e9, 1);   // the air's 20 °C: halved twice
    const struct {
        std::optional<double> winding;
        bool condensation, rough;
    } cases[] = {{9.2, true, false}, {*DewPoint(20.0, 50.0), true, false}, {9.3, false, false}, {0.0, true, false},
                 {-0.1, true, true},
                 {100.0, false, false}, {100.1, false, true}, {{}, true, false}};
    for (const auto& c : cases) {
        const QString notes = judge(c.winding).notes.join(' ');
        EXPECT_EQ(notes.contains(QLatin1String("condensation")), c.condensation) << c.winding.value_or(-99);
        EXPECT_EQ(notes.contains(QLatin1String("rough")), c.rough) << c.winding.value_or(-99);
    }
    // Without a winding temperature the air is above its own dew point: a cold winding is not ruled out.
    EXPECT_EQ(judge({}).notes.join(' '),
              QStringLiteral("The winding's temperature is not known: condensation on a winding at or below the dew "
                             "point of 9.3 °C cannot be ruled out (IEEE 43 advises testing above the dew point)."));
    EXPECT_EQ(TimerShortfallText(600), QString());
    EXPECT_TRUE(TimerShortfallText(599).contains(QLatin1String("no R 10 min and no PI")));
    EXPECT_TRUE(TimerShortfallText(60).contains(QLatin1String("no R 10 min and no PI")));
    EXPECT_TRUE(TimerShortfallText(59).contains(QLatin1String("no R 1 min")));
}

TEST(Ieee43, TheReadmesWorkedExample)
{
    QLocale::setDefault(QLocale::c());
    InsulationFigures f = Figures(1.2e9, 3.0e9);
    f.meanTemperature = 20.0;
    f.meanHumidity = 50.0;
    f.volts = 1000;
    const Judgement j = Judge(f, DarTimes::From30To60, Machine(WindingType::Form, 6600, InsulationClass::F), 30.0);
    EXPECT_NEAR(*j.r60At40, 600e6, 1);
    EXPECT_NEAR(*j.r600At40, 1.5e9, 1);  // 3.0 GΩ × 0.5
    EXPECT_EQ(j.ir.text, QStringLiteral("IR 1 min at 40 °C meets the minimum of 100 MΩ"));
    EXPECT_EQ(j.pi.text, QStringLiteral("meets the minimum of 2.00 (class F)"));
    EXPECT_NEAR(*j.dewPoint, 9.3, 0.05);
    ASSERT_EQ(j.notes.size(), 1);
    EXPECT_TRUE(j.notes[0].contains(QStringLiteral("1000 V is below the 2500–5000 V")));
    EXPECT_EQ(Judge(f, DarTimes::From30To60, Machine(WindingType::Older, 6600), 30.0).ir.text,
              QStringLiteral("IR 1 min at 40 °C meets the minimum of 7.6 MΩ (kV + 1)"));
}

// The one list of asset kinds: the stored names read back, and what older histories hold as free
// text read as the list's kind where it names one.
TEST(AssetKinds, StoredNamesAndOldFreeText)
{
    const std::pair<const char*, std::optional<AssetKind>> cases[] = {
        {"machine", AssetKind::Machine},  {"transformer", AssetKind::Transformer}, {"cable", AssetKind::Cable},
        {"other", AssetKind::Other},      {"motor", AssetKind::Machine},           {" Generator ", AssetKind::Machine},
        {"Cable", AssetKind::Cable},      {"switchgear", std::nullopt},            {"", std::nullopt},
        {"machines", std::nullopt}};
    for (const auto& [text, kind] : cases)
        EXPECT_EQ(KindOfStoredText(QString::fromUtf8(text)), kind) << text;
    // The command line takes only the stored names, exactly.
    AssetKind parsed{};
    EXPECT_FALSE(ParseKind(QStringLiteral("motor"), parsed));
    EXPECT_FALSE(ParseKind(QStringLiteral("Cable"), parsed));
    EXPECT_EQ(KindNameChoices(), QStringLiteral("machine, transformer, cable or other"));
}
