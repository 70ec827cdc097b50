// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "ui/main_window.h"
#include "app/qt_dialogs.h"
#include "core/language.h"
#include "core/settings.h"
#include "app/window_person.h"
#include "ui/version.h"
#include "ui/window_dialogs.h"
#include "ui/ui_wait.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "ui/measurement/measurement_window.h"
#include "ui/special_functions/special_functions_window.h"
#include "sim/sim_backend.h"
#include "history/history_store.h"

#include "core/procedure_runner.h"

#include <QApplication>
#include <QEventLoop>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace krx {

namespace {
std::optional<QStringList> g_parameters;
QString g_wantedSerial;

// Options of the toolkit itself, which QApplication takes out of the command line: known here so
// that they are not reported as unknown and their values are not taken for parameters.
const char* const kToolkitOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name", "visual",
    "ncols", "cmap", "style", "stylesheet", "qmljsdebugger",
};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

QString OptionName(const QString& argument)
{
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    return eq < 0 ? name : name.left(eq);
}

// Builds the parser's options; `withValue` gets the names of those that take a value.
void AddOptions(QCommandLineParser& parser, QStringList& withValue)
{
    // A single dash takes a whole word: the toolkit's options are written "-platform".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    parser.addOption({QStringLiteral("version"), QString()});
    parser.addOption({QStringLiteral("simulate"), QString(), QStringLiteral("SCENARIO")});
    parser.addOption({QStringLiteral("trace"), QString(), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("serial"), QString(), QStringLiteral("S")});
    parser.addOption({QStringLiteral("language"), QString(), QStringLiteral("LANG")});
    withValue << QStringLiteral("simulate") << QStringLiteral("trace") << QStringLiteral("serial")
              << QStringLiteral("language");
    for (const char* name : kToolkitOptionsWithValue) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
        withValue << QString::fromLatin1(name);
    }
    for (const char* name : kToolkitFlags) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
}

// QCommandLineParser knows options that always or never take a value. --simulate takes its
// scenario only when one follows, so it is given one explicitly: "--simulate=FILE" when the next
// argument is neither an option nor the test-mode parameter "T", else "--simulate=".
QStringList WithExplicitScenario(const QStringList& arguments, const QStringList& withValue)
{
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        out << a;
        if (i == 0 || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-"))
            continue;
        if (a == QLatin1String("--")) {
            out << arguments.mid(i + 1);
            break;
        }
        const QString name = OptionName(a);
        if (a.contains(QLatin1Char('=')) || !withValue.contains(name))
            continue;
        const bool hasNext = i + 1 < arguments.size();
        if (name == QLatin1String("simulate")) {
            const bool scenario = hasNext && !arguments[i + 1].startsWith(QLatin1Char('-')) &&
                                  arguments[i + 1] != QLatin1String("T");
            out.back() = QStringLiteral("--simulate=") + (scenario ? arguments[++i] : QString());
        } else if (hasNext) {
            out << arguments[++i];  // the option's value, whatever it looks like
        }
    }
    return out;
}

// --language's value wherever it stands, for a command line that does not parse.
QString LanguageArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1String("--language=")))
            return arguments[i].mid(11);
        if (arguments[i] == QLatin1String("--language") && i + 1 < arguments.size())
            return arguments[i + 1];
    }
    return {};
}

// The unknown options as the user typed them.
QString UnknownOptions(const QStringList& arguments, const QStringList& names)
{
    QStringList typed;
    for (const QString& name : names) {
        QString shown = QStringLiteral("--") + name;
        for (const QString& a : arguments)
            if (a.startsWith(QLatin1Char('-')) && OptionName(a) == name) {
                shown = a.section(QLatin1Char('='), 0, 0);
                break;
            }
        if (!typed.contains(shown))
            typed << shown;
    }
    return typed.size() == 1
               ? QCoreApplication::translate("StartOptions", "unknown option %1").arg(typed.front())
               : QCoreApplication::translate("StartOptions", "unknown options %1").arg(typed.join(QStringLiteral(", ")));
}
}  // namespace

StartOptions ParseCommandLine(const QStringList& arguments)
{
    StartOptions o;
    if (!arguments.isEmpty())
        o.parameters << arguments.front();
    QCommandLineParser parser;
    QStringList withValue;
    AddOptions(parser, withValue);
    if (!parser.parse(WithExplicitScenario(arguments, withValue))) {
        o.error = parser.unknownOptionNames().isEmpty() ? parser.errorText()
                                                        : UnknownOptions(arguments, parser.unknownOptionNames());
        // The toolkit's own wording, in the language its own catalogue gives it.
        static const char* const toolkit = "QCommandLineParser";
        const auto missing = [&](const char* option) {
            return o.error == QCoreApplication::translate(toolkit, "Missing value after '%1'.")
                                  .arg(QLatin1String(option));
        };
        if (missing("--trace"))
            o.error = QCoreApplication::translate("StartOptions", "--trace needs a file name");
        if (missing("--serial"))
            o.error = QCoreApplication::translate("StartOptions", "--serial needs the meter's serial number");
        if (missing("--language"))
            o.error = QCoreApplication::translate("StartOptions", "--language needs de or en");
        return o;
    }
    o.help = parser.isSet(QStringLiteral("help"));
    o.version = parser.isSet(QStringLiteral("version"));
    o.simulate = parser.isSet(QStringLiteral("simulate"));
    o.scenarioFile = parser.value(QStringLiteral("simulate"));
    o.traceFile = parser.value(QStringLiteral("trace"));
    if (parser.isSet(QStringLiteral("trace")) && o.traceFile.isEmpty())
        o.error = QCoreApplication::translate("StartOptions", "--trace needs a file name");
    const bool serialGiven = parser.isSet(QStringLiteral("serial"));
    o.serial = (serialGiven ? parser.value(QStringLiteral("serial")) : qEnvironmentVariable("KRX738_SERIAL")).trimmed();
    static const QRegularExpression serial(QStringLiteral("^[0-9A-Za-z]{0,8}$"));
    if (!serial.match(o.serial).hasMatch() || (serialGiven && o.serial.isEmpty()))
        o.error = QCoreApplication::translate("StartOptions",
                                              "%1: '%2' is not a serial number; give the 1 to 8 letters and digits "
                                              "on the meter")
                      .arg(serialGiven ? QStringLiteral("--serial") : QStringLiteral("KRX738_SERIAL"), o.serial);
    o.language = parser.value(QStringLiteral("language"));
    Language language;
    if (parser.isSet(QStringLiteral("language")) && !ParseLanguage(o.language, language))
        o.error = QCoreApplication::translate("StartOptions", "--language: '%1' is not a language; give de or en")
                      .arg(o.language);
    o.platform = parser.value(QStringLiteral("platform"));
    o.parameters << parser.positionalArguments();
    return o;
}

QString HelpText()
{
    return QCoreApplication::translate("StartOptions",
        "Usage: krx738 [--simulate [SCENARIO.json]] [--trace FILE] [--serial S] [--language LANG] [T]\n"
        "\n"
        "Read-out and remote-control program for the KRX 738 insulation-resistance meter.\n"
        "\n"
        "  T                        test mode: the measurement and the break-down test show extra\n"
        "                           fields. Counts when it is one of the first five parameters;\n"
        "                           the switches below are not counted.\n"
        "  --simulate [SCENARIO]    talk to a simulated meter instead of the USB bus; SCENARIO is a\n"
        "                           scenario file whose name ends in .json (default: built-in)\n"
        "  --trace FILE             write every USB transfer to FILE as it happens\n"
        "  --serial S               work with the meter whose serial number is S (default:\n"
        "                           KRX738_SERIAL of the environment; with several meters\n"
        "                           attached and none named, Init asks and remembers)\n"
        "  --language LANG          de or en: the language of the windows, messages and reports\n"
        "                           (default: Language in the settings, else the system's)\n"
        "  -h, --help               show this text\n"
        "  --version                show the program's name, version and license\n"
        "\n"
        "Exit status: 0 at a normal end, 1 without a display, 2 for an unknown option or a\n"
        "scenario file that cannot be used, the meter's error code when the connection to the\n"
        "meter is lost.\n"
        "\n"
        "Settings: KRX_SETUP.INI beside the program, or in the user's configuration folder\n"
        "(~/.config/krx738) when the program's folder cannot be written or is a bin folder, as\n"
        "for an installed copy. Each key is read from the user's copy when that holds it, else\n"
        "from the file beside the program.\n");
}

QString VersionText()
{
    VersionRecord r;
    ReadVersionInfo(r);
    return QCoreApplication::translate("StartOptions", "krx738 (%1 read out program) %2\n"
                          "License GPL-3.0-or-later <https://gnu.org/licenses/gpl.html>\n")
        .arg(r.ProductName, r.FileVersion);
}

bool DisplayReachable(const QString& platform)
{
    const QString wanted = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    // Without WAYLAND_DISPLAY a client still tries the compositor's usual socket.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/wayland-0")));
    if (wanted.isEmpty())
        return x11 || wayland;
    // A list "wayland;xcb" is tried in order; "xcb:option" carries options.
    for (const QString& entry : wanted.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (name == QLatin1String("xcb") ? x11 : name.startsWith(QLatin1String("wayland")) ? wayland : true)
            return true;
    }
    return false;
}

QString NoDisplayText()
{
    return QCoreApplication::translate("StartOptions",
        "krx738: there is no display to show the windows on (DISPLAY and WAYLAND_DISPLAY name none, or it\n"
        "cannot be opened). Start the program inside a desktop session, or on a virtual display:\n"
        "    xvfb-run krx738 --simulate\n"
        "Without windows, the command-line tool krx738-cli drives the meter.\n");
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

void SetWantedSerial(const QString& serial)
{
    g_wantedSerial = serial;
}

void LoadSessionSettings(MeterSession& session)
{
    session.WantedSerial = g_wantedSerial;
    session.TestMode = TestModeFromParameters(ProgramParameters());
    const SettingsPlaces settings = CurrentSettingsPlaces();
    session.DataDirectory = settings.Read(QStringLiteral("DataDirectory"), DefaultDataDirectory());
    session.SamplingTime = settings.ReadInteger(QStringLiteral("SamplingTime"), 1000);
    session.RememberedSerial = settings.Read(QStringLiteral("MeterSerial"), QString()).trimmed();
    const RecordingSettings recording = ReadRecordingSettings();
    session.RecordingEnabled = recording.enabled;
    session.RecordingDirectory = recording.folder;
    // A hand-edited value outside an hour would give one reading and then a wait until Break.
    if (session.SamplingTime < 0 || session.SamplingTime > MeterSession::kLongestSamplingTime) {
        session.UnusableSamplingTime = session.SamplingTime;
        session.SamplingTime = 1000;
    }
}

namespace {
// On the device thread every decision is carried to the windows' thread; inline it is there.
std::unique_ptr<ProcedureRunner> MakeRunner(ProcedureRunner::Mode mode, WindowPerson& person)
{
    auto runner = std::make_unique<ProcedureRunner>(mode, person);
    if (mode == ProcedureRunner::Mode::Inline) {
        runner->SetYieldHook([](bool waiting) {
            QCoreApplication::processEvents(waiting ? QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents
                                                    : QEventLoop::AllEvents);
        });
    }
    return runner;
}
}  // namespace

ProgramWindows::ProgramWindows(ProcedureRunner::Mode mode)
    : person_(std::make_unique<WindowPerson>(QCoreApplication::instance())),
      runner_(MakeRunner(mode, *person_)),
      session_(*runner_)
{
    LoadSessionSettings(session_);
    session_.Simulated = BackendIsSimulated();
    main_ = std::make_unique<MainWindow>(session_);
    measurement_ = std::make_unique<MeasurementWindow>(session_);
    special_ = std::make_unique<SpecialFunctionsWindow>(session_);
    // A database that cannot be opened is said in the history window and when filing; the tests
    // filed meanwhile wait in the outbox. Measuring never waits for it.
    history_ = std::make_unique<history::HistoryStore>();
    history_->Open(history::ConnectionSetting());
    main_->SetHistory(history_.get());
    measurement_->SetHistory(history_.get());
    special_->SetHistory(history_.get());
    Connect();
}

ProgramWindows::~ProgramWindows()
{
    special_.reset();
    measurement_.reset();
    main_.reset();
    history_.reset();
}

// The moves between the windows: each window says where the user goes, none touches another.
void ProgramWindows::Connect()
{
    MainWindow* main = main_.get();
    MeasurementWindow* measurement = measurement_.get();
    SpecialFunctionsWindow* special = special_.get();
    QObject::connect(main, &MainWindow::MeasuringChosen, measurement, &MeasurementWindow::Enter);
    QObject::connect(main, &MainWindow::MeterSetupRead, measurement, &MeasurementWindow::ShowMeterSetup);
    QObject::connect(main, &MainWindow::SpecialFunctionsChosen, special, &SpecialFunctionsWindow::Enter);
    QObject::connect(measurement, &MeasurementWindow::MainWanted, main, &QWidget::show);
    QObject::connect(measurement, &MeasurementWindow::MeterCheckWanted, main, &MainWindow::InitDevice);
    QObject::connect(special, &SpecialFunctionsWindow::MainWanted, main, &QWidget::show);
}

namespace {
QtMessageHandler g_toolkitHandler = nullptr;

// While the toolkit starts: its abort for a display that cannot be opened becomes our message.
void StartupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        std::fputs(qPrintable(NoDisplayText()), stderr);
        std::fflush(nullptr);
        std::_Exit(kExitNoDisplay);
    }
    if (g_toolkitHandler)
        g_toolkitHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
}  // namespace

int RunProgram(int argc, char** argv)
{
    // Everything that needs no display is answered before the toolkit starts: help, version, a bad
    // command line, a scenario or trace file that cannot be used, and a missing display.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    // The texts before the windows (help, a bad command line, no display) speak the run's language
    // as well; translations need an application, so a plain one serves until the windows' starts.
    auto early = std::make_unique<QCoreApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("krx738"));
    const auto languageOf = [&raw](const StartOptions& o) {
        return ChosenLanguage(o.language.isEmpty() ? LanguageArgument(raw) : o.language,
                              CurrentSettingsPlaces().Read(QStringLiteral("Language"), QString()),
                              LanguageEnvironment::FromProcess());
    };
    UseLanguage(languageOf(StartOptions{}));
    const StartOptions options = ParseCommandLine(raw);
    UseLanguage(languageOf(options));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "krx738: %s\n\n%s", qPrintable(options.error), qPrintable(HelpText()));
        return kExitBadCommandLine;
    }
    if (options.help) {
        std::fputs(qPrintable(HelpText()), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(qPrintable(VersionText()), stdout);
        return 0;
    }
    if (options.simulate) {
        try {
            SetUsbBackend(std::make_unique<sim::SimBackend>(options.scenarioFile.isEmpty()
                                                                ? sim::Scenario::Default()
                                                                : sim::Scenario::FromJsonFile(options.scenarioFile)));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "krx738: %s\n", e.what());
            return kExitBadCommandLine;
        }
    }
    // Records in memory are for tests; a session of days would hold up to the log's cap of them
    // (tens of megabytes) for nobody. --trace still writes every one to its file.
    TheTransferLog().KeepRecords(false);
    if (!options.traceFile.isEmpty() && !TheTransferLog().TraceTo(options.traceFile)) {
        std::fputs(qPrintable(QCoreApplication::translate("StartOptions", "krx738: cannot write the trace file %1\n")
                                  .arg(options.traceFile)),
                   stderr);
        return kExitBadCommandLine;
    }
    if (!DisplayReachable(options.platform)) {
        std::fputs(qPrintable(NoDisplayText()), stderr);
        return kExitNoDisplay;
    }

    UseLanguage(Language::English);
    early.reset();
    g_toolkitHandler = qInstallMessageHandler(StartupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_toolkitHandler);
    // No display name: it would be appended to every window caption. The name picks the user's
    // configuration folder.
    QApplication::setApplicationName(QStringLiteral("krx738"));
    // The installed desktop entry (data/), so that a desktop shows its name and icon for the window.
    QGuiApplication::setDesktopFileName(QString::fromLatin1("org.krx738.KRX738"));
    // The windows hide rather than close; the program ends only through Exit.
    QApplication::setQuitOnLastWindowClosed(false);

    SetProgramParameters(options.parameters);
    SetWantedSerial(options.serial);
    for (const QString& file : UseLanguage(languageOf(options)))
        std::fputs(qPrintable(QStringLiteral("krx738: %1 not found; texts stay in English\n").arg(file)), stderr);

    QtDialogs dialogs;
    SetWindowDialogs(&dialogs);

    RunHandler([] {
        ProgramWindows windows;
        windows.Main().show();
        QApplication::exec();
    });
    return 0;
}

}  // namespace krx
