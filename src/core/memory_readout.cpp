// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/memory_readout.h"

#include "device/protocol.h"

#include <QCoreApplication>

namespace krx {

using namespace memory;

namespace {

const QString kNoRecords = QCoreApplication::translate("Procedures", "No records!");
// A record number is one byte, so a memory ends after at most 255 records. A meter that keeps
// answering past that will never send the end mark: stop rather than read forever.
constexpr int kMaxRecordReads = 256;
const QString kNoEndMark = QCoreApplication::translate("Procedures", "The KRX 738 did not mark the end of its memory; the read-out stops here.");
const QString kCutOff = QCoreApplication::translate("Procedures", "Read-out interrupted !");

// Said when a record read fails: a silent end there would pass a memory cut short for a complete
// one, to be deleted next.
void SayCutOff(Dialogs& person, int result, int listed)
{
    const QString what = result < 1 ? QCoreApplication::translate("Procedures", "did not answer (error %1)").arg(result)
                                    : QCoreApplication::translate("Procedures", "sent an incomplete record");
    person.Message(QCoreApplication::translate("Procedures", "The KRX 738 %1 while its memory was read. The list ends after %2 record(s) "
                                  "and is not the whole memory. Check the connection and read the memory again.")
                       .arg(what)
                       .arg(listed),
                   QCoreApplication::translate("Procedures", "Error"), Buttons::Ok, Icon::None);
}

// Reads records and drops them until the end mark. The result of the read that failed before it,
// or the record size when the end mark came.
template <typename Read>
int ReadToEndMark(Read read, int recordBytes)
{
    for (int reads = 0; reads < kMaxRecordReads; ++reads) {
        int recordNo = 0;
        const int result = read(recordNo);
        if (result < recordBytes || recordNo <= 0)
            return result;
    }
    return 0;
}

}  // namespace

void MemoryReadOut::Arm()
{
    std::lock_guard lock(requestMutex_);
    rangeRequested_ = false;
    left_ = false;
}

void MemoryReadOut::RequestRange(const QString& from, const QString& to)
{
    {
        std::lock_guard lock(requestMutex_);
        rangeRequested_ = true;
        rangeFrom_ = from;
        rangeTo_ = to;
    }
    host_.Notify();
}

void MemoryReadOut::RequestLeave()
{
    left_ = true;
    host_.Notify();
}

void MemoryReadOut::ReconnectAfterFailure()
{
    if (!linkFailed_)
        return;
    meter_.Connect();
    linkFailed_ = false;
}

// Lists a memory record by record up to its end mark and keeps the records in the table. `cut`
// says that the last read-out of this memory broke off: the meter then stands inside the memory,
// so its records up to the end mark are passed over first. On return `cut` says whether this
// read-out broke off, which has then been said.
template <typename Record, typename Slot, typename Read, typename Display>
void MemoryReadOut::List(Read read, int recordBytes, Display display, bool& cut, RecordTable<Slot>& table,
                         std::vector<Record>& records)
{
    int failed = 0;
    if (cut) {
        failed = ReadToEndMark(
            [&](int& recordNo) {
                Record r;
                const int result = read(r);
                recordNo = r.head.recordNo;
                return result;
            },
            recordBytes);
        cut = failed < recordBytes;
    }
    bool found = false;
    int listed = 0;
    int recordNo = cut ? 0 : 1;
    for (int reads = 0; recordNo > 0; ++reads) {
        if (reads == kMaxRecordReads) {
            listener_.Listing({kHyphenLine, kNoEndMark}, true);
            break;
        }
        Record r;
        const int result = read(r);
        if (result < recordBytes) {
            failed = result;
            cut = true;
            break;
        }
        recordNo = r.head.recordNo;
        QStringList lines{kHyphenLine};
        if (recordNo > 0) {
            found = true;
            ++listed;
            lines << display(r);
            records.push_back(r);
            if (!table.Store(recordNo, ToSlot(r)))
                lines << NotSavedLine(recordNo);
        } else if (!found) {
            lines << kNoRecords;
        }
        listener_.Listing(lines, recordNo <= 0);
    }
    if (cut) {
        listener_.Listing({kHyphenLine, kCutOff}, true);
        SayCutOff(host_.Person(), failed, listed);
    }
}

// Offers the range with 1 and the highest file number, waits for its "Save" and checks the range,
// as often as the user needs. False when the window was left meanwhile.
bool MemoryReadOut::AwaitRange(int highest, Range& range)
{
    listener_.RangeWanted(highest);
    for (;;) {
        host_.WaitUntil([this] {
            std::lock_guard lock(requestMutex_);
            return rangeRequested_ || left_;
        });
        if (left_)
            return false;
        QString from, to;
        {
            std::lock_guard lock(requestMutex_);
            from = rangeFrom_;
            to = rangeTo_;
        }
        range = CheckRange(from, to, highest);
        host_.Yield();
        if (left_)
            return false;
        if (range.valid)
            return true;
        host_.Person().Message(QCoreApplication::translate("Procedures", "Value out of range "), QCoreApplication::applicationName(),
                               Buttons::Ok, Icon::None);
        {
            std::lock_guard lock(requestMutex_);
            rangeRequested_ = false;
        }
        listener_.RangeRefused();
    }
}

ReadOutReport MemoryReadOut::Run(MemoryKind kind)
{
    ReadOutReport report;
    ReconnectAfterFailure();
    bool& cut = kind == MemoryKind::Ohm ? ohmCut_ : breakDownCut_;
    int highest = 0;
    if (kind == MemoryKind::Ohm) {
        auto read = [this](OhmRecord& r) {
            const Result<OhmRecord> got = meter_.ReadOhmRecord();
            if (got)
                r = *got;
            return got ? protocol::kOhmRecordBytes : got.error().code;
        };
        List<OhmRecord>(read, protocol::kOhmRecordBytes, OhmDisplayBlock, cut, report.ohm, report.ohmRecords);
        highest = report.ohm.Highest();
    } else {
        auto read = [this](BreakDownRecord& r) {
            const Result<BreakDownRecord> got = meter_.ReadBreakDownRecord();
            if (got)
                r = *got;
            return got ? protocol::kBreakDownRecordBytes : got.error().code;
        };
        List<BreakDownRecord>(read, protocol::kBreakDownRecordBytes, BreakDownDisplayBlock, cut, report.breakDown,
                                 report.breakDownRecords);
        highest = report.breakDown.Highest();
    }
    if (cut)
        linkFailed_ = true;
    report.cutOff = cut;
    if (highest == 0) {
        report.outcome = cut ? ReadOutReport::Outcome::Interrupted : ReadOutReport::Outcome::NoRecords;
        return report;
    }
    report.outcome =
        AwaitRange(highest, report.range) ? ReadOutReport::Outcome::RangeChosen : ReadOutReport::Outcome::Left;
    return report;
}

bool MemoryReadOut::Erase(MemoryKind kind)
{
    ReconnectAfterFailure();
    // Only a command the meter took is reported as done: a user who trusts a false "deleted" never
    // reads that memory again.
    const Status result = kind == MemoryKind::Ohm ? meter_.EraseOhmMemory() : meter_.EraseBreakDownMemory();
    if (!result) {
        linkFailed_ = true;
        host_.Person().Message(QCoreApplication::translate("Procedures", "The KRX 738 did not take the command (error %1). The memory may still "
                                              "hold its records: check the connection and delete again.")
                                   .arg(result.error().code),
                               QCoreApplication::translate("Procedures", "Error"), Buttons::Ok, Icon::None);
        return false;
    }
    (kind == MemoryKind::Ohm ? ohmCut_ : breakDownCut_) = false;  // an erased memory is read from its start
    return true;
}

}  // namespace krx
