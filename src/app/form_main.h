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

class TForm_Main : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Main(krx::ProcedureRunner& runner);

    // Controls.
    QPushButton* Button_Init;
    QGroupBox* GroupBox_Device;
    QLabel* Label_Device;
    QLabel* Label_KRX;
    QLabel* Label_SW;
    QLabel* Label_SN_;
    QLabel* Label_SN;
    QLabel* Label_Date_;
    QLabel* Label_Date;
    QLabel* LabelTime_;
    QLabel* Label_Time;
    QLabel* Label_BatteryCondition;
    QLabel* Label_BattCond;
    QPushButton* BitBtn_Measuring;
    QPushButton* BitBtn_Measuring_timer;
    QPushButton* BitBtn_Special_function;
    QPushButton* BitBtn_Exit;

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

    void Button_InitClick();
    void BitBtn_MeasuringClick();
    void BitBtn_Measuring_timerClick();
    void BitBtn_Special_functionClick();
    [[noreturn]] void BitBtn_ExitClick();
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

extern TForm_Main* Form_Main;
