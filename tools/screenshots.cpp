// Renders each window in typical states against the simulated meter, on a virtual clock so that
// the pauses cost nothing: krx738_screenshots OUTPUT_FOLDER

#include "app/form_main.h"
#include "app/settings.h"
#include "app/startup.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "device/backend.h"
#include "measure/form_meas.h"
#include "memory/form_sonfunc.h"
#include "sim/sim_backend.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int g_failures = 0;

void Save(QWidget* window, const QString& folder, const QString& name)
{
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: krx738_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    krx::VirtualClock clock;
    krx::SetClock(&clock);
    krx::SetUsbBackend(std::make_unique<krx::sim::SimBackend>(krx::sim::Scenario::Default()));
    QTemporaryDir settingsDir;
    krx::SetSettingsFilePath(settingsDir.filePath(QStringLiteral("KRX_SETUP.INI")));
    krx::SetProgramParameters({QStringLiteral("krx738")});

    krx::CreateWindows();
    Form_Main->show();
    Save(Form_Main, folder, QStringLiteral("main_before_init"));

    Form_Main->Button_Init->click();
    Save(Form_Main, folder, QStringLiteral("main_after_init"));

    Form_Main->BitBtn_Measuring->click();
    // A reading on screen as the measurement cycle shows it, so that the picture shows the sizes.
    Form_Meas->Label_Temp_V->setText(QStringLiteral("22.5 C"));
    Form_Meas->Label_Humi_V->setText(QStringLiteral("45 %"));
    Form_Meas->Label_ResistaceValue->setText(QStringLiteral("1.23 GOhm"));
    Form_Meas->ShowReadingLabels(true);
    Form_Meas->Label_Mv->setText(QStringLiteral("Measuring voltage : 500V"));
    Form_Meas->Label_St_V->setText(QStringLiteral("1000 mSec"));
    Save(Form_Meas, folder, QStringLiteral("measuring"));
    Form_Meas->BitBtn_Back->click();

    Form_Main->BitBtn_Measuring_timer->click();
    Save(Form_Meas, folder, QStringLiteral("measuring_with_timer"));
    Form_Meas->BitBtn_Back->click();

    Form_Main->BitBtn_Special_function->click();
    Save(Form_SonFunc, folder, QStringLiteral("special_function"));

    // The break-down test's controls, as the test shows them while it runs.
    Form_SonFunc->GroupBox_Timers->show();
    Form_SonFunc->GroupBox_SR->show();
    Form_SonFunc->MaskEdit_BD->setText(QStringLiteral("30"));
    Form_SonFunc->MaskEdit_BO->setText(QStringLiteral("20"));
    Form_SonFunc->BitBtn_Start->setText(QStringLiteral("Start Break-Down"));
    Form_SonFunc->Label_BDP->setText(QStringLiteral("Break-Down Measurement in progress !"));
    Form_SonFunc->Label_BDP->show();
    Form_SonFunc->LMDProgress_BDP->setMaximum(20);
    Form_SonFunc->LMDProgress_BDP->setValue(7);
    Form_SonFunc->LMDProgress_BDP->show();
    Form_SonFunc->Memo_Display->appendPlainText(QStringLiteral("Start Break-Down Measuring !\n"
                                                               "---------------------------------"));
    Save(Form_SonFunc, folder, QStringLiteral("special_function_controls"));

    return g_failures == 0 ? 0 : 1;
}
