#pragma once
// The special-functions window: memory read-outs and exports, memory deletion and the break-down
// test. This file holds the window itself; each procedure lives in a file of its own.

#include "common/save_dialog.h"
#include "device/usb.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TForm_SonFunc : public QWidget {
    Q_OBJECT
public:
    TForm_SonFunc();

    QGroupBox* GroupBox_SpecFunc;
    QPushButton* BitBtn_ReadStOhm;
    QPushButton* BitBtn_ReadStBD;
    QPushButton* BitBtn_BreakDown;
    QPushButton* BitBtn_Main;
    QPushButton* BitBtn_DeleteOhm;
    QPushButton* BitBtn_DeleteBD;
    QPlainTextEdit* Memo_Display;
    krx::SaveDialog SaveDialog_Ohm;
    QGroupBox* GroupBox_SR;
    QLabel* Label1;
    QLineEdit* MaskEdit_from;
    QLabel* Label_to;
    QLineEdit* MaskEdit_to;
    QPushButton* BitBtn_Set;
    QGroupBox* GroupBox_Timers;
    QLabel* Label_BDTimer;
    QLineEdit* MaskEdit_BD;
    QLabel* Label_BOTimer;
    QLineEdit* MaskEdit_BO;
    QPushButton* BitBtn_Start;
    QPushButton* BitBtn_Stop;
    QPushButton* BitBtn_Save;
    QLabel* Label_BDP;
    QProgressBar* LMDProgress_BDP;

    USB Usb;  // the special-functions window's command set

    bool RangeSaveRequested = false;  // "Save" of the range group pressed; awaited by the read-outs

    void BitBtn_MainClick();
    void FormClose();
    void BitBtn_SetClick();

    // ---- Memory read-outs, exports and deletion (src/memory/readout.cpp) ----

    // ---- end of memory read-outs ----

    // ---- Break-down and break-off test (src/breakdown/breakdown.cpp) ----

    // ---- end of break-down test ----

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
};

extern TForm_SonFunc* Form_SonFunc;
