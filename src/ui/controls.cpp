// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls.h"

#include <QCoreApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace krx {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    columns = std::max(columns, 1);
    // Items fill the first column top to bottom, then the next, as the designer arranges them.
    const int perColumn = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        grid->addWidget(button, perColumn > 0 ? i % perColumn : 0, perColumn > 0 ? i / perColumn : 0);
    }
    connect(group_, &QButtonGroup::idToggled, this, &RadioGroup::Toggled);
    FitMargins();
}

void RadioGroup::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitMargins();
}

void RadioGroup::FitMargins()
{
    // The caption sits in the frame's top line; the items start below it.
    layout()->setContentsMargins(12, fontMetrics().height(), 12, 4);
}

void RadioGroup::SetItemIndex(int index)
{
    if (index == itemIndex_)
        return;
    if (index < 0 || index >= Count()) {
        // No item selected: an exclusive group cannot uncheck its last button by itself.
        group_->setExclusive(false);
        for (auto* b : group_->buttons())
            b->setChecked(false);
        group_->setExclusive(true);
        itemIndex_ = -1;
        return;
    }
    group_->button(index)->setChecked(true);
}

int RadioGroup::Count() const
{
    return static_cast<int>(group_->buttons().size());
}

QRadioButton* RadioGroup::Button(int index) const
{
    return qobject_cast<QRadioButton*>(group_->button(index));
}

void RadioGroup::Toggled(int id, bool checked)
{
    if (!checked || id == itemIndex_)
        return;
    itemIndex_ = id;
    emit Click();
}

QString QtInputMask(const QString& editMask)
{
    const QStringList fields = editMask.split(QLatin1Char(';'));
    QChar blank = QLatin1Char('_');
    if (fields.size() >= 3)
        blank = fields[2].isEmpty() ? QLatin1Char(' ') : fields[2].at(0);
    return fields[0] + QLatin1Char(';') + blank;
}

QLineEdit* MakeMaskEdit(const QString& name, const QString& editMask, const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setInputMask(QtInputMask(editMask));
    edit->setText(text);
    return edit;
}

QPushButton* MakeBitBtn(const QString& name, const QString& caption, const QIcon& icon, QWidget* parent)
{
    auto* button = new QPushButton(icon, caption, parent);
    button->setObjectName(name);
    button->setIconSize(QSize(20, 20));
    return button;
}

QLabel* MakeLabel(const QString& name, const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    return label;
}

QLabel* MakeSimulatedMeterLabel(bool simulated, QWidget* parent)
{
    QLabel* label = MakeLabel(QStringLiteral("SimulatedMeterLabel"), QCoreApplication::translate("Controls", "Simulated meter – not a measurement"),
                              ArialFont(16, true), parent);
    label->setStyleSheet(QStringLiteral("color: #c62828"));
    label->setVisible(simulated);
    return label;
}

void SetDesignedMinimum(QWidget* widget, const QSize& designed)
{
    widget->setMinimumSize(designed.expandedTo(widget->sizeHint()));
}

namespace {

// The window style draws the caption into the frame line, so the group's own contents margins
// leave no room for it: the layout's top margin makes that room.
class GroupMargins : public QObject {
public:
    GroupMargins(QGroupBox* group, const QMargins& margins) : QObject(group), group_(group), margins_(margins)
    {
        group->installEventFilter(this);
        Fit();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            Fit();
        return false;
    }

private:
    void Fit()
    {
        if (QLayout* layout = group_->layout())
            layout->setContentsMargins(margins_.left(), group_->fontMetrics().height() + margins_.top(),
                                       margins_.right(), margins_.bottom());
    }

    QGroupBox* group_;
    QMargins margins_;
};

}  // namespace

void FitGroupLayout(QGroupBox* group, const QMargins& margins)
{
    new GroupMargins(group, margins);
}

void KeepPlaceWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

namespace {
// An application font set larger than the platform's makes every designed font larger by as much.
qreal ApplicationFontScale()
{
    const qreal platform = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    const qreal chosen = QGuiApplication::font().pointSizeF();
    return platform > 0 && chosen > platform ? chosen / platform : 1.0;
}

QFont FontOf(const QStringList& families, int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies(families);
    // The designed sizes are pixels at 96 dpi. As points they follow the desktop's text scaling,
    // and the layouts grow with them instead of cutting the texts.
    f.setPointSizeF(pixelSize * 72.0 / 96.0 * ApplicationFontScale());
    f.setBold(bold);
    return f;
}
}  // namespace

QFont ArialFont(int pixelSize, bool bold)
{
    return FontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans")},
                  pixelSize, bold);
}

QFont ArialNarrowFont(int pixelSize, bool bold)
{
    return FontOf({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("DejaVu Sans")},
                  pixelSize, bold);
}

QFont ArialRoundedFont(int pixelSize)
{
    return FontOf({QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
                  pixelSize, true);
}

QFont CourierFont(int pixelSize)
{
    QFont f = FontOf({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Nimbus Mono PS"), QStringLiteral("monospace")},
                     pixelSize, false);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

QFont SmallSansFont()
{
    return ArialFont(12);
}

void ApplyWindowStyle(QWidget* window)
{
    window->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid #a8a8a8; border-radius: 2px; margin-top: 0.55em; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 3px; }"));
}

QPoint CentredPosition(const QSize& screen, const QSize& size)
{
    // C++ integer division truncates toward zero, as the placement asks for negative halves.
    return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2};
}

namespace {

void CentreFrame(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(CentredPosition(screen->geometry().size(), window->frameGeometry().size()));
}

// A window has its frame only once it is shown, and what the user sees centred is the frame:
// centres the window again when it is first shown, and once more as soon as the frame is known (the
// platform adds it while showing, a window manager a moment later, moving the window). For one
// second after the first showing the window follows a change of its frame; after that it stays
// where the user puts it, also when it is hidden and shown again.
class CentreWhenShown : public QObject {
public:
    static constexpr const char* Name = "krx_centre_when_shown";

    explicit CentreWhenShown(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(QString::fromLatin1(Name));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !shown_) {
            shown_ = true;
            Centre();
            QTimer::singleShot(0, this, [this] { FollowFrame(); });
            QTimer::singleShot(1000, this, [this] { deleteLater(); });
        } else if (shown_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            FollowFrame();
        }
        return false;
    }

private:
    void Centre()
    {
        CentreFrame(window_);
        frame_ = window_->frameGeometry().size();
    }
    void FollowFrame()
    {
        if (window_->isVisible() && window_->frameGeometry().size() != frame_)
            Centre();
    }

    QWidget* window_;
    bool shown_ = false;
    QSize frame_;
};

}  // namespace

void CentreOnPrimaryScreen(QWidget* window)
{
    // Before the first showing the frame is not known yet: the inside stands for it until then.
    CentreFrame(window);
    // Not a Q_OBJECT class: found by its name, so that a second call adds no second watcher.
    if (!window->findChild<QObject*>(QString::fromLatin1(CentreWhenShown::Name), Qt::FindDirectChildrenOnly))
        new CentreWhenShown(window);
}

}  // namespace krx
