// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli memory read|erase ohm|bd: the records of the meter's resistance or break-down memory,
// or the memory erased.
#include "cli/command.h"
#include "cli/session.h"
#include "core/memory_format.h"
#include "device/protocol.h"

#include <QCoreApplication>
#include <algorithm>
#include <memory>

namespace krx::cli {

namespace {

struct MemoryArgs {
    MemoryKind kind = MemoryKind::Ohm;
    std::optional<std::pair<int, int>> range;
    Output output;
};

class ReadOutAnswers : public ReadOutListener {
public:
    ReadOutAnswers(const MemoryArgs& args, MemoryReadOut*& readOut) : args_(args), readOut_(readOut) {}
    void Listing(const QStringList&, bool) override {}
    void RangeWanted(int highest) override
    {
        highest_ = highest;
        int from = 1, to = highest;
        if (args_.range) {
            from = args_.range->first;
            to = args_.range->second;
            // The file numbers that exist are read; the rest is said after them.
            if (from > highest) {
                refused_ = true;
                readOut_->RequestLeave();
                return;
            }
            to = std::min(to, highest);
        }
        readOut_->RequestRange(QString::number(from), QString::number(to));
    }
    void RangeRefused() override
    {
        refused_ = true;
        readOut_->RequestLeave();
    }
    bool Refused() const { return refused_; }
    int Highest() const { return highest_; }

private:
    const MemoryArgs& args_;
    MemoryReadOut*& readOut_;
    bool refused_ = false;
    int highest_ = 0;
};

QString KindName(MemoryKind kind)
{
    return kind == MemoryKind::Ohm ? QCoreApplication::translate("cli", "resistance memory") : QCoreApplication::translate("cli", "break-down memory");
}

// The records of the range read, in the chosen format. kDone, or kFileError with the message said.
int WriteRecords(const MemoryArgs& args, const ReadOutReport& report, const memory::Identity& who, RecordSink& sink)
{
    const DataFormat df = DataFormatOf(args.output.format);
    for (int no = report.range.from; no <= report.range.to; ++no) {
        bool ok = true;
        if (args.kind == MemoryKind::Ohm) {
            const memory::OhmSlot& slot = report.ohm.At(no);
            // A file number the meter did not send stays out of the data dialect; the spreadsheet
            // lists the whole range, as the window's export does.
            if (args.output.format != OutputFormat::Spreadsheet && slot.date.isEmpty())
                continue;
            ok = sink.Write(OhmRecordLine(df, no, slot), memory::OhmLine(who, no, slot, QString()));
        } else {
            const memory::BreakDownSlot& slot = report.breakDown.At(no);
            if (args.output.format != OutputFormat::Spreadsheet && slot.date == QLatin1String("0"))
                continue;
            ok = sink.Write(BreakDownRecordLine(df, no, slot), memory::BreakDownLine(who, no, slot, QString()));
        }
        if (!ok) {
            Error(QCoreApplication::translate("cli", "cannot write %1: %2; %n record(s) written", nullptr, int(sink.Records()))
                      .arg(sink.Name(), sink.Error()));
            return kFileError;
        }
    }
    return kDone;
}

// What a read-out that chose no range ends with: the exit status with the message said.
int EndWithoutRange(Session& s, const MemoryArgs& args, const ReadOutReport& report, int highest)
{
    const QString name = KindName(args.kind);
    switch (report.outcome) {
    case ReadOutReport::Outcome::Interrupted:
        Error(QCoreApplication::translate("cli", "the KRX 738 stopped answering before the first record; nothing was written"));
        return kConnectionLost;
    case ReadOutReport::Outcome::NoRecords:
        s.Release();
        // A range asked of an empty memory names file numbers the memory does not hold.
        if (args.range) {
            Error(QCoreApplication::translate("cli", "--range %1-%2: the %3 holds no records; nothing was written")
                      .arg(args.range->first)
                      .arg(args.range->second)
                      .arg(name));
            return kRangeMissing;
        }
        Info(QCoreApplication::translate("cli", "the %1 holds no records").arg(name));
        return kDone;
    case ReadOutReport::Outcome::Left:
        s.Release();
        Error(QCoreApplication::translate("cli", "--range %1-%2: the %3 holds file numbers 1 to %4; none of the range is there, "
                             "nothing was written")
                  .arg(args.range->first)
                  .arg(args.range->second)
                  .arg(name)
                  .arg(highest));
        return kRangeMissing;
    case ReadOutReport::Outcome::RangeChosen:
        break;
    }
    return kDone;
}

int MemoryReadCommand(const MemoryArgs& args)
{
    const DataFormat df = DataFormatOf(args.output.format);
    const bool ohm = args.kind == MemoryKind::Ohm;
    RecordSink sink;
    if (!OpenSink(sink, args.output, ohm ? OhmRecordHeader(df) : BreakDownRecordHeader(df),
                  (ohm ? memory::OhmHeader() : memory::BreakDownHeader()).trimmed()))
        return kFileError;

    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    MemoryReadOut* readOutPtr = nullptr;
    ReadOutAnswers answers(args, readOutPtr);
    MemoryReadOut readOut(s.Meter(), s.Runner(), answers);
    readOutPtr = &readOut;
    ReadOutReport report;
    s.Runner().Start([&] {
        s.Meter().SetRemoteMode(protocol::kModeSpecial);
        readOut.Arm();
        report = readOut.Run(args.kind);
    });
    if (report.outcome != ReadOutReport::Outcome::RangeChosen)
        return EndWithoutRange(s, args, report, answers.Highest());

    if (WriteRecords(args, report, s.Who(), sink) != kDone) {
        s.Release();
        return kFileError;
    }
    const QString written = QCoreApplication::translate("cli", "%n record(s) written to %1", nullptr, int(sink.Records())).arg(sink.Name());
    if (report.cutOff) {
        Error(QCoreApplication::translate("cli", "the read-out of the %1 was cut off; %2").arg(KindName(args.kind), written));
        return kConnectionLost;
    }
    s.Release();
    if (args.range && args.range->second > answers.Highest()) {
        const int highest = answers.Highest();
        Error(QCoreApplication::translate("cli", "--range %1-%2: the %3 holds file numbers 1 to %4; %5 to %6 are missing; %7")
                  .arg(args.range->first)
                  .arg(args.range->second)
                  .arg(KindName(args.kind))
                  .arg(highest)
                  .arg(highest + 1)
                  .arg(args.range->second)
                  .arg(written));
        return kRangeMissing;
    }
    Info(written);
    return kDone;
}

int MemoryEraseCommand(MemoryKind kind)
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    class Silent : public ReadOutListener {
        void Listing(const QStringList&, bool) override {}
        void RangeWanted(int) override {}
        void RangeRefused() override {}
    } silent;
    MemoryReadOut readOut(s.Meter(), s.Runner(), silent);
    bool erased = false;
    s.Runner().Start([&] {
        s.Meter().SetRemoteMode(protocol::kModeSpecial);
        erased = readOut.Erase(kind);
    });
    if (!erased)
        return kConnectionLost;
    s.Release();
    Info(QCoreApplication::translate("cli", "the %1 was erased").arg(KindName(kind)));
    return kDone;
}

MemoryKind ParseKind(const QString& text)
{
    if (text == QLatin1String("ohm"))
        return MemoryKind::Ohm;
    if (text == QLatin1String("bd"))
        return MemoryKind::BreakDown;
    throw UsageError{QCoreApplication::translate("cli", "memory: '%1' is not a memory; choose ohm or bd").arg(text)};
}

std::pair<int, int> ParseRange(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false, ok2 = false;
    const int from = parts.size() == 2 ? parts[0].trimmed().toInt(&ok1) : 0;
    const int to = parts.size() == 2 ? parts[1].trimmed().toInt(&ok2) : 0;
    if (!ok1 || !ok2 || from < 1 || to > 99 || from > to)
        throw UsageError{QCoreApplication::translate("cli", "--range: '%1' is not allowed; give FROM-TO with 1 <= FROM <= TO <= 99").arg(text)};
    return {from, to};
}

void AddMemoryOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("action"), QCoreApplication::translate("cli", "read or erase"));
    p.addPositionalArgument(QStringLiteral("memory"), QCoreApplication::translate("cli", "ohm (resistance) or bd (break-down)"));
    p.addOption({QStringLiteral("range"),
                 QCoreApplication::translate("cli", "read: file numbers FROM-TO, 1 to 99 (default: all records)."),
                 QStringLiteral("FROM-TO")});
    AddOutputOptions(p);
    p.addOption({QStringLiteral("yes"), QCoreApplication::translate("cli", "erase: really erase the memory.")});
}

Run ParseMemory(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddMemoryOptions(p);
    if (!ParseCommand(p, rest, g)) {
        Print(CommandHelp(p,
                   QCoreApplication::translate("cli", "krx738-cli [global options] memory read ohm|bd [--range FROM-TO] "
                                  "[--format csv|jsonl|spreadsheet] [--output FILE]\n"
                                  "       krx738-cli [global options] memory erase ohm|bd --yes"),
                   QCoreApplication::translate("cli", "Reads the records of the meter's resistance memory (ohm) or break-down "
                                  "memory (bd), or erases one of them.")));
        return {};
    }
    const QStringList pos = p.positionalArguments();
    if (pos.size() < 2)
        throw UsageError{QCoreApplication::translate("cli", "memory: give read or erase, then ohm or bd")};
    NoPositional(p, 2);
    const MemoryKind kind = ParseKind(pos[1]);
    if (pos[0] == QLatin1String("read")) {
        if (p.isSet(QStringLiteral("yes")))
            throw UsageError{QCoreApplication::translate("cli", "--yes belongs to memory erase")};
        auto args = std::make_shared<MemoryArgs>();
        args->kind = kind;
        if (p.isSet(QStringLiteral("range")))
            args->range = ParseRange(p.value(QStringLiteral("range")));
        args->output = ParseOutput(p);
        return [args] { return MemoryReadCommand(*args); };
    } else if (pos[0] == QLatin1String("erase")) {
        if (p.isSet(QStringLiteral("range")) || p.isSet(QStringLiteral("output")))
            throw UsageError{QCoreApplication::translate("cli", "memory erase takes no --range or --output")};
        if (!p.isSet(QStringLiteral("yes")))
            throw UsageError{QCoreApplication::translate("cli", "memory erase %1: the records would be lost; add --yes to erase")
                                 .arg(pos[1])};
        return [kind] { return MemoryEraseCommand(kind); };
    } else {
        throw UsageError{QCoreApplication::translate("cli", "memory: '%1' is not allowed; choose read or erase").arg(pos[0])};
    }
}

}  // namespace

const Command kMemoryCommand{"memory",
                             QT_TRANSLATE_NOOP("cli", "  memory read ohm|bd      the records of the resistance or break-down memory\n"
                             "  memory erase ohm|bd     erase a memory (needs --yes)\n"),
                             ParseMemory};

}  // namespace krx::cli
