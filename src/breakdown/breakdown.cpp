// SPDX-License-Identifier: GPL-3.0-or-later
// The special-functions window's side of the break-down and break-off test: Start, Stop, Save and
// leaving the window, and what the window shows of the test. The test itself is a procedure
// without widgets (core/breakdown_test).

#include "memory/form_sonfunc.h"

#include "app/connection_loss.h"
#include "app/form_main.h"
#include "common/csv_appender.h"
#include "breakdown/breakdown_view.h"
#include "common/window_thread.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <vector>

using namespace krx;

void TForm_SonFunc::BitBtn_BreakDownClick()
{
    if (breakDownRunning_ || runner_.Busy())
        return;
    breakDownRunning_ = true;
    LockButtonsForBreakDown(true);
    BreakDownOptions o;
    o.commandPause = Form_Main->CommandPause;
    o.testMode = Form_Main->TestMode;
    breakDown_.Arm();
    runner_.Start([this, o] {
        const BreakDownResult result = breakDown_.Run(o);
        OnWindowThread(this, [this, result] { BreakDownEnded(result); });
    });
}

void TForm_SonFunc::BreakDownEnded(const BreakDownResult& result)
{
    if (result.outcome == BreakDownOutcome::ConnectionLost)
        ReportConnectionLoss(result.code);
    breakDownRunning_ = false;
    LockButtonsForBreakDown(false);
    if (!result.left)
        return;
    // A result the close cut short is still the user's: offered once more before the window goes.
    if (result.saveable &&
        TheDialogs().Message(QStringLiteral("Save the break-down result before the window closes?"),
                             QStringLiteral("Break-Down resistance"), Buttons::OkCancel, Icon::Question) == Answer::Ok) {
        const BreakDownSave& v = result.values;
        if (SaveBreakDownResult(v.temperature, v.humidity, v.breakDownTimer, v.voltage, v.resistanceBeforeMOhm,
                                v.resistanceAfterBDMOhm, v.resistanceAfterBOMOhm, v.breakOffTime) == 0)
            TheDialogs().Message(SaveSuccessText(), QString(), Buttons::Ok);
    }
    close();
}

// Buttons that would start a second procedure, or leave the window with the test still running
// under it ("Back to main menu" would also tell the meter mode 3 in mid-test).
void TForm_SonFunc::LockButtonsForBreakDown(bool lock)
{
    if (!lock) {
        for (auto& [button, enabled] : lockedForBreakDown_)
            button->setEnabled(enabled);
        lockedForBreakDown_.clear();
        return;
    }
    lockedForBreakDown_.clear();
    for (QPushButton* b :
         {BitBtn_ReadStOhm, BitBtn_ReadStBD, BitBtn_DeleteOhm, BitBtn_DeleteBD, BitBtn_BreakDown, BitBtn_Main}) {
        lockedForBreakDown_.emplace_back(b, b->isEnabled());
        b->setEnabled(false);
    }
}

bool TForm_SonFunc::LeaveBreakDownTest()
{
    if (!breakDownRunning_)
        return false;
    BitBtn_StopClick();
    breakDown_.RequestLeave();
    return true;
}

void TForm_SonFunc::BitBtn_StartClick()
{
    Label_BDP->setText(QString());
    GroupBox_Timers->setTitle(QStringLiteral("Break-Down/Break-Off resistance"));
    BitBtn_Start->setEnabled(false);
    breakDown_.RequestStart(MaskEdit_BD->text(), MaskEdit_BO->text());
}

void TForm_SonFunc::BitBtn_StopClick()
{
    // The stop command goes out at the test's next yield point, where it cannot cut into another
    // operation.
    runner_.Device([this] { Usb.Stop(); });
    breakDown_.RequestStop();
}

void TForm_SonFunc::BitBtn_SaveClick()
{
    breakDown_.RequestSave();
}

void TForm_SonFunc::ShowTimerFields(bool visible)
{
    Label_BDTimer->setVisible(visible);
    Label_BOTimer->setVisible(visible);
    MaskEdit_BD->setVisible(visible);
    MaskEdit_BO->setVisible(visible);
}

namespace {

std::vector<QWidget*> PartWidgets(TForm_SonFunc& w, BreakDownPart part)
{
    switch (part) {
    case BreakDownPart::RangeGroup:
        return {w.GroupBox_SR};
    case BreakDownPart::Timers:
        return {w.GroupBox_Timers};
    case BreakDownPart::TimerFields:
        return {w.Label_BDTimer, w.Label_BOTimer, w.MaskEdit_BD, w.MaskEdit_BO};
    case BreakDownPart::Start:
        return {w.BitBtn_Start};
    case BreakDownPart::Stop:
        return {w.BitBtn_Stop};
    case BreakDownPart::Save:
        return {w.BitBtn_Save};
    case BreakDownPart::Progress:
        return {w.LMDProgress_BDP};
    }
    return {};
}

}  // namespace

void BreakDownView::MemoCleared()
{
    OnWindowThread(&w_, [this] { w_.Memo_Display->clear(); });
}

void BreakDownView::MemoLines(const QStringList& lines)
{
    OnWindowThread(&w_, [this, lines] {
        for (const QString& line : lines)
            w_.Memo_Display->appendPlainText(line);
    });
}

void BreakDownView::ProgressMaximum(int maximum)
{
    OnWindowThread(&w_, [this, maximum] { w_.LMDProgress_BDP->setMaximum(maximum); });
}

// The progress bar ignores values outside its range; the counter may run past the maximum.
void BreakDownView::ProgressValue(int value)
{
    OnWindowThread(&w_, [this, value] {
        QProgressBar* bar = w_.LMDProgress_BDP;
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
    });
}

void BreakDownView::Label(const QString& text, bool show)
{
    OnWindowThread(&w_, [this, text, show] {
        if (show)
            w_.Label_BDP->show();
        w_.Label_BDP->setText(text);
    });
}

void BreakDownView::Shown(BreakDownPart part, bool shown)
{
    OnWindowThread(&w_, [this, part, shown] {
        for (QWidget* widget : PartWidgets(w_, part))
            widget->setVisible(shown);
    });
}

void BreakDownView::Enabled(BreakDownPart part, bool enabled)
{
    OnWindowThread(&w_, [this, part, enabled] {
        for (QWidget* widget : PartWidgets(w_, part))
            widget->setEnabled(enabled);
    });
}

void BreakDownView::Caption(BreakDownPart part, const QString& text)
{
    OnWindowThread(&w_, [this, part, text] {
        for (QWidget* widget : PartWidgets(w_, part)) {
            if (auto* button = qobject_cast<QPushButton*>(widget))
                button->setText(text);
            else if (auto* group = qobject_cast<QGroupBox*>(widget))
                group->setTitle(text);
        }
    });
}

void BreakDownView::TimerFields(int breakDownSeconds, int breakOffSeconds)
{
    OnWindowThread(&w_, [this, breakDownSeconds, breakOffSeconds] {
        w_.MaskEdit_BD->setText(QString::number(breakDownSeconds));
        w_.MaskEdit_BO->setText(QString::number(breakOffSeconds));
    });
}

void BreakDownView::Save(const BreakDownSave& v)
{
    OnWindowThread(&w_, [this, v] {
        const int result = w_.SaveBreakDownResult(v.temperature, v.humidity, v.breakDownTimer, v.voltage,
                                                  v.resistanceBeforeMOhm, v.resistanceAfterBDMOhm,
                                                  v.resistanceAfterBOMOhm, v.breakOffTime);
        w_.breakDown_.SaveDone(result);
    });
}
