// SPDX-License-Identifier: GPL-3.0-or-later
// Renders each window in typical states against the simulated meter, on a virtual clock so that
// the pauses cost nothing: krx738_screenshots OUTPUT_FOLDER [FONT_SCALE]. Run it with
// QT_SCALE_FACTOR=2 for the pictures at 200 %, with FONT_SCALE 1.5 for a larger application font.

#include "core/language.h"
#include "picture_output.h"
#include "ui/main_window.h"
#include "core/settings.h"
#include "app/startup.h"
#include "device/clock.h"
#include "core/dialogs.h"
#include "device/backend.h"
#include "ui/measurement/measurement_window.h"
#include "ui/measurement/method_settings.h"
#include "ui/measurement/step_settings.h"
#include "ui/record/reading_plot.h"
#include "ui/record/record_view.h"
#include "ui/special_functions/special_functions_window.h"
#include "sim/meter.h"
#include "sim/sim_backend.h"
#include "history/history_store.h"

#include <QApplication>
#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

using krx::pictures::Save;

// The plot and the figures catch up on their own timers of the real clock; drawn now for the picture.
void CatchUp(MeasurementWindow* window)
{
    window->recordView->plot->Redraw();
    window->recordView->RefreshFigures();
}

// The window made larger by the user as well, to show what takes the room gained.
void SaveResized(QWidget* window, const QString& folder, const QString& name)
{
    const QSize designed = window->size();
    window->resize(designed.width() * 13 / 10, designed.height() * 13 / 10);
    Save(window, folder, name + QStringLiteral("_larger"));
    window->resize(designed);
}

// The procedures run as loops inside their click handlers; this steps through a script from
// their yield points: each step waits until its condition holds, then acts.
class Script {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps))
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (next_ < steps_.size() && steps_[next_].ready()) {
                steps_[next_].act();
                ++next_;
            }
            if (next_ == steps_.size())
                timer_.stop();
        });
        timer_.start();
    }
    bool Done() const { return next_ == steps_.size(); }

private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The desktop's language, as the program takes it: LANG=de_DE.UTF-8 gives the German set.
    krx::UseLanguage(krx::ChosenLanguage({}, {}, krx::LanguageEnvironment::FromProcess()));
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: krx738_screenshots OUTPUT_FOLDER [FONT_SCALE]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    if (argc == 3) {
        bool ok = false;
        const double scale = QString::fromLocal8Bit(argv[2]).toDouble(&ok);
        if (!ok || scale < 0.5 || scale > 4) {
            std::fprintf(stderr, "FONT_SCALE: a factor from 0.5 to 4, not %s\n", argv[2]);
            return 2;
        }
        // A larger application font, as a user with large text has it.
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(font);
    }

    krx::VirtualClock clock;
    krx::SetClock(&clock);
    auto backend = std::make_unique<krx::sim::SimBackend>(krx::sim::Scenario::Default());
    krx::sim::SimBackend* const sim = backend.get();
    krx::SetUsbBackend(std::move(backend));
    QTemporaryDir settingsDir;
    // The recordings and the history database of this run stay in the temporary folder.
    qputenv("XDG_DATA_HOME", settingsDir.filePath(QStringLiteral("data")).toLocal8Bit());
    krx::SetSettingsFilePath(settingsDir.filePath(QStringLiteral("KRX_SETUP.INI")));
    krx::SetProgramParameters({QStringLiteral("krx738")});

    krx::ProgramWindows windows(krx::ProcedureRunner::Mode::Inline);
    MainWindow* const mainWindow = &windows.Main();
    MeasurementWindow* const measuring = &windows.Measurement();
    SpecialFunctionsWindow* const functions = &windows.SpecialFunctions();
    mainWindow->show();
    Save(mainWindow, folder, QStringLiteral("main_before_init"));

    mainWindow->initButton->click();
    Save(mainWindow, folder, QStringLiteral("main_after_init"));
    SaveResized(mainWindow, folder, QStringLiteral("main_after_init"));

    // A free-running measurement two minutes in, then Break.
    mainWindow->measuringButton->click();
    {
        const double start = clock.Seconds();
        Script script({{[&] { return clock.Seconds() - start > 120; },
                        [&] {
                            CatchUp(measuring);
                            Save(measuring, folder, QStringLiteral("measuring"));
                            measuring->breakButton->click();
                        }}});
        measuring->startButton->click();
        if (!script.Done())
            krx::pictures::CountFailure();
    }
    measuring->backButton->click();

    // A polarisation-index run: eleven minutes free-running, then Break; the figures complete.
    mainWindow->measuringButton->click();
    {
        const double start = clock.Seconds();
        Script script({{[&] { return clock.Seconds() - start > 660; }, [&] { measuring->breakButton->click(); }}});
        measuring->startButton->click();
        if (!script.Done())
            krx::pictures::CountFailure();
    }
    CatchUp(measuring);
    Save(measuring, folder, QStringLiteral("measuring_pi_run"));
    measuring->backButton->click();

    // A timer measurement of 60 s, 20 s before its end.
    mainWindow->timerMeasuringButton->click();
    measuring->timerSlider->setValue(60);
    {
        const double start = clock.Seconds();
        Script script({{[&] { return clock.Seconds() - start > 40; },
                        [&] {
                            CatchUp(measuring);
                            Save(measuring, folder, QStringLiteral("measuring_with_timer"));
                            SaveResized(measuring, folder, QStringLiteral("measuring_with_timer"));
                        }}});
        measuring->startButton->click();
        if (!script.Done())
            krx::pictures::CountFailure();
    }
    measuring->backButton->click();

    // A step-voltage test at 100, 500 and 1000 V of 60 s each, to its end.
    mainWindow->measuringButton->click();
    measuring->stepSettings->useSteps->setChecked(true);
    measuring->startButton->click();
    CatchUp(measuring);
    Save(measuring, folder, QStringLiteral("measuring_steps"));
    measuring->stepSettings->useSteps->setChecked(false);
    measuring->backButton->click();

    // An ESD worksurface to ground by the 10 V → 100 V rule, judged by IEC 61340-5-1:2016.
    sim->meter().scenario().rAt10V = 2.1e6;
    sim->meter().scenario().rAt100V = 7.9e5;
    mainWindow->measuringButton->click();
    krx::MethodSettings& method = *measuring->methodSettings;
    method.methodChoice->setCurrentIndex(method.methodChoice->findData(QStringLiteral("esd")));
    method.limitsChoice->setCurrentIndex(method.limitsChoice->findData(QStringLiteral("iec-61340-5-1-2016")));
    method.kindChoice->setCurrentText(QStringLiteral("worksurface"));
    measuring->startButton->click();
    CatchUp(measuring);
    Save(measuring, folder, QStringLiteral("measuring_esd"));
    {
        // The ESD run's report, to look at as a picture (pdftoppm).
        QString error;
        if (!measuring->recordView->WriteReportTo(QDir(folder).filePath(QStringLiteral("measuring_esd_report.pdf")),
                                                  &error))
            krx::pictures::CountFailure();
    }
    method.methodChoice->setCurrentIndex(0);
    sim->meter().scenario().rAt10V.reset();
    sim->meter().scenario().rAt100V.reset();
    measuring->backButton->click();

    mainWindow->specialFunctionsButton->click();
    Save(functions, folder, QStringLiteral("functions_window"));

    // A history of its own, so that the filing buttons show after the read-out and the test.
    krx::history::HistoryStore history;
    if (!history.Open(QStringLiteral("sqlite:") + settingsDir.filePath(QStringLiteral("history.sqlite")),
                      settingsDir.path()))
        krx::pictures::CountFailure();
    functions->SetHistory(&history);

    // The resistance memory listed, waiting for the range to save (cancelled at the comment).
    {
        Script script({{[&] { return functions->rangeGroup->isVisible(); },
                        [&] {
                            Save(functions, folder, QStringLiteral("memory_readout"));
                            SaveResized(functions, folder, QStringLiteral("memory_readout"));
                            functions->rangeSaveButton->click();
                        }}});
        functions->readOhmMemoryButton->click();
        if (!script.Done())
            krx::pictures::CountFailure();
    }
    // The read-out ended: its records may be filed into the test history.
    Save(functions, folder, QStringLiteral("memory_filing"));

    // The break-down test: set-up, the countdown, the break-down, and the result after break-off.
    {
        Script script({
            {[&] { return functions->startButton->isEnabled(); },
             [&] {
                 Save(functions, folder, QStringLiteral("breakdown_setup"));
                 functions->startButton->click();
             }},
            {[&] { return functions->startButton->isEnabled(); },
             [&] {
                 Save(functions, folder, QStringLiteral("breakdown_occurred"));
                 functions->startButton->click();
             }},
            {[&] { return functions->progressLabel->text() == QStringLiteral("Break-OFF !") &&
                         functions->saveButton->isEnabled(); },
             [&] {
                 Save(functions, folder, QStringLiteral("breakdown_result"));
                 functions->stopButton->click();
             }},
        });
        functions->breakDownButton->click();
        if (!script.Done())
            krx::pictures::CountFailure();
    }
    Save(functions, folder, QStringLiteral("breakdown_filing"));
    functions->SetHistory(nullptr);

    return krx::pictures::ExitCode();
}
