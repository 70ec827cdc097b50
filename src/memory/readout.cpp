// Read-out, listing and range export of the meter's two memories, and their deletion: methods of
// the special-functions window.
#include "memory/form_sonfunc.h"

#include "app/form_main.h"
#include "app/settings.h"
#include "common/csv_appender.h"
#include "common/dialogs.h"
#include "common/file_paths.h"
#include "common/localetext.h"
#include "common/ui_wait.h"
#include "memory/memory_format.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

using namespace krx;
using namespace krx::memory;

namespace {

const QString kNoRecords = QStringLiteral("No records!");
// A record number is one byte, so a memory ends after at most 255 records. A meter that keeps
// answering past that will never send the end mark: stop rather than read forever.
constexpr int kMaxRecordReads = 256;
const QString kNoEndMark = QStringLiteral("The KRX 738 did not mark the end of its memory; the read-out stops here.");
// A record reply shorter than this is no record: the transfer failed or was cut short.
constexpr int kOhmRecordBytes = 30;
constexpr int kBreakDownRecordBytes = 31;
const QString kCutOff = QStringLiteral("Read-out interrupted !");
const QString kExportFilter =
    QStringLiteral("Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*");

// A read-out runs inside its click handler and waits in the event loop for the range; a second
// read-out, a deletion or a break-down test started from there would run inside the first one.
class ButtonsLock {
public:
    explicit ButtonsLock(TForm_SonFunc& f)
    {
        for (QPushButton* b : {f.BitBtn_ReadStOhm, f.BitBtn_ReadStBD, f.BitBtn_DeleteOhm, f.BitBtn_DeleteBD,
                               f.BitBtn_BreakDown}) {
            saved_.emplace_back(b, b->isEnabled());
            b->setEnabled(false);
        }
    }
    ~ButtonsLock()
    {
        for (auto& [button, enabled] : saved_)
            button->setEnabled(enabled);
    }
    ButtonsLock(const ButtonsLock&) = delete;
    ButtonsLock& operator=(const ButtonsLock&) = delete;

private:
    std::vector<std::pair<QPushButton*, bool>> saved_;
};

// Notes that the window was left ("Back to main menu" or the close box). Once hidden, the window
// shows its range group no more (opening hides it), so a waiting read-out has nothing left to
// wait for.
class LeaveWatch : public QObject {
public:
    explicit LeaveWatch(QWidget* window) : window_(window) { window_->installEventFilter(this); }
    ~LeaveWatch() override { window_->removeEventFilter(this); }
    bool Left() const { return left_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A minimised window is hidden by the window system (spontaneous); it is still open.
        if (watched == window_ && event->type() == QEvent::Hide && !event->spontaneous())
            left_ = true;
        return false;
    }

private:
    QWidget* window_;
    bool left_ = false;
};

// What every read-out holds from its start to its end, whichever way it ends.
struct ReadOut {
    explicit ReadOut(TForm_SonFunc& f) : form(f), lock(f), watch(&f) {}
    ~ReadOut() { form.GroupBox_SR->hide(); }
    ReadOut(const ReadOut&) = delete;
    ReadOut& operator=(const ReadOut&) = delete;

    TForm_SonFunc& form;
    ButtonsLock lock;
    LeaveWatch watch;
};

// Appends the lines of each record and lets the window paint, so that the listing grows visibly
// while the meter is read; button presses wait until the read-out looks at them. A paint of the
// window costs about a millisecond, so with a quick meter the listing is painted at most every
// PaintInterval seconds of the counter, and always for the first record and the last line.
class Listing {
public:
    static constexpr double PaintInterval = 0.025;

    explicit Listing(TForm_SonFunc& f) : form_(f) {}
    void Add(const QStringList& lines, bool last)
    {
        form_.Memo_Display->appendPlainText(lines.join(QLatin1Char('\n')));
        const double now = USB::CounterSeconds();
        if (last || !anyPainted_ || now < 0.0 || now - painted_ >= PaintInterval) {
            TheDialogs().ProcessEvents();
            painted_ = USB::CounterSeconds();
            anyPainted_ = true;
        }
    }

private:
    TForm_SonFunc& form_;
    bool anyPainted_ = false;
    double painted_ = 0.0;  // counter seconds of the last paint
};

// Shows the range group with 1 and the highest file number, waits for its "Save" and checks the
// range, as often as the user needs. Nothing when the window was left meanwhile.
std::optional<Range> AwaitRange(ReadOut& r, int highest)
{
    TForm_SonFunc& f = r.form;
    f.GroupBox_SR->show();
    f.MaskEdit_from->setText(QStringLiteral("1"));
    f.MaskEdit_to->setText(QString::number(highest));
    for (;;) {
        WaitUntil([&] { return f.RangeSaveRequested || r.watch.Left(); });
        if (r.watch.Left())
            return std::nullopt;
        const Range range = CheckRange(f.MaskEdit_from->text(), f.MaskEdit_to->text(), highest);
        ProcessMessages();
        if (r.watch.Left())
            return std::nullopt;
        if (range.valid)
            return range;
        TheDialogs().Message(QStringLiteral("Value out of range "), QCoreApplication::applicationName(), Buttons::Ok,
                             Icon::None);
        f.RangeSaveRequested = false;
    }
}

// The comment and the file to append to; the data folder is remembered when it is not the one
// the program started with. 0 to go on, else the result code of the cancelled dialog.
int AskCommentAndFile(TForm_SonFunc& f, QString& comment, QString& fileName)
{
    comment.clear();
    if (!TheDialogs().InputQuery(QStringLiteral("Input dialog"), QStringLiteral("Input comment to the measurement"),
                                 comment))
        return TForm_SonFunc::ReadOutCommentCancelled;
    f.SaveDialog_Ohm.DefaultExt = QStringLiteral("CSV");
    f.SaveDialog_Ohm.Filter = kExportFilter;
    if (!f.SaveDialog_Ohm.Execute())
        return TForm_SonFunc::ReadOutFileCancelled;
    fileName = f.SaveDialog_Ohm.FileName;
    RememberDataDirectoryIfChanged(DirectoryPart(fileName), Form_Main->DataDirectory);
    return TForm_SonFunc::ReadOutSaved;
}

// Said when a record read fails: a failed reply reads as record number 0, and a silent end there
// would pass a memory cut short for a complete one, to be deleted next.
void SayCutOff(int result, int listed)
{
    const QString what = result < 1 ? QStringLiteral("did not answer (error %1)").arg(result)
                                    : QStringLiteral("sent an incomplete record");
    TheDialogs().Message(QStringLiteral("The KRX 738 %1 while its memory was read. The list ends after %2 record(s) "
                                        "and is not the whole memory. Check the connection and read the memory again.")
                             .arg(what)
                             .arg(listed),
                         QStringLiteral("Error"), Buttons::Ok, Icon::None);
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

void SayDeletionFailed(int result)
{
    TheDialogs().Message(QStringLiteral("The KRX 738 did not take the command (error %1). The memory may still hold "
                                        "its records: check the connection and delete again.")
                             .arg(result),
                         QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

Identity MeterIdentity()
{
    return {Form_Main->DeviceName, Form_Main->SerialNo, Form_Main->SwVersion};
}

// Appends one export line (the header first when the file is new). False, after telling the
// user, when the export has to stop; a line that fell short has been taken back by the appender.
bool Append(const QString& fileName, QString header, const QString& line, int linesSaved)
{
    if (header.endsWith(QStringLiteral("\r\n")))
        header.chop(2);  // the appender ends every line itself
    const AppendResult w = AppendCsvLine(fileName, header, line);
    switch (w.status) {
    case AppendResult::Ok:
        return true;
    case AppendResult::CannotCreate:
        TheDialogs().Message(QStringLiteral("Can't create file : ") + fileName, QStringLiteral("Error"), Buttons::Ok,
                             Icon::None);
        return false;
    case AppendResult::CannotOpen:
        TheDialogs().ShowError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), w.error));
        return false;
    case AppendResult::HeaderShort:
    case AppendResult::RecordShort:
        // Said, not just stopped: a full disk must not go unnoticed.
        TheDialogs().ShowError(QStringLiteral("Write error in file \"%1\" (%2). %3 line(s) of this export were saved.")
                                   .arg(QDir::toNativeSeparators(fileName), w.error)
                                   .arg(linesSaved));
        return false;
    }
    return false;
}

// Lists a memory record by record up to its end mark and keeps the records in table. cut says
// that the last read-out of this memory broke off: the meter then stands inside the memory, so
// its records up to the end mark are passed over first and this read-out starts at the first
// record. On return cut says whether this read-out broke off, which has then been said.
template <typename Record, typename Slot, typename Read, typename Display>
void ListMemory(TForm_SonFunc& f, Read read, int recordBytes, Display displayBlock, bool& cut,
                RecordTable<Slot>& table)
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

    // The meter hands out its records one per request and ends with record number 0.
    Listing listing(f);
    bool found = false;
    int listed = 0;
    int recordNo = cut ? 0 : 1;
    for (int reads = 0; recordNo > 0; ++reads) {
        if (reads == kMaxRecordReads) {
            listing.Add({kHyphenLine, kNoEndMark}, true);
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
            lines << displayBlock(r);
            if (!table.Store(recordNo, ToSlot(r)))
                lines << NotSavedLine(recordNo);
        } else if (!found) {
            lines << kNoRecords;
        }
        listing.Add(lines, recordNo <= 0);
    }
    if (cut) {
        listing.Add({kHyphenLine, kCutOff}, true);
        SayCutOff(failed, listed);
    }
}

void ShowReadOutResult(int result)
{
    if (result == TForm_SonFunc::ReadOutSaved)
        TheDialogs().Message(SaveSuccessText(), QStringLiteral("Finished"), Buttons::Ok, Icon::None);
    else if (result == TForm_SonFunc::ReadOutNoRecords)
        TheDialogs().Message(QStringLiteral("No records saved !"), QStringLiteral("Result"), Buttons::Ok, Icon::None);
}

}  // namespace

// ---- Resistance memory ----

void TForm_SonFunc::BitBtn_ReadStOhmClick()
{
    const int result = ReadOutOhmMemory();
    GroupBox_Timers->hide();
    ShowReadOutResult(result);
}

int TForm_SonFunc::ReadOutOhmMemory()
{
    ReadOut session(*this);
    RangeSaveRequested = false;
    Memo_Display->clear();
    RecordTable<OhmSlot> table;

    auto read = [this](OhmRecord& r) {
        return Usb.ReadOhmRecord(r.head.recordNo, r.head.date, r.head.time, r.head.humidity, r.head.temperature,
                                 r.voltage, r.timer, r.mantissa, r.exponent, r.calculation);
    };
    ReconnectAfterFailure();
    ListMemory<OhmRecord>(*this, read, kOhmRecordBytes, OhmDisplayBlock, ohmReadOutCut_, table);
    if (ohmReadOutCut_) {
        memoryLinkFailed_ = true;
        if (table.Highest() == 0)
            return ReadOutInterrupted;
    }
    if (table.Highest() == 0)
        return ReadOutNoRecords;

    const std::optional<Range> range = AwaitRange(session, table.Highest());
    if (!range)
        return ReadOutLeft;
    QString comment, fileName;
    const int result = AskCommentAndFile(*this, comment, fileName);
    if (result != ReadOutSaved)
        return result;

    const Identity who = MeterIdentity();
    for (int no = range->from; no <= range->to; ++no) {
        const QString line = OhmLine(who, no, table.At(no), comment);
        ProcessMessages();
        if (!Append(fileName, OhmHeader, line, no - range->from))
            return ReadOutWriteFailed;
    }
    return ReadOutSaved;
}

// ---- Break-down memory ----

void TForm_SonFunc::BitBtn_ReadStBDClick()
{
    GroupBox_Timers->hide();
    ShowReadOutResult(ReadOutBreakDownMemory());
}

int TForm_SonFunc::ReadOutBreakDownMemory()
{
    ReadOut session(*this);
    RangeSaveRequested = false;
    Memo_Display->clear();
    RecordTable<BreakDownSlot> table;  // unfilled slots export as "0" and 0

    auto read = [this](BreakDownRecord& r) {
        return Usb.ReadBreakDownRecord(r.head.recordNo, r.head.date, r.head.time, r.head.humidity,
                                       r.head.temperature, r.breakDownVoltage, r.resistanceBefore, r.resistanceAfter,
                                       r.cycleTime, r.resistanceOff, r.timerOff);
    };
    ReconnectAfterFailure();
    ListMemory<BreakDownRecord>(*this, read, kBreakDownRecordBytes, BreakDownDisplayBlock, breakDownReadOutCut_,
                                table);
    if (breakDownReadOutCut_) {
        memoryLinkFailed_ = true;
        if (table.Highest() == 0)
            return ReadOutInterrupted;
    }
    if (table.Highest() == 0)
        return ReadOutNoRecords;

    if (!AwaitRange(session, table.Highest()))
        return ReadOutLeft;
    QString comment, fileName;
    const int result = AskCommentAndFile(*this, comment, fileName);
    if (result != ReadOutSaved)
        return result;

    // This export takes its bounds from the fields again, the upper one before every line, so an
    // edit of "to" while it writes changes where it stops. Only slots of the table are written.
    const Identity who = MeterIdentity();
    int saved = 0;
    try {
        for (int no = std::max(ToInt(MaskEdit_from->text()), 1);
             no <= kHighestFileNo && no <= ToInt(MaskEdit_to->text()); ++no) {
            const QString line = BreakDownLine(who, no, table.At(no), comment);
            ProcessMessages();
            if (!Append(fileName, BreakDownHeader, line, saved))
                return ReadOutWriteFailed;
            ++saved;
        }
    } catch (const ConversionError& e) {
        // A range field emptied while the lines were written: the lines so far stay.
        TheDialogs().ShowError(e.Message());
        return ReadOutWriteFailed;
    }
    return ReadOutSaved;
}

// ---- Deletion ----

void TForm_SonFunc::ReconnectAfterFailure()
{
    if (!memoryLinkFailed_)
        return;
    Usb.Connect();
    memoryLinkFailed_ = false;
}

void TForm_SonFunc::DeleteMemory(const QString& query, int (USB::*erase)(), bool& readOutCut, const QString& done)
{
    // Cancel is the default: Return must not erase the meter's memory.
    if (TheDialogs().Message(query, QStringLiteral("Query"), Buttons::OkCancelDefaultCancel, Icon::None) !=
        Answer::Ok)
        return;
    ReconnectAfterFailure();
    // Only a command the meter took is reported as done: a user who trusts a false "deleted"
    // never reads that memory again.
    const int result = (Usb.*erase)();
    if (result < 1) {
        memoryLinkFailed_ = true;
        SayDeletionFailed(result);
        return;
    }
    readOutCut = false;  // an erased memory is read from its start
    Memo_Display->appendPlainText(done);
    Memo_Display->appendPlainText(kHyphenLine);
}

void TForm_SonFunc::BitBtn_DeleteOhmClick()
{
    DeleteMemory(QStringLiteral("Complete measured value memory will be deleted! Are you sure?"),
                 &USB::DeleteOhmMemory, ohmReadOutCut_, QStringLiteral("OHM memory was deleted !"));
}

void TForm_SonFunc::BitBtn_DeleteBDClick()
{
    DeleteMemory(QStringLiteral("Complete break down value memory will be deleted! Are you sure?"),
                 &USB::DeleteBreakDownMemory, breakDownReadOutCut_, QStringLiteral("BDV memory was deleted !"));
}
