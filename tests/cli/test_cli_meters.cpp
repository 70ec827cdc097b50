// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli with several simulated meters on one computer: a meter chosen by its serial number
// (option or environment), refused when none is chosen or the chosen one is missing, and two
// processes measuring side by side. Every run has a deadline.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using krx::test::CliRun;
using krx::test::Lines;
using krx::test::ReadAll;

// Two meters whose resistances differ by a factor of fifty: a reading shows which one gave it.
constexpr const char* kTwo = R"({
  "stabiliseSeconds": 0.1,
  "meters": [
    {"serialNo": "73800017", "r0": 1e9, "rInf": 1e9},
    {"serialNo": "73800099", "r0": 5e10, "rInf": 5e10}
  ]
})";

class CliMeters : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        scenario_ = krx::test::WriteFile(Path("two.json"), kTwo);
        ASSERT_FALSE(scenario_.isEmpty());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    static QProcessEnvironment Environment(const QString& serial = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KRX738_SERIAL"));
        if (!serial.isEmpty())
            env.insert(QStringLiteral("KRX738_SERIAL"), serial);
        return env;
    }
    CliRun Cli(const QStringList& args, const QString& envSerial = {}) const
    {
        return krx::test::RunCli(QStringList{"--simulate", scenario_} + args, 15000, Environment(envSerial));
    }

    QTemporaryDir dir_;
    QString scenario_;
};

}  // namespace

TEST_F(CliMeters, TwoProcessesMeasureAtOnceEachOnItsOwnMeter)
{
    struct Station {
        QString serial;
        bool byEnvironment;
        QByteArray resistance;  // as the spreadsheet dialect writes the meter's flat curve
    };
    const Station stations[2] = {{"73800017", false, "1.00E+09"}, {"73800099", true, "5.00E+10"}};
    QProcess processes[2];
    for (int i = 0; i < 2; ++i) {
        const Station& s = stations[i];
        const QString name = s.serial;
        QStringList args{"--simulate", scenario_, "--trace", Path(name + ".trace"), "measure", "--count", "4",
                         "--interval", "200", "--format", "spreadsheet", "--output", Path(name + ".csv")};
        if (!s.byEnvironment)
            args = QStringList{"--serial", s.serial} + args;
        ASSERT_TRUE(krx::test::StartCli(processes[i], args, Environment(s.byEnvironment ? s.serial : QString())));
    }
    // Both run at the same time: the second started before the first could have ended.
    for (QProcess& p : processes) {
        ASSERT_TRUE(p.waitForFinished(15000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    }
    for (const Station& s : stations) {
        const QList<QByteArray> lines = Lines(ReadAll(Path(s.serial + ".csv")));
        ASSERT_EQ(lines.size(), 5);  // header and four readings
        for (const QByteArray& line : lines.mid(1)) {
            const QList<QByteArray> fields = line.split(';');
            ASSERT_GT(fields.size(), 5) << line.constData();
            EXPECT_EQ(fields[1], "`" + s.serial.toLatin1()) << line.constData();
            EXPECT_EQ(fields[5], s.resistance) << line.constData();
        }
        EXPECT_EQ(ReadAll(Path(s.serial + ".trace")).left(17), "# meter " + s.serial.toLatin1() + "\n");
    }
}

TEST_F(CliMeters, ChoiceIsRequiredAmongSeveralAndMustBeAttached)
{
    struct Case {
        QStringList args;
        QString envSerial;
        int exit;
        QString says;
        int asked;  // identity reads: the only transfers a refused run may make
    };
    const QString several = QStringLiteral(
        "2 KRX 738 are attached; choose one with --serial S or KRX738_SERIAL=S: 73800017 (bus 001 address 001), "
        "73800099 (bus 001 address 002)");
    const QString absent = QStringLiteral("meter 73800042 is not attached (attached: 73800017, 73800099)");
    const QString notSerial = QStringLiteral("is not a serial number");
    const QList<Case> cases{
        {{"info"}, {}, 10, several, 2},
        {{"measure", "--count", "1"}, {}, 10, several, 2},
        {{"memory", "read", "ohm"}, {}, 10, several, 2},
        {{"setup", "--voltage", "100"}, {}, 10, several, 2},
        {{"--serial", "73800042", "info"}, {}, 2, absent, 2},
        {{"info"}, "73800042", 2, absent, 2},
        {{"setup", "--serial", "73800042", "--voltage", "100"}, {}, 2, absent, 2},
        {{"--serial", "7380 0017", "info"}, {}, 1, notSerial, 0},
        {{"--serial", "738000170", "info"}, {}, 1, notSerial, 0},
        {{"--serial", "", "info"}, {}, 1, notSerial, 0},
        {{"info"}, "x-1", 1, "KRX738_SERIAL: 'x-1' is not a serial number", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString() + " " + c.envSerial.toStdString());
        const QString trace = Path("trace.txt");
        QFile::remove(trace);
        const CliRun r = Cli(QStringList{"--trace", trace} + c.args, c.envSerial);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.constData();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.constData();
        EXPECT_LE(Lines(r.out).size(), 1) << r.out.constData();  // a csv header at most, no record
        const QStringList records = krx::test::TraceRecords(trace);
        EXPECT_EQ(records.filter(QRegularExpression(QStringLiteral("^IN 10 "))).size(), c.asked)
            << records.join('\n').toStdString();
        EXPECT_EQ(records.filter(QRegularExpression(QStringLiteral("^(OUT|IN (?!10 ))"))), QStringList())
            << records.join('\n').toStdString();
    }
    // The other side: the meter named answers, by option or by the environment (blanks around
    // it do not count), the option first.
    CliRun r = Cli({"info"}, "73800099 ");
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("serial: 73800099\n")) << r.out.constData();
    r = Cli({"info", "--serial", "73800017"}, "73800099");
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("serial: 73800017\n")) << r.out.constData();
}
