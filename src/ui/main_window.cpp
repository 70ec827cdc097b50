// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include "device/protocol.h"
#include "ui/version.h"
#include "ui/connection_loss.h"
#include "ui/controls.h"
#include "ui/window_dialogs.h"
#include "core/localetext.h"
#include "ui/ui_wait.h"
#include "device/backend.h"
#include "ui/history/history_window.h"
#include "ui/window_size.h"

#include <QCoreApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include <utility>

using namespace krx;

MainWindow::MainWindow(MeterSession& session) : session_(session), runner_(session.runner)
{
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(QCoreApplication::translate("MainWindow", "Mainform"));
    BuildControls();
    ApplyWindowStyle(this);

    VersionRecord version;
    ReadVersionInfo(version);
    setWindowTitle(MainCaption(version));

    CentreOnPrimaryScreen(this);

    // The designed captions carry accelerators; these two buttons are meant to have none.
    measuringButton->setText(QCoreApplication::translate("MainWindow", "Measuring"));
    timerMeasuringButton->setText(QCoreApplication::translate("MainWindow", "Measuring with timer"));
}

void MainWindow::SaySamplingTimeOnce()
{
    if (!session_.UnusableSamplingTime)
        return;
    WindowDialogs().Message(QCoreApplication::translate("MainWindow", "SamplingTime=%1 in the settings file is not a sampling time (0 to %2 ms); "
                                        "the measurement reads every 1000 ms.")
                             .arg(*session_.UnusableSamplingTime)
                             .arg(MeterSession::kLongestSamplingTime),
                         QCoreApplication::translate("MainWindow", "Settings"), Buttons::Ok, Icon::Warning);
    session_.UnusableSamplingTime.reset();
}

void MainWindow::BuildControls()
{
    setFont(ArialFont(13));

    initButton = new QPushButton(QCoreApplication::translate("MainWindow", "&Init"), this);
    initButton->setObjectName(QStringLiteral("Button_Init"));
    initButton->setFont(ArialRoundedFont(47));
    SetDesignedMinimum(initButton, {489, 105});
    initButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // Init and the Device group take turns in one place; the group's size holds the place.
    auto* top = new QGridLayout;
    top->addWidget(BuildDeviceGroup(), 0, 0, Qt::AlignHCenter | Qt::AlignTop);
    top->addWidget(initButton, 0, 0, Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(50, 30, 50, 43);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addSpacing(40);
    layout->addLayout(BuildFunctionButtons());
    // A row of its own, so that the buttons above keep their places; the window grew by it.
    historyButton = new QPushButton(QCoreApplication::translate("MainWindow", "&History…"), this);
    historyButton->setObjectName(QStringLiteral("HistoryButton"));
    historyButton->setFont(ArialFont(19, true));
    SetDesignedMinimum(historyButton, {220, 65});
    historyButton->setEnabled(false);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(historyButton);
    historyRow->addStretch(1);
    historyRow->addWidget(MakeSimulatedMeterLabel(session_.Simulated, this), 0, Qt::AlignVCenter);
    layout->addSpacing(16);
    layout->addLayout(historyRow);
    ConnectControls();
    KeepWindowSize(this, QStringLiteral("MainWindowSize"), QSize(1052, 428 + 65 + 16));
}

MainWindow::~MainWindow() = default;

void MainWindow::SetHistory(history::HistoryStore* store)
{
    history_ = store;
    historyWindow_.reset();
    historyButton->setEnabled(store != nullptr);
}

void MainWindow::HistoryClicked()
{
    if (!history_)
        return;
    if (!historyWindow_)
        historyWindow_ = std::make_unique<history_view::HistoryWindow>(*history_, WindowDialogs());
    else
        historyWindow_->Reload();  // tests filed since it was last shown
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

QGroupBox* MainWindow::BuildDeviceGroup()
{
    deviceGroup = new QGroupBox(QCoreApplication::translate("MainWindow", "Device"), this);
    deviceGroup->setObjectName(QStringLiteral("GroupBox_Device"));
    deviceGroup->setFont(ArialFont(21));

    auto label = [this](const char* name, const QString& text, int width, const QFont& font) {
        QLabel* l = MakeLabel(QString::fromLatin1(name), text, font, deviceGroup);
        SetDesignedMinimum(l, {width, 0});
        return l;
    };
    deviceNameLabel = label("Label_Device", QString(), 170, ArialFont(40));
    versionCaption = label("Label_KRX", QCoreApplication::translate("MainWindow", "Sw. Version  :"), 262, ArialFont(40));
    versionLabel = label("Label_SW", QString(), 100, ArialFont(40));
    serialCaption = label("Label_SN_", QCoreApplication::translate("MainWindow", "Serial No. : "), 170, ArialNarrowFont(27, true));
    serialLabel = label("Label_SN", QString(), 360, ArialFont(27));
    dateCaption = label("Label_Date_", QCoreApplication::translate("MainWindow", "Date           :"), 170, ArialFont(21));
    dateLabel = label("Label_Date", QString(), 130, ArialFont(21));
    timeCaption = label("LabelTime_", QCoreApplication::translate("MainWindow", "Time  : "), 70, ArialFont(21));
    timeLabel = label("Label_Time", QString(), 140, ArialFont(21));
    batteryCaption = label("Label_BatteryCondition", QCoreApplication::translate("MainWindow", "Battery       :"), 170, ArialFont(21));
    batteryLabel = label("Label_BattCond", QString(), 360, ArialFont(21));

    // The version follows the device name's column; date and time share the lines' value column.
    auto* version = new QHBoxLayout;
    version->setSpacing(4);
    version->addWidget(versionCaption);
    version->addWidget(versionLabel, 1);
    auto* grid = new QGridLayout(deviceGroup);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(0);
    grid->addWidget(deviceNameLabel, 0, 0);
    grid->addLayout(version, 0, 1, 1, 3);
    grid->addWidget(serialCaption, 1, 0);
    grid->addWidget(serialLabel, 1, 1, 1, 3);
    grid->addWidget(dateCaption, 2, 0);
    grid->addWidget(dateLabel, 2, 1);
    grid->addWidget(timeCaption, 2, 2);
    grid->addWidget(timeLabel, 2, 3);
    grid->addWidget(batteryCaption, 3, 0);
    grid->addWidget(batteryLabel, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    // The designed line heights; larger fonts take more.
    for (auto [row, height] : {std::pair{0, 52}, {1, 36}, {2, 30}, {3, 30}})
        grid->setRowMinimumHeight(row, height);
    FitGroupLayout(deviceGroup, {14, 2, 8, 6});
    KeepPlaceWhenHidden(deviceGroup);
    deviceGroup->hide();
    return deviceGroup;
}

QHBoxLayout* MainWindow::BuildFunctionButtons()
{
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(ArialFont(19, true));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        SetDesignedMinimum(b, {220, 65});
        return b;
    };
    measuringButton = button("BitBtn_Measuring", QCoreApplication::translate("MainWindow", "&Measuring"));
    timerMeasuringButton = button("BitBtn_Measuring_timer", QCoreApplication::translate("MainWindow", "Measuring with &timer"));
    specialFunctionsButton = button("BitBtn_Special_function", QCoreApplication::translate("MainWindow", "&Special function"));
    exitButton = button("BitBtn_Exit", QCoreApplication::translate("MainWindow", "E&xit"));
    measuringButton->setEnabled(false);
    timerMeasuringButton->setEnabled(false);
    specialFunctionsButton->setEnabled(false);

    auto* row = new QHBoxLayout;
    row->setSpacing(24);
    for (QPushButton* b : {measuringButton, timerMeasuringButton, specialFunctionsButton, exitButton})
        row->addWidget(b);
    return row;
}

void MainWindow::ConnectControls()
{
    connect(initButton, &QPushButton::clicked, this, [this] { RunHandler([this] { InitClicked(); }); });
    connect(measuringButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { MeasuringClicked(); }); });
    connect(timerMeasuringButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { TimerMeasuringClicked(); }); });
    connect(specialFunctionsButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { SpecialFunctionsClicked(); }); });
    connect(exitButton, &QPushButton::clicked, this, [this] { ExitClicked(); });
    connect(historyButton, &QPushButton::clicked, this, [this] { RunHandler([this] { HistoryClicked(); }); });
}

void MainWindow::InitDevice()
{
    RunInit(false);
}

void MainWindow::InitClicked()
{
    RunInit(true);
}

void MainWindow::RunInit(bool fromButton)
{
    const Identity known{session_.SerialNo, session_.SwVersion, session_.DeviceName};
    const QString wanted = session_.WantedSerial;
    const QString remembered = session_.RememberedSerial;
    runner_.Start([this, known, fromButton, wanted, remembered] {
        const MeterPick pick = PickMeter(runner_.Person(), wanted, remembered);
        InitReport report;  // no meter: said already, or none chosen
        if (pick.outcome == MeterPick::Outcome::AsBefore || pick.outcome == MeterPick::Outcome::Chosen)
            report = fromButton ? InitFromButton(Usb, runner_, known) : krx::InitDevice(Usb, runner_, known);
        if (pick.outcome == MeterPick::Outcome::Chosen)
            report.chosenSerial = pick.serial;
        QMetaObject::invokeMethod(this, [this, report] { ShowInit(report); },
                                  QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
    });
}

void MainWindow::ShowInit(const InitReport& report)
{
    using Outcome = InitReport::Outcome;
    if (report.outcome == Outcome::NoMeter || report.outcome == Outcome::NoAccess)
        return;
    session_.SerialNo = report.identity.serialNo;
    session_.SwVersion = report.identity.swVersion;
    session_.DeviceName = report.identity.deviceName;
    // Without its setup the measurement window would send stale options at the next Start: the
    // window goes back to where it was before Init.
    const bool ready = report.outcome == Outcome::Ready;
    initButton->setVisible(!ready);
    measuringButton->setEnabled(ready);
    timerMeasuringButton->setEnabled(ready);
    specialFunctionsButton->setEnabled(ready);
    deviceGroup->setVisible(ready);
    if (!ready)
        return;

    if (!report.chosenSerial.isEmpty()) {
        session_.ChosenSerial = report.chosenSerial;
        VersionRecord version;
        ReadVersionInfo(version);
        setWindowTitle(session_.Caption(MainCaption(version)));
    }
    serialLabel->setText(session_.SerialNo);
    versionLabel->setText(session_.SwVersion);
    dateLabel->setText(ShortDate(report.at));
    timeLabel->setText(LongTime(report.at));
    deviceNameLabel->setText(session_.DeviceName);
    batteryLabel->setText(report.batteryEmpty ? QCoreApplication::translate("MainWindow", "! Empty !") : QStringLiteral("ok"));
    // With a larger font the meter's texts can be wider than the group laid out before Init: the
    // group's nested rows are measured again now, and the window makes room for the group.
    deviceGroup->layout()->activate();
    deviceGroup->updateGeometry();

    // A setup that could not be read leaves the controls as they are.
    session_.SetupVolts.reset();
    if (report.setup) {
        const SetupFlags& f = report.setup->flags;
        if (f.autoVoltage)
            session_.SetupVolts = 0;
        else if (f.voltageKnown && f.voltageIndex >= 0 && f.voltageIndex < 4)
            session_.SetupVolts = kSetupVolts[f.voltageIndex];
        emit MeterSetupRead(*report.setup);
    }
}

void MainWindow::MeasuringClicked()
{
    SaySamplingTimeOnce();
    hide();
    session_.TimerMode = false;
    emit MeasuringChosen(false);
}

void MainWindow::TimerMeasuringClicked()
{
    SaySamplingTimeOnce();
    hide();
    session_.TimerMode = true;
    emit MeasuringChosen(true);
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMeasureTimer); });
}

void MainWindow::SpecialFunctionsClicked()
{
    hide();
    emit SpecialFunctionsChosen();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeSpecial); });
}

void MainWindow::ExitClicked()
{
    // The meter is released only when it is still there; an absent meter is no reason for a box.
    runner_.Device([this] {
        if (ConnectIdle(Usb))
            Usb.SetRemoteMode(protocol::kModeEnd);
    });
    runner_.WaitIdle();
    ExitProcess(0);
}

void MainWindow::FormClose()
{
    ExitClicked();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}
