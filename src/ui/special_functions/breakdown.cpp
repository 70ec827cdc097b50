// SPDX-License-Identifier: GPL-3.0-or-later
// The special-functions window's side of the break-down and break-off test: Start, Stop, Save and
// leaving the window, and what the window shows of the test. The test itself is a procedure
// without widgets (core/breakdown_test).

#include "ui/special_functions/special_functions_window.h"
#include "ui/window_dialogs.h"

#include "ui/connection_loss.h"
#include "core/csv_appender.h"
#include "ui/special_functions/breakdown_view.h"
#include "ui/window_thread.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <vector>

using namespace krx;

void SpecialFunctionsWindow::BreakDownClicked()
{
    if (breakDownRunning_ || runner_.Busy())
        return;
    breakDownRunning_ = true;
    OfferRecords({});
    OfferBreakDownResult(nullptr);
    breakDownStarted_ = QDateTime();
    breakDownComment_.clear();
    const std::optional<int> volts = session_.SetupVolts;
    setupVoltageLabel->setText(!volts        ? QCoreApplication::translate("SpecialFunctionsWindow", "Voltage set on the meter: not known (Init could not read it)")
                               : *volts == 0 ? QCoreApplication::translate("SpecialFunctionsWindow", "Voltage set on the meter: automatic")
                                             : QCoreApplication::translate("SpecialFunctionsWindow", "Voltage set on the meter: %1 V").arg(*volts));
    LockButtonsForBreakDown(true);
    BreakDownOptions o;
    o.commandPause = session_.CommandPause;
    o.testMode = session_.TestMode;
    breakDown_.Arm();
    runner_.Start([this, o] {
        const BreakDownResult result = breakDown_.Run(o);
        OnWindowThread(this, [this, result] { BreakDownEnded(result); });
    });
}

void SpecialFunctionsWindow::BreakDownEnded(const BreakDownResult& result)
{
    if (result.outcome == BreakDownOutcome::ConnectionLost)
        ReportConnectionLoss(result.code);
    breakDownRunning_ = false;
    LockButtonsForBreakDown(false);
    setWindowTitle(session_.Caption(QCoreApplication::translate("SpecialFunctionsWindow", kTitle)));
    if (!result.left) {
        OfferBreakDownResult(result.saveable ? &result.values : nullptr);
        return;
    }
    // A result the close cut short is still the user's: offered once more before the window goes.
    if (result.saveable &&
        WindowDialogs().Message(QCoreApplication::translate("SpecialFunctionsWindow", "Save the break-down result before the window closes?"),
                             QCoreApplication::translate("SpecialFunctionsWindow", "Break-Down resistance"), Buttons::OkCancel, Icon::Question) == Answer::Ok) {
        const BreakDownSave& v = result.values;
        if (SaveBreakDownResult(v.temperature, v.humidity, v.breakDownTimer, v.voltage, v.resistanceBeforeMOhm,
                                v.resistanceAfterBDMOhm, v.resistanceAfterBOMOhm, v.breakOffTime) == 0)
            WindowDialogs().Message(SaveSuccessText(), QString(), Buttons::Ok);
    }
    close();
}

// Buttons that would start a second procedure, or leave the window with the test still running
// under it ("Back to main menu" would also tell the meter mode 3 in mid-test).
void SpecialFunctionsWindow::LockButtonsForBreakDown(bool lock)
{
    if (!lock) {
        for (auto& [button, enabled] : lockedForBreakDown_)
            button->setEnabled(enabled);
        lockedForBreakDown_.clear();
        return;
    }
    lockedForBreakDown_.clear();
    for (QPushButton* b : {readOhmMemoryButton, readBreakDownMemoryButton, eraseOhmMemoryButton,
                           eraseBreakDownMemoryButton, breakDownButton, mainMenuButton}) {
        lockedForBreakDown_.emplace_back(b, b->isEnabled());
        b->setEnabled(false);
    }
}

bool SpecialFunctionsWindow::LeaveBreakDownTest()
{
    if (!breakDownRunning_)
        return false;
    StopClicked();
    breakDown_.RequestLeave();
    // The meter may take a while to bring the voltage down: the close is seen at once, not guessed at.
    setWindowTitle(session_.Caption(QString::fromUtf8(kStoppingTitle)));
    progressLabel->show();
    progressLabel->setText(QString::fromUtf8(kStoppingTitle));
    return true;
}

void SpecialFunctionsWindow::StartClicked()
{
    if (!breakDownStarted_.isValid())
        breakDownStarted_ = QDateTime::currentDateTime();
    progressLabel->setText(QString());
    timersGroup->setTitle(QCoreApplication::translate("SpecialFunctionsWindow", "Break-Down/Break-Off resistance"));
    startButton->setEnabled(false);
    breakDown_.RequestStart(breakDownTimerField->text(), breakOffTimerField->text());
}

void SpecialFunctionsWindow::StopClicked()
{
    // The stop command goes out at the test's next yield point, where it cannot cut into another
    // operation.
    runner_.Device([this] { Usb.Stop(); });
    breakDown_.RequestStop();
}

void SpecialFunctionsWindow::SaveClicked()
{
    breakDown_.RequestSave();
}

void SpecialFunctionsWindow::ShowTimerFields(bool visible)
{
    breakDownTimerLabel->setVisible(visible);
    breakOffTimerLabel->setVisible(visible);
    breakDownTimerField->setVisible(visible);
    breakOffTimerField->setVisible(visible);
    setupVoltageLabel->setVisible(visible);
}

namespace {

std::vector<QWidget*> PartWidgets(SpecialFunctionsWindow& w, BreakDownPart part)
{
    switch (part) {
    case BreakDownPart::RangeGroup:
        return {w.rangeGroup};
    case BreakDownPart::Timers:
        return {w.timersGroup};
    case BreakDownPart::TimerFields:
        return {w.breakDownTimerLabel, w.breakOffTimerLabel, w.breakDownTimerField, w.breakOffTimerField};
    case BreakDownPart::Start:
        return {w.startButton};
    case BreakDownPart::Stop:
        return {w.stopButton};
    case BreakDownPart::Save:
        return {w.saveButton};
    case BreakDownPart::Progress:
        return {w.progressBar};
    }
    return {};
}

}  // namespace

void BreakDownView::MemoCleared()
{
    OnWindowThread(&w_, [this] { w_.recordDisplay->clear(); });
}

void BreakDownView::MemoLines(const QStringList& lines)
{
    OnWindowThread(&w_, [this, lines] {
        for (const QString& line : lines)
            w_.recordDisplay->appendPlainText(line);
    });
}

void BreakDownView::ProgressMaximum(int maximum)
{
    OnWindowThread(&w_, [this, maximum] { w_.progressBar->setMaximum(maximum); });
}

// The progress bar ignores values outside its range; the counter may run past the maximum.
void BreakDownView::ProgressValue(int value)
{
    OnWindowThread(&w_, [this, value] {
        QProgressBar* bar = w_.progressBar;
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
    });
}

void BreakDownView::Label(const QString& text, bool show)
{
    OnWindowThread(&w_, [this, text, show] {
        if (show)
            w_.progressLabel->show();
        w_.progressLabel->setText(text);
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
        w_.breakDownTimerField->setText(QString::number(breakDownSeconds));
        w_.breakOffTimerField->setText(QString::number(breakOffSeconds));
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
