// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: Init, the Device group, the moves to the other two windows and the end of the
// program. It fills the session's mode and the meter's identity; the other windows read them there.

#include "core/meter_init.h"
#include "core/meter_session.h"
#include "device/commands.h"

#include <QString>
#include <QWidget>

#include <memory>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace krx {
namespace history {
class HistoryStore;
}
namespace history_view {
class HistoryWindow;
}
}  // namespace krx

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(krx::MeterSession& session);
    ~MainWindow() override;

    // Controls.
    QPushButton* initButton;
    QGroupBox* deviceGroup;
    QLabel* deviceNameLabel;
    QLabel* versionCaption;
    QLabel* versionLabel;
    QLabel* serialCaption;
    QLabel* serialLabel;
    QLabel* dateCaption;
    QLabel* dateLabel;
    QLabel* timeCaption;
    QLabel* timeLabel;
    QLabel* batteryCaption;
    QLabel* batteryLabel;
    QPushButton* measuringButton;
    QPushButton* timerMeasuringButton;
    QPushButton* specialFunctionsButton;
    QPushButton* exitButton;
    QPushButton* historyButton;  // below the row above, which keeps its places

    // The test history the History button shows; not owned, may be null (the button is off then).
    void SetHistory(krx::history::HistoryStore* store);
    // The history window, made at the first press and shown again at the next.
    void HistoryClicked();
    krx::history_view::HistoryWindow* History() const { return historyWindow_.get(); }

    // Finds the meter, fills the Device group and copies the meter's setup into the measurement
    // window. Shows the "No device found" box when the meter does not answer.
    void InitDevice();

    void InitClicked();
    void MeasuringClicked();
    void TimerMeasuringClicked();
    void SpecialFunctionsClicked();
    [[noreturn]] void ExitClicked();
    [[noreturn]] void FormClose();

    krx::MeterCommands Usb;  // the main window's command set; used on the runner's thread only

signals:
    // The measurement window is to be entered; the session's TimerMode is set already.
    void MeasuringChosen(bool timerMode);
    void SpecialFunctionsChosen();
    // Init read the meter's setup: the measurement window shows it.
    void MeterSetupRead(const krx::MeasuringSetup& setup);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildDeviceGroup();
    QHBoxLayout* BuildFunctionButtons();
    void ConnectControls();
    void RunInit(bool fromButton);
    // Says once, when the measurement window is first entered, that the settings file's sampling
    // time was not used.
    void SaySamplingTimeOnce();
    void ShowInit(const krx::InitReport& report);
    krx::MeterSession& session_;
    krx::ProcedureRunner& runner_;
    krx::history::HistoryStore* history_ = nullptr;
    std::unique_ptr<krx::history_view::HistoryWindow> historyWindow_;
};
