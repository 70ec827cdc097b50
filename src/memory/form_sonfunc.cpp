// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/form_sonfunc.h"

#include "device/protocol.h"
#include "memory/readout_view.h"

#include "app/form_main.h"
#include "common/controls.h"
#include "common/ui_wait.h"

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

TForm_SonFunc* Form_SonFunc = nullptr;

TForm_SonFunc::TForm_SonFunc(krx::ProcedureRunner& runner)
    : runner_(runner), readOutView_(std::make_unique<ReadOutView>(*this)), readOut_(Usb, runner, *readOutView_)
{
    setObjectName(QStringLiteral("Form_SonFunc"));
    setWindowTitle(QStringLiteral("Special function"));
    BuildControls();
    ApplyWindowStyle(this);
    CentreOnPrimaryScreen(this);
    Label_BDP->hide();
    LMDProgress_BDP->hide();
}

void TForm_SonFunc::BuildControls()
{
    setFont(SmallSansFont());
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(BuildFunctionGroup());
    left->addWidget(BuildRangeGroup());
    left->addWidget(BuildTimersGroup());
    left->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(12);
    layout->addLayout(left);
    layout->addLayout(BuildDisplay(), 1);
    ConnectControls();
    resize(1016, 655);
}

QGroupBox* TForm_SonFunc::BuildFunctionGroup()
{
    GroupBox_SpecFunc = new QGroupBox(QStringLiteral("Special function"), this);
    GroupBox_SpecFunc->setObjectName(QStringLiteral("GroupBox_SpecFunc"));
    GroupBox_SpecFunc->setFont(ArialFont(19));
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, GroupBox_SpecFunc);
        b->setObjectName(QString::fromLatin1(name));
        SetDesignedMinimum(b, {226, 50});
        return b;
    };
    BitBtn_ReadStOhm = button("BitBtn_ReadStOhm", QStringLiteral("Read storage OHM"));
    BitBtn_ReadStOhm->setToolTip(QStringLiteral("Read int.Ohm stoarge from KRX and save to file."));
    BitBtn_ReadStBD = button("BitBtn_ReadStBD", QStringLiteral("Read storage BD"));
    BitBtn_DeleteOhm = button("BitBtn_DeleteOhm", QStringLiteral("Delete OHM storage"));
    BitBtn_DeleteBD = button("BitBtn_DeleteBD", QStringLiteral("Delete BD storage"));
    BitBtn_BreakDown = button("BitBtn_BreakDown", QStringLiteral("Break-Down resistance"));
    BitBtn_Main = button("BitBtn_Main", QStringLiteral("Back to main menu"));

    auto* grid = new QGridLayout(GroupBox_SpecFunc);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->addWidget(BitBtn_ReadStOhm, 0, 0);
    grid->addWidget(BitBtn_ReadStBD, 0, 1);
    grid->addWidget(BitBtn_DeleteOhm, 1, 0);
    grid->addWidget(BitBtn_DeleteBD, 1, 1);
    grid->addWidget(BitBtn_BreakDown, 2, 0, 1, 2);
    grid->addWidget(BitBtn_Main, 3, 0, 1, 2);
    FitGroupLayout(GroupBox_SpecFunc, {14, 4, 14, 10});
    return GroupBox_SpecFunc;
}

QGroupBox* TForm_SonFunc::BuildRangeGroup()
{
    GroupBox_SR = new QGroupBox(QStringLiteral("Select range"), this);
    GroupBox_SR->setObjectName(QStringLiteral("GroupBox_SR"));
    GroupBox_SR->setFont(ArialFont(19));
    // Its place stays free while hidden, so that the break-down group does not move up and down.
    KeepPlaceWhenHidden(GroupBox_SR);
    Label1 = new QLabel(QStringLiteral("Save files from"), GroupBox_SR);
    Label1->setObjectName(QStringLiteral("Label1"));
    MaskEdit_from = MakeMaskEdit(QStringLiteral("MaskEdit_from"), QStringLiteral("##;1;_"), QStringLiteral("1 "),
                                 GroupBox_SR);
    Label_to = new QLabel(QStringLiteral("to"), GroupBox_SR);
    Label_to->setObjectName(QStringLiteral("Label_to"));
    MaskEdit_to = MakeMaskEdit(QStringLiteral("MaskEdit_to"), QStringLiteral("##"), QStringLiteral("99"), GroupBox_SR);
    for (QLineEdit* edit : {MaskEdit_from, MaskEdit_to})
        edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("0000")) + 12);
    BitBtn_Set = MakeBitBtn(QStringLiteral("BitBtn_Set"), QStringLiteral("Save"),
                            QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton), GroupBox_SR);
    SetDesignedMinimum(BitBtn_Set, {132, 40});

    auto* row = new QHBoxLayout(GroupBox_SR);
    row->setSpacing(4);
    row->addWidget(Label1);
    row->addWidget(MaskEdit_from);
    row->addSpacing(14);
    row->addWidget(Label_to);
    row->addWidget(MaskEdit_to);
    row->addStretch(1);
    row->addWidget(BitBtn_Set);
    FitGroupLayout(GroupBox_SR, {14, 2, 14, 8});
    return GroupBox_SR;
}

QGroupBox* TForm_SonFunc::BuildTimersGroup()
{
    GroupBox_Timers = new QGroupBox(QStringLiteral("Setup timers Break-Down/Break-Off resistance"), this);
    GroupBox_Timers->setObjectName(QStringLiteral("GroupBox_Timers"));
    GroupBox_Timers->setFont(ArialFont(19));
    Label_BDTimer = new QLabel(QStringLiteral("BD Timer (Sec.)"), GroupBox_Timers);
    Label_BDTimer->setObjectName(QStringLiteral("Label_BDTimer"));
    MaskEdit_BD = MakeMaskEdit(QStringLiteral("MaskEdit_BD"), QStringLiteral("####;1;"), QStringLiteral("    "),
                               GroupBox_Timers);
    Label_BOTimer = new QLabel(QStringLiteral("BO Timer (Sec.)"), GroupBox_Timers);
    Label_BOTimer->setObjectName(QStringLiteral("Label_BOTimer"));
    MaskEdit_BO = MakeMaskEdit(QStringLiteral("MaskEdit_BO"), QStringLiteral("####;1;_"), QStringLiteral("    "),
                               GroupBox_Timers);
    auto* timers = new QHBoxLayout;
    timers->setSpacing(4);
    for (QLineEdit* edit : {MaskEdit_BD, MaskEdit_BO})
        edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("000000")) + 12);
    for (QWidget* w : std::initializer_list<QWidget*>{Label_BDTimer, MaskEdit_BD, Label_BOTimer, MaskEdit_BO}) {
        // Hidden during a break-down test; the buttons below stay where they are.
        KeepPlaceWhenHidden(w);
        timers->addWidget(w);
        if (w == MaskEdit_BD)
            timers->addStretch(1);
    }

    QStyle* style = QApplication::style();
    BitBtn_Start = MakeBitBtn(QStringLiteral("BitBtn_Start"), QStringLiteral("Start"),
                              style->standardIcon(QStyle::SP_MediaPlay), GroupBox_Timers);
    BitBtn_Stop = MakeBitBtn(QStringLiteral("BitBtn_Stop"), QStringLiteral("Stop"),
                             style->standardIcon(QStyle::SP_MediaStop), GroupBox_Timers);
    BitBtn_Save = MakeBitBtn(QStringLiteral("BitBtn_Save"), QStringLiteral("Save"),
                             style->standardIcon(QStyle::SP_DialogSaveButton), GroupBox_Timers);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (auto [button, width] : {std::pair{BitBtn_Start, 206}, {BitBtn_Stop, 120}, {BitBtn_Save, 122}}) {
        SetDesignedMinimum(button, {width, 48});
        buttons->addWidget(button, width);
    }

    auto* layout = new QVBoxLayout(GroupBox_Timers);
    layout->addLayout(timers);
    // At least the designed gap between timers and buttons.
    layout->addSpacerItem(new QSpacerItem(0, 46, QSizePolicy::Minimum, QSizePolicy::MinimumExpanding));
    layout->addLayout(buttons);
    FitGroupLayout(GroupBox_Timers, {14, 6, 14, 14});
    GroupBox_Timers->hide();
    return GroupBox_Timers;
}

QVBoxLayout* TForm_SonFunc::BuildDisplay()
{
    Memo_Display = new QPlainTextEdit(this);
    Memo_Display->setObjectName(QStringLiteral("Memo_Display"));
    Memo_Display->setReadOnly(true);
    Memo_Display->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_Display->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Display->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Display->setFont(CourierFont(16));
    QPalette memoPalette = Memo_Display->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    memoPalette.setColor(QPalette::Text, Qt::black);
    Memo_Display->setPalette(memoPalette);
    Memo_Display->setMinimumSize(360, 300);

    Label_BDP = new QLabel(QStringLiteral("Break-Down Measurement in progress"), this);
    Label_BDP->setObjectName(QStringLiteral("Label_BDP"));
    Label_BDP->setAlignment(Qt::AlignCenter);
    Label_BDP->setFont(ArialFont(16, true));
    QPalette navy = Label_BDP->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    Label_BDP->setPalette(navy);
    Label_BDP->setMinimumHeight(26);

    LMDProgress_BDP = new QProgressBar(this);
    LMDProgress_BDP->setObjectName(QStringLiteral("LMDProgress_BDP"));
    LMDProgress_BDP->setRange(0, 10);
    LMDProgress_BDP->setValue(0);
    LMDProgress_BDP->setTextVisible(false);
    QPalette green = LMDProgress_BDP->palette();
    green.setColor(QPalette::Highlight, QColor(0, 0xB0, 0));
    LMDProgress_BDP->setPalette(green);
    LMDProgress_BDP->setMinimumHeight(26);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 6, 0, 7);
    layout->setSpacing(6);
    layout->addWidget(Memo_Display, 1);
    // Shown only during a break-down test; the memo keeps its size meanwhile.
    for (QWidget* w : std::initializer_list<QWidget*>{Label_BDP, LMDProgress_BDP}) {
        KeepPlaceWhenHidden(w);
        layout->addWidget(w);
    }
    return layout;
}

void TForm_SonFunc::ConnectControls()
{
    connect(BitBtn_Main, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_MainClick(); }); });
    connect(BitBtn_Set, &QPushButton::clicked, this, [this] { BitBtn_SetClick(); });
    connect(BitBtn_ReadStOhm, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_ReadStOhmClick(); }); });
    connect(BitBtn_ReadStBD, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_ReadStBDClick(); }); });
    connect(BitBtn_DeleteOhm, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_DeleteOhmClick(); }); });
    connect(BitBtn_DeleteBD, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_DeleteBDClick(); }); });
    connect(BitBtn_BreakDown, &QPushButton::clicked, this, [this] { BitBtn_BreakDownClick(); });
    connect(BitBtn_Start, &QPushButton::clicked, this, [this] { BitBtn_StartClick(); });
    connect(BitBtn_Stop, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_StopClick(); }); });
    connect(BitBtn_Save, &QPushButton::clicked, this, [this] { BitBtn_SaveClick(); });
}

void TForm_SonFunc::BitBtn_MainClick()
{
    GroupBox_Timers->hide();
    hide();
    Form_Main->show();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
    Label_BDP->setText(QString());
}

void TForm_SonFunc::FormClose()
{
    hide();
    Form_Main->show();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
}

void TForm_SonFunc::BitBtn_SetClick()
{
    RangeSaveRequested = true;
    readOut_.RequestRange(MaskEdit_from->text(), MaskEdit_to->text());
}

TForm_SonFunc::~TForm_SonFunc() = default;

void TForm_SonFunc::hideEvent(QHideEvent* event)
{
    // A minimised window is hidden by the window system (spontaneous); it is still open. Once left,
    // the window shows its range group no more, so a waiting read-out has nothing to wait for.
    if (!event->spontaneous())
        readOut_.RequestLeave();
    QWidget::hideEvent(event);
}

void TForm_SonFunc::closeEvent(QCloseEvent* event)
{
    if (LeaveBreakDownTest()) {
        event->ignore();
        return;
    }
    // The window only hides; it lives until the program ends.
    event->accept();
    RunHandler([this] { FormClose(); });
}
