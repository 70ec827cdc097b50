// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/form_sonfunc.h"

#include "device/protocol.h"
#include "memory/readout_view.h"

#include "app/form_main.h"
#include "common/controls.h"
#include "common/ui_wait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

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
    setFixedSize(1016, 655);
    setFont(SmallSansFont());
    const QFont large = ArialFont(19);
    QStyle* style = QApplication::style();

    GroupBox_SpecFunc = new QGroupBox(QStringLiteral("Special function"), this);
    GroupBox_SpecFunc->setObjectName(QStringLiteral("GroupBox_SpecFunc"));
    GroupBox_SpecFunc->setFont(large);
    GroupBox_SpecFunc->setGeometry(8, 8, 492, 270);
    auto button = [](QWidget* parent, const char* name, const QString& caption, const QRect& r) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(r);
        return b;
    };
    BitBtn_ReadStOhm = button(GroupBox_SpecFunc, "BitBtn_ReadStOhm", QStringLiteral("Read storage OHM"),
                              {14, 36, 226, 50});
    BitBtn_ReadStOhm->setToolTip(QStringLiteral("Read int.Ohm stoarge from KRX and save to file."));
    BitBtn_ReadStBD = button(GroupBox_SpecFunc, "BitBtn_ReadStBD", QStringLiteral("Read storage BD"),
                             {252, 36, 226, 50});
    BitBtn_DeleteOhm = button(GroupBox_SpecFunc, "BitBtn_DeleteOhm", QStringLiteral("Delete OHM storage"),
                              {14, 94, 226, 50});
    BitBtn_DeleteBD = button(GroupBox_SpecFunc, "BitBtn_DeleteBD", QStringLiteral("Delete BD storage"),
                             {252, 94, 226, 50});
    BitBtn_BreakDown = button(GroupBox_SpecFunc, "BitBtn_BreakDown", QStringLiteral("Break-Down resistance"),
                              {14, 152, 464, 50});
    BitBtn_Main = button(GroupBox_SpecFunc, "BitBtn_Main", QStringLiteral("Back to main menu"), {14, 210, 464, 50});

    GroupBox_SR = new QGroupBox(QStringLiteral("Select range"), this);
    GroupBox_SR->setObjectName(QStringLiteral("GroupBox_SR"));
    GroupBox_SR->setFont(large);
    GroupBox_SR->setGeometry(8, 286, 492, 78);
    Label1 = new QLabel(QStringLiteral("Save files from"), GroupBox_SR);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(14, 34, 140, 32);
    MaskEdit_from = MakeMaskEdit(QStringLiteral("MaskEdit_from"), QStringLiteral("##;1;_"), QStringLiteral("1 "),
                                 GroupBox_SR);
    MaskEdit_from->setGeometry(158, 34, 56, 32);
    Label_to = new QLabel(QStringLiteral("to"), GroupBox_SR);
    Label_to->setObjectName(QStringLiteral("Label_to"));
    Label_to->setGeometry(228, 34, 30, 32);
    MaskEdit_to = MakeMaskEdit(QStringLiteral("MaskEdit_to"), QStringLiteral("##"), QStringLiteral("99"), GroupBox_SR);
    MaskEdit_to->setGeometry(258, 34, 56, 32);
    BitBtn_Set = MakeBitBtn(QStringLiteral("BitBtn_Set"), QStringLiteral("Save"),
                            style->standardIcon(QStyle::SP_DialogSaveButton), GroupBox_SR);
    BitBtn_Set->setGeometry(346, 30, 132, 40);

    GroupBox_Timers = new QGroupBox(QStringLiteral("Setup timers Break-Down/Break-Off resistance"), this);
    GroupBox_Timers->setObjectName(QStringLiteral("GroupBox_Timers"));
    GroupBox_Timers->setFont(large);
    GroupBox_Timers->setGeometry(8, 372, 492, 180);
    Label_BDTimer = new QLabel(QStringLiteral("BD Timer (Sec.)"), GroupBox_Timers);
    Label_BDTimer->setObjectName(QStringLiteral("Label_BDTimer"));
    Label_BDTimer->setGeometry(14, 38, 150, 32);
    MaskEdit_BD = MakeMaskEdit(QStringLiteral("MaskEdit_BD"), QStringLiteral("####;1;"), QStringLiteral("    "),
                               GroupBox_Timers);
    MaskEdit_BD->setGeometry(168, 38, 72, 32);
    Label_BOTimer = new QLabel(QStringLiteral("BO Timer (Sec.)"), GroupBox_Timers);
    Label_BOTimer->setObjectName(QStringLiteral("Label_BOTimer"));
    Label_BOTimer->setGeometry(256, 38, 150, 32);
    MaskEdit_BO = MakeMaskEdit(QStringLiteral("MaskEdit_BO"), QStringLiteral("####;1;_"), QStringLiteral("    "),
                               GroupBox_Timers);
    MaskEdit_BO->setGeometry(406, 38, 72, 32);
    BitBtn_Start = MakeBitBtn(QStringLiteral("BitBtn_Start"), QStringLiteral("Start"),
                              style->standardIcon(QStyle::SP_MediaPlay), GroupBox_Timers);
    BitBtn_Start->setGeometry(14, 116, 206, 48);
    BitBtn_Stop = MakeBitBtn(QStringLiteral("BitBtn_Stop"), QStringLiteral("Stop"),
                             style->standardIcon(QStyle::SP_MediaStop), GroupBox_Timers);
    BitBtn_Stop->setGeometry(228, 116, 120, 48);
    BitBtn_Save = MakeBitBtn(QStringLiteral("BitBtn_Save"), QStringLiteral("Save"),
                             style->standardIcon(QStyle::SP_DialogSaveButton), GroupBox_Timers);
    BitBtn_Save->setGeometry(356, 116, 122, 48);
    GroupBox_Timers->hide();

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
    Memo_Display->setGeometry(512, 14, 496, 560);

    Label_BDP = new QLabel(QStringLiteral("Break-Down Measurement in progress"), this);
    Label_BDP->setObjectName(QStringLiteral("Label_BDP"));
    Label_BDP->setAlignment(Qt::AlignCenter);
    Label_BDP->setFont(ArialFont(16, true));
    QPalette navy = Label_BDP->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    Label_BDP->setPalette(navy);
    Label_BDP->setGeometry(512, 582, 496, 26);

    LMDProgress_BDP = new QProgressBar(this);
    LMDProgress_BDP->setObjectName(QStringLiteral("LMDProgress_BDP"));
    LMDProgress_BDP->setRange(0, 10);
    LMDProgress_BDP->setValue(0);
    LMDProgress_BDP->setTextVisible(false);
    QPalette green = LMDProgress_BDP->palette();
    green.setColor(QPalette::Highlight, QColor(0, 0xB0, 0));
    LMDProgress_BDP->setPalette(green);
    LMDProgress_BDP->setGeometry(512, 614, 496, 26);

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
