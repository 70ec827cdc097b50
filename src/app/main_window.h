// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: Init, the Device group, the moves to the other two windows and the end of the
// program. It also holds the fields that the whole program reads.

#include "core/meter_init.h"
#include "core/procedure_runner.h"
#include "device/commands.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(krx::ProcedureRunner& runner);

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

    // Application-wide fields, read by the other windows.
    bool TimerMode = false;       // true after "Measuring with timer", false after "Measuring"
    std::int32_t SamplingTime = 1000;  // ms between readings (settings file)
    static constexpr std::int32_t kLongestSamplingTime = 3600000;
    QString DataDirectory;        // start-up folder of the save dialogs (settings file, read once)
    bool TestMode = false;        // "T" on the command line: extra fields in the procedures
    int CommandPause = 20;        // ms before certain device commands

    // Identity of the meter, filled by Init.
    QString SerialNo;
    QString SwVersion;
    QString DeviceName;
    bool LoadingSetup = false;  // true while Init copies the meter's setup into the measurement window

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
    std::optional<std::int32_t> unusableSamplingTime_;
    void ShowInit(const krx::InitReport& report);
    krx::ProcedureRunner& runner_;
};

extern MainWindow* Form_Main;
