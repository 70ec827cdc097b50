// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The read-out of the meter's two memories and their deletion, without widgets. The meter hands
// out one record per request and ends with record number 0; the read-out lists every record as
// display lines, keeps them in a table by file number and, when there were any, waits for the
// range the user wants to export. The export itself is the window's (comment, file, lines).

#include "core/procedure_host.h"
#include "device/commands.h"
#include "core/memory_format.h"

#include <QStringList>

#include <atomic>
#include <mutex>
#include <vector>

namespace krx {

enum class MemoryKind { Ohm, BreakDown };

class ReadOutListener {
public:
    virtual ~ReadOutListener() = default;
    // Lines for the display; `last` once the listing is complete.
    virtual void Listing(const QStringList& lines, bool last) = 0;
    // The range group, offered with 1 and the highest file number.
    virtual void RangeWanted(int highest) = 0;
    // The range given was refused (said to the user); the group waits for another.
    virtual void RangeRefused() = 0;
};

struct ReadOutReport {
    enum class Outcome {
        RangeChosen,  // records listed and a valid range chosen
        NoRecords,    // nothing the export could hold came from the meter
        Interrupted,  // the meter stopped answering before its first record (said to the user)
        Left,         // the window was left while the read-out waited for the range
    };
    Outcome outcome = Outcome::NoRecords;
    memory::RecordTable<memory::OhmSlot> ohm;
    memory::RecordTable<memory::BreakDownSlot> breakDown;
    memory::Range range;
    bool cutOff = false;  // the meter stopped answering mid-memory: the tables are not the whole memory
    // Every record listed, as the meter sent it, in the order it came; the test history files
    // these, as the tables hold only what an export writes.
    std::vector<OhmRecord> ohmRecords;
    std::vector<BreakDownRecord> breakDownRecords;
};

class MemoryReadOut {
public:
    MemoryReadOut(MeterCommands& meter, ProcedureHost& host, ReadOutListener& listener)
        : meter_(meter), host_(host), listener_(listener)
    {
    }

    // Clears the requests of an earlier read-out; called before Run on the thread that takes them.
    void Arm();
    ReadOutReport Run(MemoryKind kind);
    // The deletion; true when the meter took the command (the user is told otherwise).
    bool Erase(MemoryKind kind);

    // Any thread: the range group's "Save" with the texts of its two fields.
    void RequestRange(const QString& from, const QString& to);
    // Any thread: the window was left; a read-out waiting for its range ends.
    void RequestLeave();

private:
    template <typename Record, typename Slot, typename Read, typename Display>
    void List(Read read, int recordBytes, Display display, bool& cut, memory::RecordTable<Slot>& table,
              std::vector<Record>& records);
    bool AwaitRange(int highest, memory::Range& range);
    void ReconnectAfterFailure();

    MeterCommands& meter_;
    ProcedureHost& host_;
    ReadOutListener& listener_;
    std::mutex requestMutex_;
    bool rangeRequested_ = false;
    QString rangeFrom_, rangeTo_;
    std::atomic<bool> left_{false};
    // A memory command failed: the next one opens the meter afresh (it may have been plugged in
    // again). A read-out that was cut off left the meter's read position in mid-memory: the next
    // read-out of that memory first reads on to the end mark, so that its listing starts at the
    // first record.
    bool linkFailed_ = false;
    bool ohmCut_ = false;
    bool breakDownCut_ = false;
};

}  // namespace krx
