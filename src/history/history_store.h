// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test history: assets (a motor, a cable, a transformer) and every test filed under them, in
// one SQLite file of the user's by default, or in a PostgreSQL database a whole lab shares.
//
// The connection setting (key HistoryDatabase of the settings file):
//   ""  or "sqlite"              the user's data folder + "/history.sqlite"
//   "sqlite:/some/file.sqlite"   another SQLite file
//   "postgresql://user@host:port/dbname"  a shared server; "host" may be a Unix socket folder
//                                written as "%2Fvar%2Frun%2Fpostgresql". Passwords are never
//                                stored by us: libpq finds them in ~/.pgpass, PGPASSWORD or
//                                PGPASSFILE as usual.
//
// Every test goes in with one transaction: a crash, a kill or a full disk leaves the test either
// whole or absent. Values only ever travel as bound parameters.
//
// The outbox: a test that the database does not take (server down, file read-only or locked) is
// kept in a local SQLite file of the same schema ("history-outbox.sqlite" beside the default
// file) and the caller is told so. The outbox is sent by SendOutbox(), which Open() calls itself
// after each successful open; `krx738-cli history send` does the same on demand.

#include "core/data_dialect.h"
#include "core/judging/ieee43.h"
#include "core/judging/method_result.h"
#include "device/decode.h"
#include "core/memory_format.h"
#include "core/judging/step_figures.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace krx {
struct PlanItem;
struct Verification;
}  // namespace krx

namespace krx::history {

// The plan's records (plan_records.h).
struct PlanEntry;
struct PlanImportCount;
struct ItemReport;

// The schema this program writes; an older database is migrated on open, a newer one refused.
inline constexpr int kSchemaVersion = 8;

struct Asset {
    QString id;        // as typed: any characters, compared exactly
    QString name;
    QString location;
    QString kind;      // a name of the kind list ("machine", "cable" …); older histories hold free text
    QString insulationClass;  // "A", "B", "F", "H" or empty when not known
    // The nameplate the verdicts are judged by: none while plateKind is empty.
    QString plateKind;      // "machine", "transformer", "cable", "other"
    std::optional<double> ratedVolts;
    QString windingType;    // "form", "random", "older" or empty
};
// The asset's nameplate, with its class; empty when it has none.
std::optional<Nameplate> NameplateOf(const Asset& asset);
// Writes `plate` into the asset's nameplate fields and class, and its kind.
void SetNameplate(Asset& asset, const std::optional<Nameplate>& plate);
// The asset's kind from the one list: its nameplate's, else its kind as typed before there was one
// list (a "motor" is a machine); empty when neither names one.
std::optional<AssetKind> KindOf(const Asset& asset);
// The kind as a person reads it ("rotating machine"), or an old free text as it was typed.
QString KindText(const Asset& asset);

struct AssetSummary {
    Asset asset;
    int testCount = 0;
    QDateTime lastTest;  // invalid when there is none
};

enum class TestKind {
    FreeRunning,      // a measurement without timer
    Timer,            // a timer measurement
    BreakDown,        // a break-down / break-off test
    MemoryOhm,        // a resistance record read out of the meter's memory
    MemoryBreakDown,  // a break-down record read out of the meter's memory
    StepVoltage,      // a step-voltage test
    Method,           // an ESD-control item or a material, by its test method
};
// "free-running", "timer", "break-down", "memory-ohm", "memory-break-down", "step voltage", "method".
const char* KindName(TestKind kind);
std::optional<TestKind> KindFromName(const QString& name);

// What a break-down test (live or from memory) found. The meter gives kOhm; they are kept in ohm,
// exactly. Tests filed before ohm were kept hold whole MOhm only (the remainder was dropped then):
// `wholeMOhmOnly` says so, and the three values are those whole MOhm in ohm.
struct BreakDownFigures {
    int volts = 0;  // the voltage at break-down (or the test voltage of a break-off test)
    double resistanceBeforeOhm = 0;
    double resistanceAfterOhm = 0;
    double resistanceOffOhm = 0;
    int cycleTimeSeconds = 0;  // a memory record: the cycle time the meter kept; 0 in a live test
    int timerOffSeconds = 0;
    bool wholeMOhmOnly = false;
    int breakDownTimerSeconds = 0;  // a live test: the break-down timer set for it; 0 in a memory record
};
// The meter's kOhm in ohm: exact, as every kOhm value fits a double's 53 bits a thousand times over.
inline double OhmFromKOhm(quint32 kOhm) { return static_cast<double>(kOhm) * 1000.0; }

// The resistance a memory record holds: taken at the end of the meter's timer ("lapse"), or the
// average over the timer ("average"); the method is empty for records filed before it was kept.
struct MemoryReading {
    double ohm = 0;
    int timerSeconds = 0;
    QString method;
};

// A step-voltage test's steps and change, as the core gave them.
struct StepSummary {
    int stepSeconds = 0;
    std::vector<StepFigure> steps;  // the finished ones
    std::optional<double> changePercent;
    QString changeBound;  // "at_least", "at_most" or empty
    QString changeText;   // "-37.0 %", "≥ -12.0 %", "not enough data"
    QString verdict;      // the words shown; their source is the test's verdictSource
    std::vector<int> plannedVolts;  // every step planned, also those a break-off left out
};

// One filed test. Every figure is optional: a field stays empty rather than holding a guess.
struct TestRecord {
    qint64 id = 0;  // given by the store
    QString assetId;
    TestKind kind = TestKind::FreeRunning;
    QDateTime time;  // start of the test, with its UTC offset
    std::optional<int> volts;
    std::optional<double> durationSeconds;
    std::optional<double> temperature;  // degrees C
    std::optional<double> humidity;     // percent
    std::optional<double> r15, r30, r60, r600;  // ohm
    std::optional<double> dar, pi;
    std::optional<double> r60At40, r600At40;   // corrected to 40 degrees C, ohm
    std::optional<double> correctionTemperature;  // the temperature the correction started from
    QString insulationClass;        // the class the verdicts were judged by, empty when none
    QString darVerdict, piVerdict;  // the words shown to the user, with
    QString verdictSource;          // where the limits come from, all verdicts' sources together
    QString irVerdict;              // minimum IR 1 min at 40 °C
    // Each verdict's own source, empty where no rule applies. Tests filed before these were kept
    // have only verdictSource, and sourcesApart false.
    QString irSource, piSource, darSource;
    bool sourcesApart = false;
    std::optional<Nameplate> nameplate;  // the one the verdicts were judged by; empty: none
    std::optional<double> rampSeconds;   // voltage command to the first stable reading
    std::optional<DarTimes> darTimes;    // which DAR `dar` holds
    QString temperatureSource;           // "winding (typed)" or the air temperature at the meter
    std::optional<double> dewPoint;      // degrees C
    QString comment;
    QString operatorName;
    QString meterSerial;
    QString meterSoftware;
    std::optional<BreakDownFigures> breakDown;
    std::optional<MemoryReading> memoryReading;  // memory-ohm tests
    bool simulated = false;  // taken from the simulated meter, not a real one
    std::optional<StepSummary> steps;  // step-voltage tests only
    std::optional<MethodResult> method;  // ESD and material tests only: what was asked, path, result, verdict
    std::vector<DataRecord> readings;  // the whole series, in order; TestsOf() leaves it empty
    QByteArray recordKey;  // memory records: what makes the same record recognisable; else empty
};

// The outcome of filing something.
struct FileResult {
    enum Status {
        Filed,         // in the database
        Duplicate,     // a memory record that was filed before: nothing added
        KeptInOutbox,  // the database did not take it; kept locally, `message` says why
        Failed,        // neither database nor outbox took it: nothing kept, `message` says why
    };
    Status status = Failed;
    qint64 id = 0;  // the test's id in the database (Filed) or the outbox (KeptInOutbox)
    QString message;
    bool Kept() const { return status != Failed; }
};

struct SendResult {
    int sent = 0;
    int duplicates = 0;  // memory records the database already had
    int left = 0;        // still in the outbox
    QString message;     // why some were left, or empty
};

// The parsed connection setting.
struct Connection {
    enum Backend { Sqlite, Postgres };
    Backend backend = Sqlite;
    QString sqliteFile;  // Sqlite
    QString user, host, databaseName, options;  // Postgres
    int port = 0;        // Postgres; 0: libpq's default
    bool defaultFile = false;  // Sqlite: the user's own file in the data folder
    bool create = true;        // Sqlite: make the file (and its folder) when it is missing
};
// False with a message naming the value when the setting is neither form above. `dataFolder`
// is where the default SQLite file lives.
bool ParseConnection(const QString& setting, const QString& dataFolder, Connection& out, QString* error);
// The user's data folder of the window program (GenericDataLocation + "/krx738", which is its
// AppDataLocation), for the command-line tool as well.
QString DefaultDataFolder();
// The HistoryDatabase value of the settings file (the places of this run, then the window
// program's file in the user's configuration folder), or empty.
QString ConnectionSetting();

// Readings of a test as the recording file holds them (the data dialect's CSV, header included),
// and back; lines that are not a reading are skipped and counted in `skipped`.
QByteArray SeriesText(const std::vector<DataRecord>& readings);
std::vector<DataRecord> ParseSeries(const QByteArray& text, int* skipped = nullptr);

// What identifies a memory record: the meter's serial number and the record's content (not its
// file number, which the meter hands out again after its memory was cleared).
QByteArray OhmRecordKey(const QString& meterSerial, const OhmRecord& record);
QByteArray BreakDownRecordKey(const QString& meterSerial, const BreakDownRecord& record);
// The one rule for a memory record's reading: it is the resistance at a point of the test
// (R 15 s, 30 s, 1 min, 10 min) only when the meter kept the reading at the end of that timer;
// an average over the timer is no reading at a point. The member it fills, or null.
std::optional<double> TestRecord::*FigureOfMemoryReading(int timerSeconds, const QString& method);
// The test a memory record makes; `who` gives the meter's serial and software.
TestRecord TestFromOhmRecord(const QString& assetId, const memory::Identity& who, const OhmRecord& record);
TestRecord TestFromBreakDownRecord(const QString& assetId, const memory::Identity& who,
                                   const BreakDownRecord& record);

// The history export: one line per test, data dialect (UTF-8, ",", LF, or JSON lines) or the
// spreadsheet dialect (Windows-1252, ";", CR LF, the locale's decimal separator).
enum class ExportFormat { Csv, Jsonl, Spreadsheet };
QByteArray ExportHeader(ExportFormat format);
QByteArray ExportLine(ExportFormat format, const Asset& asset, const TestRecord& test);

// One store belongs to the thread that opened it, as Qt SQL's connections do.
class HistoryStore {
public:
    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // How long a write waits for another program's lock on an SQLite file (and the connect
    // timeout of a server, in whole seconds) before it gives up; default 5 s. Before Open().
    void SetLockWait(int milliseconds);
    // Whether Open() makes a named SQLite file that does not exist yet (default: yes). The user's
    // default file is always made; a reader refuses a named one that is not there, so that a
    // mistyped path is said rather than answered with an empty history. Before Open().
    void SetCreateNamed(bool create);

    // Opens (creating or migrating) the database the setting names; the outbox lives in
    // `dataFolder` (empty: DefaultDataFolder()). False with one clear message in Error() when the
    // database cannot be used; filing still works then, into the outbox. A successful open sends
    // the outbox.
    bool Open(const QString& connectionSetting, const QString& dataFolder = {});
    void Close();
    bool IsOpen() const;
    // The last Open() made the SQLite file: it was not there before.
    bool Created() const;
    // Why the last operation failed, or empty.
    QString Error() const;
    // What the last Open() or SendOutbox() reported about the outbox, or empty.
    QString OutboxNote() const;
    // The schema version of the open database (0 when closed).
    int SchemaVersion() const;
    // "SQLite /path/history.sqlite" or "PostgreSQL user@host:port/dbname", for messages.
    QString Description() const;

    // Creates the asset or updates its name, location, kind and class.
    bool SaveAsset(const Asset& asset);
    std::optional<Asset> FindAsset(const QString& id);
    // Every asset with its test count, ordered by id; empty with Error() set on failure.
    std::vector<AssetSummary> Assets();
    // The asset's tests, oldest first, without their readings.
    std::vector<TestRecord> TestsOf(const QString& assetId);
    // One test with its readings; nullopt when there is no such test.
    std::optional<TestRecord> Test(qint64 id);

    // Files the test (the asset is created with its id alone when it is new). A test with a
    // recordKey that is already filed is a Duplicate.
    FileResult FileTest(const TestRecord& test);
    FileResult ImportOhmRecord(const QString& assetId, const memory::Identity& who, const OhmRecord& record);
    FileResult ImportBreakDownRecord(const QString& assetId, const memory::Identity& who,
                                     const BreakDownRecord& record);

    // The asset's history as a file's content: header (none for JSON lines) and a line per test.
    std::optional<QByteArray> ExportHistory(const QString& assetId, ExportFormat format);

    // The plan: an import replaces the items' fields and order, brings back a retired item that is
    // in the file again and retires those left out; nothing is deleted.
    std::optional<PlanImportCount> ImportPlan(const std::vector<PlanItem>& items);
    std::vector<PlanEntry> PlanEntries(bool withRetired = false);
    // Filed in the database alone (no outbox: the item must be in the plan there); the summary
    // columns come from Summarise().
    FileResult FileVerification(const Verification& v);
    std::vector<Verification> VerificationsOf(const QString& itemId);
    // nullopt with Error() when the database cannot answer.
    std::optional<std::vector<ItemReport>> PlanStatus(QDate asOf, int dueWithinDays = 0);

    // Sends every test of the outbox to the open database; each sent one leaves the outbox.
    SendResult SendOutbox();
    int OutboxCount();
    QString OutboxFile() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace krx::history
