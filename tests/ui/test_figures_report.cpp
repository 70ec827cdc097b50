// SPDX-License-Identifier: GPL-3.0-or-later
// The figures panel (the core's numbers, "not enough data", the winding temperature, the class and
// its settings key), the PDF report with awkward comments and unwritable targets, and the record
// view's Report and Export recording through scripted dialogs.
#include "scripted_dialogs.h"
#include "window_dialogs_scope.h"

#include "core/settings.h"
#include "ui/record/figures_panel.h"
#include "ui/record/reading_plot.h"
#include "ui/record/record_view.h"
#include "ui/record/report.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace krx;
using krx::test::ScopedDialogs;
using krx::test::WindowDialogsScope;
using krx::test::ShownBox;

namespace {

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A run of `seconds` whose resistance rises as the simulated meter's does, stable from 3 s on.
std::vector<DataRecord> Run(double seconds, double temperature = 22.5)
{
    std::vector<DataRecord> v;
    for (double t = 0; t <= seconds; t += 1.0) {
        DataRecord r;
        r.time = QDateTime(QDate(2026, 3, 7), QTime(9, 0)).addSecs(static_cast<qint64>(t));
        r.elapsedSeconds = t;
        r.resistanceOhm = 4e10 - (4e10 - 2e8) * std::exp(-t / 90.0);
        r.volts = t < 3 ? 200 : 500;
        r.stable = t >= 3;
        r.temperature = temperature;
        r.humidity = 45;
        v.push_back(r);
    }
    return v;
}

// The report's words as a reader of the PDF gets them.
QString PdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(10000))
        return QStringLiteral("<pdftotext did not finish>");
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

int PageCount(const QByteArray& pdf)
{
    return static_cast<int>(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

}  // namespace

class FiguresReportTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        settings = dir.filePath(QStringLiteral("KRX_SETUP.INI"));
        QVERIFY(Write(settings, "[KRX 738]\r\nDataDirectory=/data/\r\nSamplingTime=1000\r\n"));
        SetSettingsFilePath(settings);
    }
    void cleanup() { SetSettingsFilePath(QString()); }

    void PanelShowsTheCoresFiguresAndWhatIsMissing()
    {
        FiguresPanel panel;
        const std::vector<DataRecord> run = Run(120);
        const InsulationFigures f = ComputeFigures(run, DarTimes::From30To60);
        panel.Show(f);
        QCOMPARE(panel.Cell(1, 1)->text(), OhmText(*f.r15));
        QCOMPARE(panel.Cell(3, 1)->text(), OhmText(*f.r60));
        QCOMPARE(panel.Cell(3, 2)->text(), OhmText(CorrectedResistance(*f.r60, *f.meanTemperature, 40.0)));
        QCOMPARE(panel.Cell(4, 1)->text(), NotEnoughDataText());  // 10 min not reached
        QCOMPARE(panel.Cell(6, 1)->text(), NotEnoughDataText());
        QVERIFY(panel.piVerdict->text().contains(NotEnoughDataText()));
        QVERIFY(panel.darVerdict->text().contains(DarSourceText()));
        // Five seconds, or overflow only: nothing to show as a number.
        std::vector<DataRecord> over = Run(30);
        for (DataRecord& r : over)
            r.range = RangeState::Over;
        panel.Show(ComputeFigures(Run(5), DarTimes::From30To60));
        for (int row = 1; row <= 6; ++row)
            QCOMPARE(panel.Cell(row, 1)->text(), NotEnoughDataText());
        // Over the range: said as such, and so are the ratios that need the value.
        panel.Show(ComputeFigures(over, DarTimes::From30To60));
        QCOMPARE(panel.Cell(1, 1)->text(), QStringLiteral("above the meter's range at 15 s"));
        QCOMPARE(panel.Cell(5, 1)->text(), QStringLiteral("above the meter's range at 30 s"));
        QCOMPARE(panel.Cell(4, 1)->text(), NotEnoughDataText());

        // Values beside their limits keep the digits that tell them apart (at 40 °C: nothing corrected).
        std::vector<DataRecord> close = Run(600, 40.0);
        for (DataRecord& r : close)
            r.resistanceOhm = r.elapsedSeconds <= 60 ? 99.99e6 : 1.996 * 99.99e6;
        panel.ratedEdit->setText(QStringLiteral("6600"));
        panel.windingTypeBox->setCurrentIndex(panel.windingTypeBox->findData(int(WindingType::Form)));
        panel.classBox->setCurrentIndex(panel.classBox->findData(int(InsulationClass::F)));
        panel.Show(ComputeFigures(close, DarTimes::From30To60));
        QCOMPARE(panel.Cell(3, 2)->text(), QStringLiteral("99.99 MΩ"));
        QCOMPARE(panel.Cell(6, 1)->text(), QStringLiteral("1.996"));
        QCOMPARE(panel.Cell(5, 1)->text(), QStringLiteral("1.00"));
        QVERIFY2(panel.irVerdict->text().contains(QStringLiteral("below the minimum of 100 MΩ")), qPrintable(panel.irVerdict->text()));
        QVERIFY2(panel.piVerdict->text().contains(QStringLiteral("below the minimum of 2.00")), qPrintable(panel.piVerdict->text()));
    }

    void WindingTemperatureValidOrSaidWhyNot()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        FiguresPanel panel;
        panel.Show(ComputeFigures(Run(70), DarTimes::From30To60));
        const double r60 = *ComputeFigures(Run(70), DarTimes::From30To60).r60;
        for (const QString& typed : {QStringLiteral("35,5"), QStringLiteral(" 35.5 ")}) {
            panel.windingEdit->setText(typed);
            QVERIFY(panel.windingMessage->isHidden());
            QCOMPARE(panel.Cell(3, 3)->text(), OhmText(CorrectedResistance(r60, 35.5, 20.0)));
        }
        for (const QString& edge : {QStringLiteral("-50"), QStringLiteral("250")}) {
            panel.windingEdit->setText(edge);
            QVERIFY2(panel.windingMessage->isHidden(), qPrintable(edge));
        }
        for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("250.1"), QStringLiteral("-50.1"),
                                   QStringLiteral("nan"), QStringLiteral("1e3")}) {
            panel.windingEdit->setText(bad);
            QVERIFY2(!panel.windingMessage->isHidden(), qPrintable(bad));
            QVERIFY(panel.windingMessage->text().contains(bad));
            // No silent fall-back to the meter's temperature.
            QCOMPARE(panel.Cell(3, 2)->text(), QStringLiteral("–"));
            QCOMPARE(panel.Cell(3, 1)->text(), OhmText(r60));
        }
        panel.windingEdit->clear();
        QVERIFY(panel.windingMessage->isHidden());
        QVERIFY(panel.temperatureLine->text().contains(QStringLiteral("meter")));
        QLocale::setDefault(QLocale::c());
    }

    void ClassDecidesThePiVerdictAndIsRemembered()
    {
        const QByteArray before = Read(settings);
        {
            FiguresPanel panel;
            QCOMPARE(panel.Choices().cls, InsulationClass::F);
            InsulationFigures f;
            for (const auto& [pi, a, b] : {std::tuple{1.49, false, false}, std::tuple{1.5, true, false},
                                           std::tuple{1.99, true, false}, std::tuple{2.0, true, true}}) {
                f.pi = pi;
                panel.Show(f);
                panel.classBox->setCurrentText(QStringLiteral("A"));
                QCOMPARE(panel.piVerdict->text().startsWith(QStringLiteral("PI: meets")), a);
                panel.classBox->setCurrentText(QStringLiteral("B"));
                QCOMPARE(panel.piVerdict->text().startsWith(QStringLiteral("PI: meets")), b);
                QVERIFY(panel.piVerdict->text().contains(QStringLiteral("IEEE 43-2013")));
            }
            QSignalSpy recompute(&panel, &FiguresPanel::ChoicesChanged);
            panel.darBox->setCurrentIndex(1);
            QCOMPARE(recompute.size(), 1);
            // The rest of the nameplate is kept too; the rated voltage once typed, not at each key.
            panel.windingTypeBox->setCurrentIndex(panel.windingTypeBox->findData(int(WindingType::Form)));
            panel.ratedEdit->setText(QStringLiteral("6600"));
            QVERIFY(!Read(settings).contains("RatedVoltage=6600"));
            emit panel.ratedEdit->editingFinished();
        }
        // Every other key kept as it was; the choices read back by the next panel.
        QCOMPARE(Read(settings), before + "InsulationClass=B\r\nDarTimes=15-60\r\nAssetKind=machine\r\n"
                                          "RatedVoltage=6600\r\nWindingType=form\r\n");
        FiguresPanel again;
        QCOMPARE(again.Choices().cls, InsulationClass::B);
        QCOMPARE(again.Choices().darTimes, DarTimes::From15To60);
        const std::optional<Nameplate> plate = again.Plate();
        QVERIFY(plate && plate->kind == AssetKind::Machine && plate->ratedVolts == 6600.0 &&
                plate->winding == WindingType::Form);

        // A settings file that cannot be written: said once per change, the choice still holds.
        SetSettingsFilePath(dir.path());  // a folder where the file should be
        ScopedDialogs dialogs;
        WindowDialogsScope windowDialogs;
        again.classBox->setCurrentText(QStringLiteral("H"));
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QVERIFY(dialogs.shown[0].text.startsWith(QStringLiteral("Cannot write the settings file")));
        QCOMPARE(again.Choices().cls, InsulationClass::H);
    }

    // On one page whatever the comment, and with a random-wound machine's verdicts, caveats and
    // notes the comment's heading still stands above the signatures.
    void ReportOfAnyCommentIsOnePage()
    {
        ReportContent c;
        c.meterType = QStringLiteral("KRX 738");
        c.serial = QStringLiteral("73800042");
        c.figures = MakeFigureTable(ComputeFigures(Run(700), DarTimes::From30To60), {}, std::nullopt,
                                    Nameplate{AssetKind::Machine, 400.0, WindingType::Random, InsulationClass::F});
        // As many notes as a run can collect: condensation, test voltage, a rough correction, the voltage changed.
        for (int i = 0; i < 4; ++i)
            c.figures.notes << QStringLiteral("A note of two lines that a technician must read before signing: ").repeated(2);
        const QStringList comments = {
            QString(), QStringLiteral("say \"yes\"; it's 'quoted';;"), QStringLiteral("ok 👍🏽 – ∞ Ω ü\r\nnext line"),
            QString(2000, QLatin1Char('x')), QStringLiteral("word ").repeated(400),
            QStringLiteral("line\n").repeated(400)};
        for (int i = 0; i < comments.size(); ++i) {
            c.comment = comments[i];
            const QString name = dir.filePath(QStringLiteral("r%1.pdf").arg(i));
            QString error;
            QVERIFY2(WriteReport(c, name, &error), qPrintable(error));
            const QByteArray pdf = Read(name);
            QVERIFY(pdf.startsWith("%PDF-"));
            QCOMPARE(PageCount(pdf), 1);
        }
        QProcess box;
        box.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), dir.filePath(QStringLiteral("r1.pdf")), QStringLiteral("-")});
        QVERIFY(box.waitForFinished(10000));
        const QString words = QString::fromUtf8(box.readAll());
        const auto top = [&](const char* word) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">%1<")
                                       .arg(QLatin1String(word)))
                    .match(words);
            return m.hasMatch() ? std::pair{m.captured(1).toDouble(), m.captured(2).toDouble()} : std::pair{-1.0, -1.0};
        };
        const auto comment = top("Comment");
        const auto tested = top("Tested");
        QVERIFY2(comment.first > 0 && tested.first > 0, qPrintable(words.left(400)));
        QVERIFY2(comment.second + 10 < tested.first, qPrintable(QStringLiteral("comment at %1, signatures at %2")
                                                                   .arg(comment.second).arg(tested.first)));
    }

    void ReportNamesTheTestObjectAndTheSimulatedMeter()
    {
        MeasurementRecordView view;
        for (const DataRecord& r : Run(700))
            view.Add(r);
        // Not filed, from the simulated meter: lines to write on, the mark in large letters, the
        // readings at the figures' times on a second page.
        view.SetSimulated(true);
        const QString unfiled = dir.filePath(QStringLiteral("unfiled.pdf"));
        QString error;
        QVERIFY2(view.WriteReportTo(unfiled, &error), qPrintable(error));
        QString text = PdfText(unfiled);
        QVERIFY2(text.contains(QStringLiteral("SIMULATED METER – NOT A MEASUREMENT")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Asset Site, location")));
        // The key readings timed from the voltage command, as the figures are.
        for (const char* words : {"Tested by", "Checked by", "Signature", "Voltage 500 V", "Ramp 3.0 s",
                                  "Readings at key times", "1 min 1 min 0 s", "10 min 10 min 0 s",
                                  "interpolated in log R", "reading the meter gave at or after its key time"})
            QVERIFY2(text.contains(QString::fromUtf8(words)), qPrintable(QString::fromUtf8(words) + text.right(700)));
        // The ramp and the climate stated once, with the dew point the figures give.
        QCOMPARE(text.count(QStringLiteral("ramp"), Qt::CaseInsensitive), 1);
        QCOMPARE(text.count(QStringLiteral("Dew point")), 1);
        QVERIFY2(text.contains(QStringLiteral("condensation on a winding at or below the dew point of 10.0 °C cannot be "
                                              "ruled out")), qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("Corrected from"), Qt::CaseInsensitive), 1);
        QVERIFY2(text.contains(QStringLiteral("practice, not IEEE 43")), qPrintable(text));  // whole
        QVERIFY2(text.contains(QStringLiteral("Dew point 10.0 °C")), qPrintable(text));
        QCOMPARE(PageCount(Read(unfiled)), 2);

        // Filed from a real meter: the asset, its nameplate and place, the operator; no mark.
        view.SetSimulated(false);
        view.SetTestObject({QStringLiteral("M-7 – Fan motor"), QStringLiteral("motor, insulation class F"),
                            QStringLiteral("Hall 2"), QStringLiteral("A. Tester")});
        const QString filed = dir.filePath(QStringLiteral("filed.pdf"));
        QVERIFY2(view.WriteReportTo(filed, &error), qPrintable(error));
        text = PdfText(filed);
        for (const char* words : {"Asset M-7 – Fan motor", "Site, location Hall 2", "Nameplate motor, insulation class F",
                                  "Operator A. Tester", "Tested by A. Tester"})
            QVERIFY2(text.contains(QString::fromUtf8(words)), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("SIMULATED")));
        // Start forgets the test object with the readings.
        view.Clear();
        for (const DataRecord& r : Run(70))
            view.Add(r);
        QVERIFY2(view.WriteReportTo(filed, &error), qPrintable(error));
        QVERIFY(!PdfText(filed).contains(QStringLiteral("A. Tester")));
    }

    void ReportThatCannotBeWrittenClaimsNoFile()
    {
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/r.pdf"));
        QString error;
        QVERIFY(!WriteReport({}, missing, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(missing));
        // A folder under the chosen name stays a folder, and no temporary file is left beside it.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/taken.pdf")));
        error.clear();
        QVERIFY(!WriteReport({}, dir.filePath(QStringLiteral("sub/taken.pdf")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("sub/taken.pdf"))).isDir());
        QCOMPARE(QDir(dir.filePath(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void ViewButtonsReportAndExportThroughTheDialogs()
    {
        ScopedDialogs dialogs;
        WindowDialogsScope windowDialogs;
        MeasurementRecordView view;
        view.resize(1100, 440);
        view.show();
        QVERIFY(!view.reportButton->isEnabled());
        QVERIFY(!view.exportButton->isEnabled());
        for (const DataRecord& r : Run(65))
            view.Add(r);
        QVERIFY(view.reportButton->isEnabled());
        QVERIFY(!view.exportButton->isEnabled());
        const QString recording = dir.filePath(QStringLiteral("KRX738_1_20260307-090000.csv"));
        QVERIFY(Write(recording, "time,elapsed_s\n2026-03-07T09:00:00.000+01:00,0\n"));
        view.SetRecordingFile(recording);
        QVERIFY(view.exportButton->isEnabled());
        // The figures follow the readings on their own tick.
        QTRY_COMPARE_WITH_TIMEOUT(view.figures->Cell(3, 1)->text() != NotEnoughDataText(), true, 5000);

        // Report: comment, file; then a folder that does not exist gives the message, no file.
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const QString badPdf = dir.filePath(QStringLiteral("gone/out.pdf"));
        dialogs.inputs = {QStringLiteral("a; \"b\""), QStringLiteral("c"), std::nullopt};
        dialogs.saves = {pdf, badPdf};
        view.reportButton->click();
        QVERIFY(Read(pdf).startsWith("%PDF-"));
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("The report was saved as %1.").arg(pdf));
        QCOMPARE(view.Comment(), QStringLiteral("a; \"b\""));
        QVERIFY(!view.Report());
        QVERIFY(!QFile::exists(badPdf));
        QCOMPARE(dialogs.shown.back().kind, ShownBox::Error);
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral("Cannot write the report")));
        const size_t boxes = dialogs.shown.size();
        QVERIFY(!view.Report());  // the comment cancelled: nothing more asked
        QCOMPARE(dialogs.shown.size(), boxes + 1);

        // Export: a copy byte for byte; a target that cannot be written is said, cancel says nothing.
        const QString copy = dir.filePath(QStringLiteral("copy.csv"));
        dialogs.saves = {copy, dir.filePath(QStringLiteral("gone/copy.csv")), std::nullopt};
        view.exportButton->click();
        QCOMPARE(Read(copy), Read(recording));
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("The recording was exported to %1.").arg(copy));
        QCOMPARE(dialogs.shown[dialogs.shown.size() - 2].save.defaultSuffix, QStringLiteral("csv"));
        QVERIFY(!view.ExportRecording());
        QVERIFY(dialogs.shown.back().text.startsWith(QStringLiteral("Cannot export the recording")));
        QVERIFY(dialogs.shown.back().text.contains(recording));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("gone/copy.csv"))));
        QVERIFY(!view.ExportRecording());
        QCOMPARE(dialogs.shown.back().kind, ShownBox::Save);

        view.Clear();
        QVERIFY(!view.reportButton->isEnabled());
        QVERIFY(!view.exportButton->isEnabled());
        QCOMPARE(view.plot->Count(), 0);
        QCOMPARE(view.figures->Cell(1, 1)->text(), NotEnoughDataText());
    }

private:
    QTemporaryDir dir;
    QString settings;
};

QTEST_MAIN(FiguresReportTest)
#include "test_figures_report.moc"
