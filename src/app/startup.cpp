#include "app/startup.h"

#include "app/form_main.h"
#include "app/qt_dialogs.h"
#include "common/dialogs.h"
#include "common/ui_wait.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "measure/form_meas.h"
#include "memory/form_sonfunc.h"
#include "sim/sim_backend.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <optional>

namespace krx {

namespace {
std::optional<QStringList> g_parameters;

bool IsScenarioFile(const QString& argument)
{
    return !argument.startsWith(QLatin1Char('-')) && argument.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
}
}  // namespace

StartOptions ParseCommandLine(const QStringList& arguments)
{
    StartOptions o;
    if (!arguments.isEmpty())
        o.parameters << arguments.front();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--simulate")) {
            o.simulate = true;
            if (i + 1 < arguments.size() && IsScenarioFile(arguments[i + 1]))
                o.scenarioFile = arguments[++i];
        } else if (a == QLatin1String("--trace")) {
            if (i + 1 >= arguments.size()) {
                o.error = QStringLiteral("--trace needs a file name");
                break;
            }
            o.traceFile = arguments[++i];
        } else {
            o.parameters << a;
        }
    }
    return o;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: krx738 [--simulate [SCENARIO.json]] [--trace FILE] [T]\n"
        "\n"
        "Read-out and remote-control program for the KRX 738 insulation-resistance meter.\n"
        "\n"
        "  T                        test mode: the measurement and the break-down test show extra\n"
        "                           fields. Counts when it is one of the first five parameters;\n"
        "                           the switches below are not counted.\n"
        "  --simulate [SCENARIO]    talk to a simulated meter instead of the USB bus; SCENARIO is a\n"
        "                           scenario file whose name ends in .json (default: built-in)\n"
        "  --trace FILE             write every USB transfer to FILE as it happens\n"
        "  -h, --help               show this text\n"
        "\n"
        "Settings: KRX_SETUP.INI beside the program, or in the user's configuration folder\n"
        "(~/.config/krx738) when the program's folder cannot be written or is a bin folder, as\n"
        "for an installed copy. Each key is read from the user's copy when that holds it, else\n"
        "from the file beside the program.\n");
}

bool TestModeFromParameters(const QStringList& parameters)
{
    for (qsizetype i = 0; i <= 5 && i < parameters.size(); ++i)
        if (parameters[i] == QLatin1String("T"))
            return true;
    return false;
}

QStringList ProgramParameters()
{
    return g_parameters ? *g_parameters : QCoreApplication::arguments();
}

void SetProgramParameters(const QStringList& parameters)
{
    g_parameters = parameters;
}

void CreateWindows()
{
    Form_Main = new TForm_Main;
    Form_Meas = new TForm_Meas;
    Form_SonFunc = new TForm_SonFunc;
}

void DestroyWindows()
{
    delete Form_SonFunc;
    delete Form_Meas;
    delete Form_Main;
    Form_SonFunc = nullptr;
    Form_Meas = nullptr;
    Form_Main = nullptr;
}

int RunProgram(int argc, char** argv)
{
    // Help and a bad command line need no display, so they are answered before the toolkit starts.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const StartOptions early = ParseCommandLine(raw);
    if (early.help) {
        std::fputs(qPrintable(HelpText()), stdout);
        return 0;
    }
    if (!early.error.isEmpty()) {
        std::fprintf(stderr, "krx738: %s\n\n%s", qPrintable(early.error), qPrintable(HelpText()));
        return 2;
    }

    QApplication app(argc, argv);
    // No display name: it would be appended to every window caption. The name picks the user's
    // configuration folder.
    QApplication::setApplicationName(QStringLiteral("krx738"));
    // The installed desktop entry (data/), so that a desktop shows its name and icon for the window.
    QGuiApplication::setDesktopFileName(QString::fromLatin1("org.krx738.KRX738"));
    // The windows hide rather than close; the program ends only through Exit.
    QApplication::setQuitOnLastWindowClosed(false);

    // Again without the toolkit's own options (-platform, -style, ...).
    const StartOptions options = ParseCommandLine(QCoreApplication::arguments());
    SetProgramParameters(options.parameters);

    if (options.simulate) {
        try {
            SetUsbBackend(std::make_unique<sim::SimBackend>(options.scenarioFile.isEmpty()
                                                                ? sim::Scenario::Default()
                                                                : sim::Scenario::FromJsonFile(options.scenarioFile)));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "krx738: %s\n", e.what());
            return 2;
        }
    }
    // Records in memory are for tests; a session of days would hold up to the log's cap of them
    // (tens of megabytes) for nobody. --trace still writes every one to its file.
    TheTransferLog().KeepRecords(false);
    if (!options.traceFile.isEmpty() && !TheTransferLog().TraceTo(options.traceFile)) {
        std::fprintf(stderr, "krx738: cannot write the trace file %s\n", qPrintable(options.traceFile));
        return 2;
    }

    QtDialogs dialogs;
    SetDialogs(&dialogs);
    InstallUiSleeper();

    RunHandler([] {
        CreateWindows();
        Form_Main->show();
        QApplication::exec();
    });
    return 0;
}

}  // namespace krx
