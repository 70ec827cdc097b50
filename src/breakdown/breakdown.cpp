// The break-down and break-off test. The meter runs the test; the program sets the two timers,
// starts each phase, polls the event byte once a second and writes the report into the memo.
// Start, Stop and Save only raise flags; the test reads them at its yield points (phases A to J).

#include "memory/form_sonfunc.h"

#include "app/form_main.h"
#include "breakdown/breakdown_format.h"
#include "common/clock.h"
#include "common/csv_appender.h"
#include "common/dialogs.h"
#include "common/localetext.h"
#include "common/ui_wait.h"
#include "device/decode.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using namespace krx;

namespace {

// Positions in the bit text of the event byte (1-based).
constexpr int kNewValues = 9;   // b0: new intermediate values
constexpr int kBreakDown = 8;   // b1
constexpr int kBreakOff = 7;    // b2
constexpr int kPhaseEnded = 4;  // b4: the phase's timer ran out without its event

// The meter needs this long after the start before its first values mean anything.
constexpr int kCountdownSteps = 10;
constexpr int kBreakOffSettleMs = 5000;
// Longest timer the four-digit fields can hold.
constexpr int kLongestTimer = 9999;

void Pause(int ms)
{
    TheClock().Sleep(ms);
}

// Truncation of counter readings. The grace of a microsecond keeps a sum of pauses that lands a
// hair below a whole second (1011.9999999) from counting as the second before, which would end
// the next wait at once.
double WholeSeconds(double seconds)
{
    return seconds < 0 ? seconds : std::floor(seconds + 1e-6);
}

long long WholeMilliseconds(double seconds)
{
    return static_cast<long long>(std::floor(seconds * 1000.0 + 1e-6));
}

QString TimeNow()
{
    return LongTime(QDateTime::currentDateTime());
}

// Polls in a row that may fail before the user is told that the meter does not answer.
constexpr int kSilentPolls = 3;

// A set-up or start command the meter did not take: the window would go on saying "in progress"
// for a test that never runs at the meter.
void SayCommandLost(int result)
{
    TheDialogs().Message(QStringLiteral("The KRX 738 did not take the command (error %1), so the test may not be "
                                        "running at the meter. Press Stop, check the connection and start the test "
                                        "again.")
                             .arg(result),
                         QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

// Counts failed event polls and says once per outage that the meter has gone silent; the test
// goes on polling, so a meter that answers again carries on.
class PollWatch {
public:
    void Seen(int result)
    {
        if (result > 0) {
            failed_ = 0;
            return;
        }
        if (++failed_ == kSilentPolls)
            TheDialogs().Message(QStringLiteral("The KRX 738 does not answer (error %1). The test goes on when it "
                                                "answers again; press Stop to end it. If the meter still shows a "
                                                "test running, stop it at the meter.")
                                     .arg(result),
                                 QStringLiteral("Error"), Buttons::Ok, Icon::None);
    }

private:
    int failed_ = 0;
};

// Buttons that would start a second procedure inside the test, or leave the window with the test
// still running under it ("Back to main menu" would also tell the meter mode 3 in mid-test).
class BreakDownButtonsLock {
public:
    explicit BreakDownButtonsLock(TForm_SonFunc* f)
    {
        for (QPushButton* b : {f->BitBtn_ReadStOhm, f->BitBtn_ReadStBD, f->BitBtn_DeleteOhm, f->BitBtn_DeleteBD,
                               f->BitBtn_BreakDown, f->BitBtn_Main}) {
            saved_.emplace_back(b, b->isEnabled());
            b->setEnabled(false);
        }
    }
    ~BreakDownButtonsLock()
    {
        for (auto& [button, enabled] : saved_)
            button->setEnabled(enabled);
    }
    BreakDownButtonsLock(const BreakDownButtonsLock&) = delete;
    BreakDownButtonsLock& operator=(const BreakDownButtonsLock&) = delete;

private:
    std::vector<std::pair<QPushButton*, bool>> saved_;
};

}  // namespace

// While the test runs, closing the window must not leave the test's loops running behind a hidden
// window: the close is turned into a Stop, and the window closes once the test has cleaned up.
class BreakDownCloseGuard : public QObject {
public:
    explicit BreakDownCloseGuard(TForm_SonFunc* form) : form_(form) { form_->installEventFilter(this); }
    ~BreakDownCloseGuard() override { form_->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != form_ || event->type() != QEvent::Close)
            return false;
        event->ignore();
        // Only flags here: a close can arrive during a pause, in the middle of a device operation.
        form_->leaveAfterBreakDown_ = true;
        form_->stopForLeavePending_ = true;
        return true;
    }

private:
    TForm_SonFunc* form_;
};

void TForm_SonFunc::BitBtn_BreakDownClick()
{
    if (breakDownRunning_)
        return;
    breakDownRunning_ = true;
    leaveAfterBreakDown_ = false;
    stopForLeavePending_ = false;
    {
        BreakDownButtonsLock lock(this);
        BreakDownCloseGuard guard(this);
        try {
            RunBreakDownTest();
        } catch (const ConversionError& e) {
            // Unreadable characters from the meter: say so and leave the meter as after a Stop.
            TheDialogs().ShowError(e.Message());
            EndBreakDownTest();
        }
    }
    breakDownRunning_ = false;
    if (leaveAfterBreakDown_)
        close();
}

void TForm_SonFunc::RunBreakDownTest()
{
    // A. Set-up
    StopRequested = false;
    AwaitingBreakDownStart = false;
    BreakDownStartRequested = false;
    AwaitingBreakOffStart = false;
    BreakOffStartRequested = false;
    SaveRequested = false;
    Memo_Display->clear();

    int measuringTimer = 0, breakDownTimer = 0, breakOffTimer = 0;
    // A meter plugged in again since the last command is reached only through a new open: open
    // afresh and read once more rather than offer timers of 0.
    if (Usb.ReadTimers(measuringTimer, breakDownTimer, breakOffTimer) < 1) {
        Usb.Connect();
        Usb.ReadTimers(measuringTimer, breakDownTimer, breakOffTimer);
    }
    // The last test's clean-up did not reach the meter, which may still be in one of its phases and
    // would take the next start for the wrong one.
    if (meterResetLost_)
        meterResetLost_ = Usb.WriteControl(0) < 1;
    MaskEdit_BD->setText(QString::number(breakDownTimer));
    MaskEdit_BO->setText(QString::number(breakOffTimer));

    GroupBox_SR->hide();
    BitBtn_Save->setEnabled(false);
    GroupBox_Timers->show();
    ShowTimerFields(true);
    BitBtn_Start->setText(QStringLiteral("Start Break-Down"));
    BitBtn_Start->setEnabled(true);
    GroupBox_Timers->setTitle(QStringLiteral("Setup timers Break-Down/Break-Off resistance"));
    // Stop stays usable before the start: with the other buttons locked it is the way out.
    BitBtn_Stop->setEnabled(true);

    int lost = Usb.SetRemoteMode(USB::ModeBreakDown);  // the first command the meter did not take
    int progress = 1;
    LMDProgress_BDP->setMaximum(20);
    AwaitingBreakDownStart = true;

    // B. Wait for Start (C1: until both timer fields hold a usable number of seconds).
    for (;;) {
        WaitUntil([this] { return BreakDownStartRequested || StopRequested || stopForLeavePending_; });
        BreakDownYield();
        if (StopRequested) {
            EndBreakDownTest();
            return;
        }
        if (ReadBreakTimerFields(breakDownTimer, breakOffTimer))
            break;
        BreakDownStartRequested = false;
        GroupBox_Timers->setTitle(QStringLiteral("Setup timers Break-Down/Break-Off resistance"));
        BitBtn_Start->setEnabled(true);
    }

    // C. Start of the break-down phase
    const int timersWritten = Usb.WriteBreakTimers(breakDownTimer, breakOffTimer);
    if (lost > 0)
        lost = timersWritten;
    ShowTimerFields(false);
    Pause(Form_Main->CommandPause);
    LMDProgress_BDP->show();
    Label_BDP->show();
    Label_BDP->setText(QStringLiteral("Break-Down Measurement in progress !"));
    BitBtn_Stop->setEnabled(true);
    const int started = Usb.StartStop(1);
    if (lost > 0)
        lost = started;
    if (lost < 1)
        SayCommandLost(lost);
    BreakDownYield();
    Pause(100);

    BreakDownReport values;
    auto readValues = [&] {
        return Usb.ReadBreakDownValues(values.voltage, values.resistanceBefore, values.resistanceAfterBD,
                                       values.resistanceAfterBO, values.breakOffTime);
    };
    auto addIntermediateValues = [&] {
        AddMemoLine(VoltMeasLine(values.voltage));
        AddMemoLine(ResistanceLine(values.resistanceBefore));
        AddSeparatorLine();
    };
    readValues();
    AddMemoLine(QStringLiteral("Start Break-Down Measuring !"));
    AddSeparatorLine();
    BreakDownYield();

    bool breakDownDone = false;
    bool noBreakDown = false;
    bool breakOffDone = false;
    bool noBreakOff = false;
    bool firstPass = true;
    QString bits;
    PollWatch polls;

    // D. Break-down phase, one iteration per whole second of the counter
    while (!breakDownDone && !StopRequested) {
        if (firstPass) {
            // D1. About 11 s before the first values; the window paints but takes no input.
            LMDProgress_BDP->setMaximum(kCountdownSteps);
            for (int step = 0; step <= kCountdownSteps; ++step) {
                SetBreakDownProgress(step);
                Pause(1000);
            }
            readValues();
            addIntermediateValues();
            firstPass = false;
            LMDProgress_BDP->setMaximum(20);
        }
        SetBreakDownProgress(progress);
        ++progress;
        const double secondMark = WholeSeconds(USB::CounterSeconds());

        polls.Seen(Usb.ReadEventBits(bits));
        if (Form_Main->TestMode)
            AddMemoLine(EventLine(false, bits, TimeNow()));
        BreakDownYield();
        if (BitSet(bits, kPhaseEnded))
            noBreakDown = true;
        if (BitSet(bits, kNewValues)) {
            Pause(Form_Main->CommandPause);
            readValues();
            progress = 1;
            LMDProgress_BDP->setMaximum(breakDownTimer);
            addIntermediateValues();
            Pause(Form_Main->CommandPause);
            BreakDownYield();
        }

        if (noBreakDown) {
            // E1. No break-down: the meter's timer ran out. Nothing to save; wait for Stop.
            LMDProgress_BDP->hide();
            StopRequested = leaveAfterBreakDown_;
            Label_BDP->setText(QStringLiteral("No Break-Down !"));
            AddMemoLine(QStringLiteral("No Break-Down !"));
            AddSeparatorLine();
            WaitUntil([this] { return StopRequested || stopForLeavePending_; });
            BreakDownYield();
            continue;
        }

        if (BitSet(bits, kBreakDown)) {
            // E2. Break-down
            Pause(100);
            Label_BDP->show();
            Label_BDP->setText(QStringLiteral("Break-Down !"));
            Usb.ReadClimate(values.humidity, values.temperature);
            const int result = readValues();
            if (result < 1)
                USB::ReportConnectionLoss(result);
            Pause(Form_Main->CommandPause);
            // Acknowledges the break-down; without it the meter would take the break-off start for
            // a new break-down phase.
            const int acknowledged = Usb.WriteControl(2);
            if (acknowledged < 1)
                SayCommandLost(acknowledged);
            Pause(Form_Main->CommandPause);
            Usb.ReadEventBits(bits);
            AddSeparatorLine();
            AddMemoLines(BreakDownBlock(values));
            breakDownDone = true;

            GroupBox_Timers->show();
            BitBtn_Save->setEnabled(true);
            BitBtn_Start->setEnabled(true);
            BitBtn_Start->setText(QStringLiteral("Start Break-Off"));
            GroupBox_Timers->setTitle(QStringLiteral("Break-Off resistance"));
            ShowTimerFields(false);
            LMDProgress_BDP->hide();
            // The flags are cleared before the yield, not after it, so that a Start pressed there
            // counts; cleared later it would be lost with the Start button already disabled.
            BreakOffStartRequested = false;
            StopRequested = leaveAfterBreakDown_;
            AwaitingBreakOffStart = true;
            BreakDownYield();

            // F. Wait for the break-off start; Save keeps the result so far.
            for (;;) {
                WaitUntil([this] {
                    return BreakOffStartRequested || StopRequested || SaveRequested || stopForLeavePending_;
                });
                BreakDownYield();
                if (SaveRequested) {
                    if (SaveBreakDownResult(static_cast<float>(values.temperature), values.humidity, breakDownTimer,
                                            values.voltage, KOhmToMOhm(values.resistanceBefore),
                                            KOhmToMOhm(values.resistanceAfterBD), 0, 0) == 0)
                        TheDialogs().Message(SaveSuccessText(), QString(), Buttons::Ok);
                    SaveRequested = false;
                    Pause(Form_Main->CommandPause);
                }
                if (BreakOffStartRequested || StopRequested)
                    break;
            }

            if (BreakOffStartRequested) {
                // G. Break-off phase, one poll per second
                Label_BDP->setText(QStringLiteral("Break-Off Measurement in progress !"));
                LMDProgress_BDP->setMaximum(breakOffTimer);
                LMDProgress_BDP->show();
                BitBtn_Save->setEnabled(false);
                breakOffDone = false;
                noBreakOff = false;
                StopRequested = leaveAfterBreakDown_;
                Pause(Form_Main->CommandPause);
                const int breakOffStarted = Usb.StartStop(1);
                if (breakOffStarted < 1)
                    SayCommandLost(breakOffStarted);
                progress = 1;
                while (!StopRequested && !breakOffDone && !noBreakOff) {
                    const QString time = TimeNow();
                    Pause(1000);
                    SetBreakDownProgress(progress);
                    ++progress;
                    polls.Seen(Usb.ReadEventBits(bits));
                    if (Form_Main->TestMode)
                        AddMemoLine(EventLine(true, bits, time));
                    BreakDownYield();
                    if (BitSet(bits, kPhaseEnded))
                        noBreakOff = true;
                    if (BitSet(bits, kBreakOff)) {
                        // Ha. Break-off: the meter settles its values first.
                        LMDProgress_BDP->hide();
                        Label_BDP->setText(QStringLiteral("Break-OFF !"));
                        AddMemoLine(QStringLiteral("Wait 5 Sec."));
                        Pause(kBreakOffSettleMs);
                        readValues();
                        AddMemoLines(BreakOffBlock(values));
                        breakOffDone = true;
                    }
                    BreakDownYield();
                }
            }
        }

        // D10. On to the next whole second of the counter.
        BreakDownYield();
        if (secondMark < 0) {
            Pause(1000);  // no high-resolution counter: a plain second
        } else {
            for (;;) {
                const long long elapsedMs = WholeMilliseconds(USB::CounterSeconds() - secondMark);
                if (elapsedMs >= 1000)
                    break;
                Pause(static_cast<int>(1000 - elapsedMs));
                BreakDownYield();
            }
        }
    }

    // Hb. The break-off timer ran out without a break-off.
    if (noBreakOff) {
        Label_BDP->setText(QStringLiteral("No Break-OFF !"));
        LMDProgress_BDP->hide();
        readValues();
        AddMemoLines(NoBreakOffBlock(values));
    }

    // I. Result hold: the result can be saved as often as wanted until Stop.
    BitBtn_Save->setEnabled(true);
    Usb.SetRemoteMode(USB::ModeBreakDownDone);
    while (!StopRequested) {
        WaitUntil([this] { return StopRequested || SaveRequested || stopForLeavePending_; });
        BreakDownYield();
        if (SaveRequested) {
            SaveBreakDownResult(static_cast<float>(values.temperature), values.humidity, breakDownTimer, values.voltage,
                                KOhmToMOhm(values.resistanceBefore), KOhmToMOhm(values.resistanceAfterBD),
                                KOhmToMOhm(values.resistanceAfterBO), values.breakOffTime);
            // This save has no success box; characters written as "?" are still worth a word.
            if (const QString note = TakeReplacementNote(); !note.isEmpty())
                TheDialogs().Message(note, QString(), Buttons::Ok);
            SaveRequested = false;
        }
    }

    EndBreakDownTest();
}

// J. Clean-up: the meter back to the set-up mode, the report stays in the memo.
void TForm_SonFunc::EndBreakDownTest()
{
    Label_BDP->setText(QString());
    meterResetLost_ = Usb.WriteControl(0) < 1;
    GroupBox_Timers->hide();
    BitBtn_Stop->setEnabled(false);
    LMDProgress_BDP->hide();
    LMDProgress_BDP->setValue(LMDProgress_BDP->minimum());
    Usb.SetRemoteMode(USB::ModeBreakDown);
}

// C1. Both fields must hold whole seconds the meter's 16-bit timers and the four-digit fields can
// take; anything else is said plainly and the test waits for the next Start.
bool TForm_SonFunc::ReadBreakTimerFields(int& breakDownTimer, int& breakOffTimer)
{
    struct Field {
        QLineEdit* edit;
        QLabel* label;
        int* value;
    };
    for (const Field& f : {Field{MaskEdit_BD, Label_BDTimer, &breakDownTimer},
                           Field{MaskEdit_BO, Label_BOTimer, &breakOffTimer}}) {
        const QString text = f.edit->text().trimmed();
        int seconds = 0;
        bool ok = true;
        try {
            seconds = ToInt(text);
        } catch (const ConversionError&) {
            ok = false;
        }
        if (!ok || seconds < 1 || seconds > kLongestTimer) {
            TheDialogs().Message(QStringLiteral("%1: \"%2\" is not a timer. Enter whole seconds from 1 to %3.")
                                     .arg(f.label->text(), text)
                                     .arg(kLongestTimer),
                                 QStringLiteral("Error"), Buttons::Ok, Icon::Warning);
            return false;
        }
        *f.value = seconds;
    }
    return true;
}

void TForm_SonFunc::BitBtn_StartClick()
{
    Label_BDP->setText(QString());
    GroupBox_Timers->setTitle(QStringLiteral("Break-Down/Break-Off resistance"));
    if (AwaitingBreakDownStart)
        BreakDownStartRequested = true;
    if (AwaitingBreakOffStart)
        BreakOffStartRequested = true;
    else
        Memo_Display->clear();
    BitBtn_Start->setEnabled(false);
    ProcessMessages();
}

void TForm_SonFunc::BitBtn_StopClick()
{
    StopRequested = true;
    Usb.SendStop();
    ProcessMessages();
}

void TForm_SonFunc::BitBtn_SaveClick()
{
    SaveRequested = true;
}

void TForm_SonFunc::ShowTimerFields(bool visible)
{
    Label_BDTimer->setVisible(visible);
    Label_BOTimer->setVisible(visible);
    MaskEdit_BD->setVisible(visible);
    MaskEdit_BO->setVisible(visible);
}

void TForm_SonFunc::AddSeparatorLine()
{
    AddMemoLine(SeparatorLine());
}

void TForm_SonFunc::AddMemoLine(const QString& line)
{
    Memo_Display->appendPlainText(line);
}

void TForm_SonFunc::AddMemoLines(const QStringList& lines)
{
    for (const QString& line : lines)
        AddMemoLine(line);
}

// The progress bar ignores values outside its range; the counter may run past the maximum.
void TForm_SonFunc::SetBreakDownProgress(int value)
{
    LMDProgress_BDP->setValue(std::clamp(value, LMDProgress_BDP->minimum(), LMDProgress_BDP->maximum()));
}

// A yield point of the test: button presses act here. A close of the window that arrived since acts
// as Stop now, where sending the stop command cannot cut into another operation.
void TForm_SonFunc::BreakDownYield()
{
    ProcessMessages();
    if (stopForLeavePending_) {
        stopForLeavePending_ = false;
        BitBtn_StopClick();
    }
}

