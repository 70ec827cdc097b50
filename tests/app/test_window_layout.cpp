// SPDX-License-Identifier: GPL-3.0-or-later
// The windows are laid out, not placed: they can be resized down to a minimum size at which no
// control covers another or is cut, also with a larger application font, and what shows readings
// takes the room gained. fitsTheScreen runs once per screen (CMakeLists: 1366x768, 1280x720, and
// 1920x1080 with a 1.5x font): every window opens within it with every control on it and whole,
// in English and in German (KRX_TEST_LANGUAGE), and the German one shows no English left over.
#include "app_windows.h"
#include "sim_fixture.h"

#include "ui/history/history_window.h"
#include "ui/main_window.h"
#include "core/language.h"
#include "core/settings.h"
#include "ui/window_size.h"
#include "ui/measurement/measurement_window.h"
#include "ui/record/reading_plot.h"
#include "ui/record/figures_panel.h"
#include "ui/record/record_view.h"
#include "ui/special_functions/special_functions_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QXmlStreamReader>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>

using krx::test::MainWin;
using krx::test::MeasWin;
using krx::test::SpecialWin;
using krx::test::AppWindows;
using krx::test::SimSetup;

namespace {

void Settle(QWidget* window, const QSize& size)
{
    window->resize(size);
    window->layout()->activate();
    QApplication::processEvents();
}

// Visible siblings that overlap, controls outside their parent, and texts cut short, by name.
QStringList LayoutFaults(const QWidget* parent)
{
    QStringList faults;
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisibleTo(parent) && !child->isWindow())
            shown.append(child);
    // A scroll area's content may be larger than its viewport: it is reached by scrolling.
    const bool scrolled = parent->parentWidget() && qobject_cast<const QScrollArea*>(parent->parentWidget());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QWidget* a = shown[i];
        if (!scrolled && !parent->rect().contains(a->geometry()))
            faults << a->objectName() + QStringLiteral(" outside ") + parent->objectName();
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (a->geometry().intersects(shown[j]->geometry()))
                faults << a->objectName() + QStringLiteral(" covers ") + shown[j]->objectName();
        const bool text = (qobject_cast<const QLabel*>(a) && !qobject_cast<const QLabel*>(a)->text().isEmpty()) ||
                          qobject_cast<const QAbstractButton*>(a);
        // A wrapped text needs its lines at the width it was given.
        const auto* label = qobject_cast<const QLabel*>(a);
        const bool cut = label && label->wordWrap()
                             ? a->height() < a->heightForWidth(a->width())
                             : a->width() < a->sizeHint().width() || a->height() < a->minimumSizeHint().height();
        if (text && cut)
            faults << a->objectName() + QStringLiteral(" cut");
        faults << LayoutFaults(a);
    }
    return faults;
}

QStringList Words(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-zÄÖÜäöüß]{3,}"));
    QStringList words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words << it.next().captured().toLower();
    return words;
}

// The words of the catalogue's English texts that none of its German ones uses: names, units and
// terms both languages share drop out, what is left is English only.
QSet<QString> EnglishOnlyWords(const QString& catalogue)
{
    QFile file(catalogue);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> english, german;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source"))
            for (const QString& w : Words(xml.readElementText()))
                english.insert(w);
        else if (xml.name() == QLatin1String("translation"))
            for (const QString& w : Words(xml.readElementText(QXmlStreamReader::IncludeChildElements)))
                german.insert(w);
    }
    return english - german;
}

// Every text a person reads in the window and its children that holds one of `englishOnly`. The
// program's maker name is a name; the judged values (verdicts, their sources, the correction and
// notes) are kept in English for now, as the history stores them.
QStringList EnglishLeft(const QWidget* window, const QSet<QString>& englishOnly)
{
    static const QStringList judged{QStringLiteral("IrVerdict"), QStringLiteral("PiVerdict"),
                                    QStringLiteral("DarVerdict"), QStringLiteral("TemperatureLine"),
                                    QStringLiteral("FigureNotes")};
    QStringList found;
    const auto check = [&](const QWidget* w, QString text) {
        if (judged.contains(w->objectName()))
            return;
        text.remove(QStringLiteral("KRX 738 Read-Out Project"));
        for (const QString& word : Words(text))
            if (englishOnly.contains(word))
                found << QStringLiteral("%1: \"%2\"").arg(w->objectName(), text);
    };
    check(window, window->windowTitle());
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        check(w, w->toolTip());
        if (const auto* label = qobject_cast<const QLabel*>(w))
            check(w, label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            check(w, button->text());
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            check(w, group->title());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            check(w, edit->placeholderText());
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                check(w, combo->itemText(i));
        if (const auto* header = qobject_cast<const QHeaderView*>(w))
            for (int i = 0; header->model() && i < header->count(); ++i)
                check(w, header->model()->headerData(i, header->orientation()).toString());
    }
    found.removeDuplicates();
    return found;
}

// Eleven minutes of readings that rise as the simulated meter's do, stable from 3 s on.
std::vector<krx::DataRecord> LongRun()
{
    std::vector<krx::DataRecord> run;
    for (int t = 0; t <= 660; t += 2) {
        krx::DataRecord r;
        r.time = QDateTime(QDate(2026, 3, 7), QTime(9, 0)).addSecs(t);
        r.elapsedSeconds = t;
        r.resistanceOhm = 4e10 - (4e10 - 2e8) * std::exp(-t / 90.0);
        r.volts = t < 3 ? 200 : 500;
        r.stable = t >= 3;
        r.temperature = 9.0;  // at the dew point: the longest notes
        r.humidity = 99;
        run.push_back(r);
    }
    return run;
}

// The application font scaled for one test; the windows read it when they are created.
class ApplicationFont {
public:
    explicit ApplicationFont(qreal scale) : saved_(QApplication::font())
    {
        QFont larger = saved_;
        larger.setPointSizeF(saved_.pointSizeF() * scale);
        QApplication::setFont(larger);
    }
    ~ApplicationFont() { QApplication::setFont(saved_); }

private:
    QFont saved_;
};

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
    void sizeComesBackWithinTheScreen();
    void splitComesBack();
    void titleSaysSimulated();
    void resizableWithoutFaults_data();
    void resizableWithoutFaults();
    void readingsTakeTheRoom();
};

void WindowLayoutTest::resizableWithoutFaults_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<qreal>("fontScale");
    for (const qreal scale : {1.0, 1.5}) {
        const QByteArray font = scale > 1 ? " with a larger font" : "";
        QTest::newRow("main" + font) << 0 << scale;
        QTest::newRow("measurement" + font) << 1 << scale;
        QTest::newRow("special functions" + font) << 2 << scale;
    }
}


void WindowLayoutTest::resizableWithoutFaults()
{
    QFETCH(int, window);
    QFETCH(qreal, fontScale);
    SimSetup t;
    int designedPixels = 0;  // the resistance's font at the designed size
    {
        AppWindows plain;
        designedPixels = QFontInfo(MeasWin()->resistanceLabel->font()).pixelSize();
    }
    ApplicationFont font(fontScale);
    AppWindows w;
    // The designed fonts follow the application font.
    QCOMPARE(QFontInfo(MeasWin()->resistanceLabel->font()).pixelSize(), qRound(designedPixels * fontScale));
    MainWin()->show();
    // Laid out before Init, as the user sees it first: Init's texts must widen it again.
    QApplication::processEvents();
    MainWin()->initButton->click();
    QWidget* shown = MainWin();
    if (window == 1) {
        MainWin()->timerMeasuringButton->click();
        MeasWin()->ShowReadingLabels(true);
        MeasWin()->resistanceLabel->setText(QStringLiteral("1.23 GOhm"));
        shown = MeasWin();
    } else if (window == 2) {
        MainWin()->specialFunctionsButton->click();
        SpecialWin()->rangeGroup->show();
        SpecialWin()->timersGroup->show();
        SpecialWin()->progressLabel->show();
        SpecialWin()->progressBar->show();
        shown = SpecialWin();
    }
    QVERIFY(shown->isVisible());
    // As the user first sees it, before any resize.
    QApplication::processEvents();
    const QStringList faults = LayoutFaults(shown);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
    const QSize designed = shown->size();
    const QSize minimum = shown->minimumSize();
    QVERIFY(minimum.isValid() && !minimum.isEmpty());
    QVERIFY(shown->maximumSize().width() > designed.width() && shown->maximumSize().height() > designed.height());
    QVERIFY(designed.width() >= minimum.width() && designed.height() >= minimum.height());

    for (const QSize size : {designed, minimum, designed * 3 / 2}) {
        Settle(shown, size);
        QCOMPARE(shown->size(), size);
        QVERIFY2(LayoutFaults(shown).isEmpty(), qPrintable(LayoutFaults(shown).join(QStringLiteral(", "))));
    }
    // Smaller than the minimum is refused.
    Settle(shown, minimum - QSize(50, 50));
    QCOMPARE(shown->size(), minimum);
}

void WindowLayoutTest::fitsTheScreen_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("main") << 0;
    QTest::newRow("measuring") << 1;
    QTest::newRow("measuring with timer") << 4;
    QTest::newRow("special functions") << 2;
    QTest::newRow("history") << 3;
}

void WindowLayoutTest::fitsTheScreen()
{
    QFETCH(int, window);
    if (!qEnvironmentVariableIsSet("KRX_FONT_SCALE"))
        QSKIP("runs on the screens its CMakeLists gives it");
    SimSetup t;
    ApplicationFont font(qEnvironmentVariableIsSet("KRX_FONT_SCALE") ? qEnvironmentVariable("KRX_FONT_SCALE").toDouble()
                                                                      : 1.0);
    krx::Language language = krx::Language::English;
    QVERIFY(krx::ParseLanguage(qEnvironmentVariable("KRX_TEST_LANGUAGE", QStringLiteral("en")), language));
    QVERIFY(krx::UseLanguage(language).isEmpty());
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    QWidget* shown = MainWin();
    if (window == 1 || window == 4) {
        (window == 1 ? MainWin()->measuringButton : MainWin()->timerMeasuringButton)->click();
        MeasWin()->ShowReadingLabels(true);
        MeasWin()->resistanceLabel->setText(QStringLiteral("1.23 GOhm"));
        shown = MeasWin();
    } else if (window == 2) {
        MainWin()->specialFunctionsButton->click();
        SpecialWin()->rangeGroup->show();
        SpecialWin()->timersGroup->show();
        SpecialWin()->progressLabel->show();
        SpecialWin()->progressBar->show();
        shown = SpecialWin();
    } else if (window == 3) {
        MainWin()->historyButton->click();
        shown = MainWin()->History();
    }
    QVERIFY(shown && shown->isVisible());
    QApplication::processEvents();
    const QRect screen = shown->screen()->availableGeometry();
    const QSize room = krx::ScreenRoom(shown);
    if (shown == MeasWin()) {
        // After a long run the figures and their verdicts are at their longest.
        for (const krx::DataRecord& r : LongRun())
            MeasWin()->recordView->Add(r);
        MeasWin()->recordView->RefreshFigures();
        QApplication::processEvents();
    }
    QVERIFY2(shown->width() <= room.width() && shown->height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2 on %3x%4")
                            .arg(shown->width()).arg(shown->height()).arg(screen.width()).arg(screen.height())));
    // Every control within the window and whole, the window at the place the screen gives it.
    QVERIFY2(LayoutFaults(shown).isEmpty(), qPrintable(LayoutFaults(shown).join(QStringLiteral(", "))));
    if (language == krx::Language::German) {
        const QSet<QString> englishOnly = EnglishOnlyWords(qEnvironmentVariable("KRX_CATALOGUE"));
        QVERIFY(englishOnly.contains(QStringLiteral("measuring")));  // the catalogue was read
        const QStringList left = EnglishLeft(shown, englishOnly);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QStringLiteral(", "))));
    }
    // Shrunk to its minimum, it still fits: the person may make room for another window.
    Settle(shown, shown->minimumSize());
    QVERIFY(shown->width() <= room.width() && shown->height() <= room.height());
    QVERIFY2(LayoutFaults(shown).isEmpty(), qPrintable(LayoutFaults(shown).join(QStringLiteral(", "))));
    krx::UseLanguage(krx::Language::English);
}

void WindowLayoutTest::sizeComesBackWithinTheScreen()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("KRX_SETUP.INI"));
    krx::SetSettingsFilePath(settings);
    auto opened = [&](const QByteArray& stored) {
        QFile f(settings);
        f.open(QIODevice::WriteOnly);
        f.write("[KRX 738]\r\nTestWindowSize=" + stored + "\r\n");
        f.close();
        QWidget w;
        auto* layout = new QVBoxLayout(&w);
        layout->addWidget(new QLabel(QStringLiteral("a control")));
        krx::KeepWindowSize(&w, QStringLiteral("TestWindowSize"), QSize(700, 400));
        return w.size();
    };
    // The screen's free area less a title bar of 40 and borders of 16 pixels.
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size() - QSize(16, 40);
    QVERIFY(room.width() >= 700 && room.height() >= 400);
    QCOMPARE(opened("640,380"), QSize(640, 380));      // as the user left it
    QCOMPARE(opened("x,380"), QSize(700, 400));        // not a size: the preferred one
    QCOMPARE(opened("0,380"), QSize(700, 400));
    QCOMPARE(opened("9000,9000"), room);               // never larger than the screen
    QCOMPARE(opened("701,9000"), QSize(701, room.height()));
    QVERIFY(opened("1,1").width() > 1);  // never below the layout's minimum
    krx::SetSettingsFilePath(QString());
}

void WindowLayoutTest::splitComesBack()
{
    // A splitter moved as a drag of its handle moves it.
    class Dragged : public QSplitter {
    public:
        using QSplitter::moveSplitter;
    };
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("KRX_SETUP.INI"));
    krx::SetSettingsFilePath(settings);
    auto open = [](int dragTo) {
        QWidget window;
        auto* split = new Dragged;
        for (int i = 0; i < 2; ++i) {
            auto* part = new QWidget;
            part->setMinimumWidth(100);
            split->addWidget(part);
        }
        (new QVBoxLayout(&window))->addWidget(split);
        window.resize(600, 300);
        window.show();
        window.layout()->activate();
        krx::KeepSplitterPosition(split, QStringLiteral("TestSplit"));
        if (dragTo > 0)
            split->moveSplitter(dragTo, 1);
        const int first = split->sizes().value(0);
        window.hide();
        return first;
    };
    const int own = open(0);
    QVERIFY(!QFile::exists(settings));  // not moved: nothing written
    const int dragged = open(own + 90);
    QVERIFY(dragged > own + 50);
    QCOMPARE(open(0), dragged);
    krx::SetSettingsFilePath(QString());
}

void WindowLayoutTest::titleSaysSimulated()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    for (const bool simulated : {true, false}) {
        w.Session().Simulated = simulated;
        MainWin()->measuringButton->click();
        QCOMPARE(MeasWin()->windowTitle().contains(QStringLiteral("simulated meter")), simulated);
        MeasWin()->backButton->click();
    }
}

void WindowLayoutTest::readingsTakeTheRoom()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    MainWin()->measuringButton->click();
    QApplication::processEvents();
    // A window too short for the figures scrolls them (the plot keeps its minimum); from where they
    // show whole, what is gained goes to the readings.
    const auto* figures = MeasWin()->findChild<QScrollArea*>(QStringLiteral("FiguresScroll"));
    QVERIFY(figures);
    while (figures->verticalScrollBar()->maximum() > 0 && MeasWin()->height() < 2000)
        Settle(MeasWin(), MeasWin()->size() + QSize(0, 20));
    const QSize designed = MeasWin()->size();
    const QSize value = MeasWin()->resistanceLabel->size();
    const QSize plot = MeasWin()->recordView->plot->size();
    Settle(MeasWin(), designed + QSize(300, 200));
    // The width gained goes to the plot of the readings beside the value; the height to both.
    QCOMPARE(MeasWin()->resistanceLabel->width(), value.width());
    QVERIFY(MeasWin()->recordView->plot->width() >= plot.width() + 250);
    QVERIFY(MeasWin()->resistanceLabel->height() >= value.height() + 150);
    QVERIFY(MeasWin()->recordView->plot->height() >= plot.height() + 150);
    // The buttons keep their size.
    QCOMPARE(MeasWin()->startButton->height(), MeasWin()->startButton->minimumHeight());
    MeasWin()->backButton->click();

    MainWin()->specialFunctionsButton->click();
    const QSize memo = SpecialWin()->recordDisplay->size();
    Settle(SpecialWin(), SpecialWin()->size() + QSize(300, 200));
    QCOMPARE(SpecialWin()->recordDisplay->size(), memo + QSize(300, 200));
    QCOMPARE(SpecialWin()->functionGroup->width(), SpecialWin()->functionGroup->minimumSizeHint().width());
}

QTEST_MAIN(WindowLayoutTest)
#include "test_window_layout.moc"
