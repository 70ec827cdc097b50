// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/special_functions/special_functions_window.h"

#include "device/protocol.h"
#include "ui/special_functions/readout_view.h"

#include "ui/controls.h"
#include "ui/ui_wait.h"
#include "ui/window_size.h"

#include <QCoreApplication>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHideEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <utility>

using namespace krx;

SpecialFunctionsWindow::SpecialFunctionsWindow(krx::MeterSession& session)
    : session_(session),
      runner_(session.runner),
      readOutView_(std::make_unique<ReadOutView>(*this)),
      readOut_(Usb, runner_, *readOutView_)
{
    setObjectName(QStringLiteral("Form_SonFunc"));
    setWindowTitle(QCoreApplication::translate("SpecialFunctionsWindow", kTitle));
    BuildControls();
    ApplyWindowStyle(this);
    CentreOnPrimaryScreen(this);
    progressLabel->hide();
    progressBar->hide();
}

void SpecialFunctionsWindow::BuildControls()
{
    setFont(SmallSansFont());
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(BuildFunctionGroup());
    left->addWidget(BuildRangeGroup());
    left->addWidget(BuildTimersGroup());
    left->addStretch(1);
    left->addWidget(MakeSimulatedMeterLabel(session_.Simulated, this));
    left->addWidget(BuildFilingRow());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(12);
    layout->addLayout(left);
    layout->addLayout(BuildDisplay(), 1);
    ConnectControls();
    KeepWindowSize(this, QStringLiteral("SpecialFunctionsWindowSize"), QSize(1016, 655));
}

QGroupBox* SpecialFunctionsWindow::BuildFunctionGroup()
{
    functionGroup = new QGroupBox(QCoreApplication::translate("SpecialFunctionsWindow", "Special function"), this);
    functionGroup->setObjectName(QStringLiteral("GroupBox_SpecFunc"));
    functionGroup->setFont(ArialFont(19));
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, functionGroup);
        b->setObjectName(QString::fromLatin1(name));
        SetDesignedMinimum(b, {226, 50});
        return b;
    };
    readOhmMemoryButton = button("BitBtn_ReadStOhm", QCoreApplication::translate("SpecialFunctionsWindow", "Read storage OHM"));
    readOhmMemoryButton->setToolTip(QCoreApplication::translate("SpecialFunctionsWindow", "Read int.Ohm stoarge from KRX and save to file."));
    readBreakDownMemoryButton = button("BitBtn_ReadStBD", QCoreApplication::translate("SpecialFunctionsWindow", "Read storage BD"));
    eraseOhmMemoryButton = button("BitBtn_DeleteOhm", QCoreApplication::translate("SpecialFunctionsWindow", "Delete OHM storage"));
    eraseBreakDownMemoryButton = button("BitBtn_DeleteBD", QCoreApplication::translate("SpecialFunctionsWindow", "Delete BD storage"));
    breakDownButton = button("BitBtn_BreakDown", QCoreApplication::translate("SpecialFunctionsWindow", "Break-Down resistance"));
    mainMenuButton = button("BitBtn_Main", QCoreApplication::translate("SpecialFunctionsWindow", "Back to main menu"));

    auto* grid = new QGridLayout(functionGroup);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->addWidget(readOhmMemoryButton, 0, 0);
    grid->addWidget(readBreakDownMemoryButton, 0, 1);
    grid->addWidget(eraseOhmMemoryButton, 1, 0);
    grid->addWidget(eraseBreakDownMemoryButton, 1, 1);
    grid->addWidget(breakDownButton, 2, 0, 1, 2);
    grid->addWidget(mainMenuButton, 3, 0, 1, 2);
    FitGroupLayout(functionGroup, {14, 4, 14, 10});
    return functionGroup;
}

QGroupBox* SpecialFunctionsWindow::BuildRangeGroup()
{
    rangeGroup = new QGroupBox(QCoreApplication::translate("SpecialFunctionsWindow", "Select range"), this);
    rangeGroup->setObjectName(QStringLiteral("GroupBox_SR"));
    rangeGroup->setFont(ArialFont(19));
    // Its place stays free while hidden, so that the break-down group does not move up and down.
    KeepPlaceWhenHidden(rangeGroup);
    rangeFromLabel = new QLabel(QCoreApplication::translate("SpecialFunctionsWindow", "Save files from"), rangeGroup);
    rangeFromLabel->setObjectName(QStringLiteral("Label1"));
    rangeFromField = MakeMaskEdit(QStringLiteral("MaskEdit_from"), QStringLiteral("##;1;_"), QStringLiteral("1 "),
                                 rangeGroup);
    rangeToLabel = new QLabel(QStringLiteral("to"), rangeGroup);
    rangeToLabel->setObjectName(QStringLiteral("Label_to"));
    rangeToField = MakeMaskEdit(QStringLiteral("MaskEdit_to"), QStringLiteral("##"), QStringLiteral("99"), rangeGroup);
    for (QLineEdit* edit : {rangeFromField, rangeToField})
        edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("0000")) + 12);
    rangeSaveButton = MakeBitBtn(QStringLiteral("BitBtn_Set"), QCoreApplication::translate("SpecialFunctionsWindow", "Save"),
                            QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton), rangeGroup);
    SetDesignedMinimum(rangeSaveButton, {132, 40});

    auto* row = new QHBoxLayout(rangeGroup);
    row->setSpacing(4);
    row->addWidget(rangeFromLabel);
    row->addWidget(rangeFromField);
    row->addSpacing(14);
    row->addWidget(rangeToLabel);
    row->addWidget(rangeToField);
    row->addStretch(1);
    row->addWidget(rangeSaveButton);
    FitGroupLayout(rangeGroup, {14, 2, 14, 8});
    return rangeGroup;
}

QGroupBox* SpecialFunctionsWindow::BuildTimersGroup()
{
    timersGroup = new QGroupBox(QCoreApplication::translate("SpecialFunctionsWindow", "Setup timers Break-Down/Break-Off resistance"), this);
    timersGroup->setObjectName(QStringLiteral("GroupBox_Timers"));
    timersGroup->setFont(ArialFont(19));
    breakDownTimerLabel = new QLabel(QCoreApplication::translate("SpecialFunctionsWindow", "BD Timer (Sec.)"), timersGroup);
    breakDownTimerLabel->setObjectName(QStringLiteral("Label_BDTimer"));
    breakDownTimerField = MakeMaskEdit(QStringLiteral("MaskEdit_BD"), QStringLiteral("####;1;"), QStringLiteral("    "),
                               timersGroup);
    breakOffTimerLabel = new QLabel(QCoreApplication::translate("SpecialFunctionsWindow", "BO Timer (Sec.)"), timersGroup);
    breakOffTimerLabel->setObjectName(QStringLiteral("Label_BOTimer"));
    breakOffTimerField = MakeMaskEdit(QStringLiteral("MaskEdit_BO"), QStringLiteral("####;1;_"), QStringLiteral("    "),
                               timersGroup);
    auto* timers = new QHBoxLayout;
    timers->setSpacing(4);
    for (QLineEdit* edit : {breakDownTimerField, breakOffTimerField})
        edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("000000")) + 12);
    for (QWidget* w :
         std::initializer_list<QWidget*>{breakDownTimerLabel, breakDownTimerField, breakOffTimerLabel, breakOffTimerField}) {
        // Hidden during a break-down test; the buttons below stay where they are.
        KeepPlaceWhenHidden(w);
        timers->addWidget(w);
        if (w == breakDownTimerField)
            timers->addStretch(1);
    }

    QStyle* style = QApplication::style();
    startButton = MakeBitBtn(QStringLiteral("BitBtn_Start"), QCoreApplication::translate("SpecialFunctionsWindow", "Start"),
                              style->standardIcon(QStyle::SP_MediaPlay), timersGroup);
    stopButton = MakeBitBtn(QStringLiteral("BitBtn_Stop"), QCoreApplication::translate("SpecialFunctionsWindow", "Stop"),
                             style->standardIcon(QStyle::SP_MediaStop), timersGroup);
    saveButton = MakeBitBtn(QStringLiteral("BitBtn_Save"), QCoreApplication::translate("SpecialFunctionsWindow", "Save"),
                             style->standardIcon(QStyle::SP_DialogSaveButton), timersGroup);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (auto [button, width] : {std::pair{startButton, 206}, {stopButton, 120}, {saveButton, 122}}) {
        SetDesignedMinimum(button, {width, 48});
        buttons->addWidget(button, width);
    }

    // The voltage the meter was set to when Init read it; once the test runs the memo gives the
    // voltage it measures.
    setupVoltageLabel = new QLabel(timersGroup);
    setupVoltageLabel->setObjectName(QStringLiteral("Label_SetupVoltage"));
    setupVoltageLabel->setFont(ArialFont(16));
    KeepPlaceWhenHidden(setupVoltageLabel);

    auto* layout = new QVBoxLayout(timersGroup);
    layout->addLayout(timers);
    layout->addWidget(setupVoltageLabel);
    // At least the designed gap between timers and buttons.
    layout->addSpacerItem(new QSpacerItem(0, 46, QSizePolicy::Minimum, QSizePolicy::MinimumExpanding));
    layout->addLayout(buttons);
    FitGroupLayout(timersGroup, {14, 6, 14, 14});
    timersGroup->hide();
    return timersGroup;
}

QVBoxLayout* SpecialFunctionsWindow::BuildDisplay()
{
    recordDisplay = new QPlainTextEdit(this);
    recordDisplay->setObjectName(QStringLiteral("Memo_Display"));
    recordDisplay->setReadOnly(true);
    recordDisplay->setLineWrapMode(QPlainTextEdit::NoWrap);
    recordDisplay->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    recordDisplay->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    recordDisplay->setFont(CourierFont(16));
    QPalette memoPalette = recordDisplay->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    memoPalette.setColor(QPalette::Text, Qt::black);
    recordDisplay->setPalette(memoPalette);
    recordDisplay->setMinimumSize(360, 300);

    progressLabel = new QLabel(QCoreApplication::translate("SpecialFunctionsWindow", "Break-Down Measurement in progress"), this);
    progressLabel->setObjectName(QStringLiteral("Label_BDP"));
    progressLabel->setAlignment(Qt::AlignCenter);
    progressLabel->setFont(ArialFont(16, true));
    QPalette navy = progressLabel->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    progressLabel->setPalette(navy);
    progressLabel->setMinimumHeight(26);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("LMDProgress_BDP"));
    progressBar->setRange(0, 10);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    QPalette green = progressBar->palette();
    green.setColor(QPalette::Highlight, QColor(0, 0xB0, 0));
    progressBar->setPalette(green);
    progressBar->setMinimumHeight(26);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 6, 0, 7);
    layout->setSpacing(6);
    layout->addWidget(recordDisplay, 1);
    // Shown only during a break-down test; the memo keeps its size meanwhile.
    for (QWidget* w : std::initializer_list<QWidget*>{progressLabel, progressBar}) {
        KeepPlaceWhenHidden(w);
        layout->addWidget(w);
    }
    return layout;
}

void SpecialFunctionsWindow::ConnectControls()
{
    connect(mainMenuButton, &QPushButton::clicked, this, [this] { RunHandler([this] { MainMenuClicked(); }); });
    connect(rangeSaveButton, &QPushButton::clicked, this, [this] { RangeSaveClicked(); });
    connect(readOhmMemoryButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { ReadOhmMemoryClicked(); }); });
    connect(readBreakDownMemoryButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { ReadBreakDownMemoryClicked(); }); });
    connect(eraseOhmMemoryButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { EraseOhmMemoryClicked(); }); });
    connect(eraseBreakDownMemoryButton, &QPushButton::clicked, this,
            [this] { RunHandler([this] { EraseBreakDownMemoryClicked(); }); });
    connect(breakDownButton, &QPushButton::clicked, this, [this] { BreakDownClicked(); });
    connect(startButton, &QPushButton::clicked, this, [this] { StartClicked(); });
    connect(stopButton, &QPushButton::clicked, this, [this] { RunHandler([this] { StopClicked(); }); });
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveClicked(); });
}

void SpecialFunctionsWindow::Enter()
{
    setWindowTitle(session_.Caption(QCoreApplication::translate("SpecialFunctionsWindow", kTitle)));
    show();
    saveButton->setEnabled(false);
    functionGroup->show();
    rangeGroup->hide();
    recordDisplay->clear();
    // The filing buttons belong to what the display showed.
    OfferRecords({});
    OfferBreakDownResult(nullptr);
}

void SpecialFunctionsWindow::MainMenuClicked()
{
    timersGroup->hide();
    hide();
    emit MainWanted();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
    progressLabel->setText(QString());
}

void SpecialFunctionsWindow::FormClose()
{
    hide();
    emit MainWanted();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
}

void SpecialFunctionsWindow::RangeSaveClicked()
{
    RangeSaveRequested = true;
    readOut_.RequestRange(rangeFromField->text(), rangeToField->text());
}

SpecialFunctionsWindow::~SpecialFunctionsWindow() = default;

void SpecialFunctionsWindow::hideEvent(QHideEvent* event)
{
    // A minimised window is hidden by the window system (spontaneous); it is still open. Once left,
    // the window shows its range group no more, so a waiting read-out has nothing to wait for.
    if (!event->spontaneous())
        readOut_.RequestLeave();
    QWidget::hideEvent(event);
}

void SpecialFunctionsWindow::closeEvent(QCloseEvent* event)
{
    if (LeaveBreakDownTest()) {
        event->ignore();
        return;
    }
    // The window only hides; it lives until the program ends.
    event->accept();
    RunHandler([this] { FormClose(); });
}
