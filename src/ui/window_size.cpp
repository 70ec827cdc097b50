// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_size.h"

#include "core/settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QScreen>
#include <QWidget>

namespace krx {

namespace {

// A title bar and borders on the usual desktops; a window's size is its inside, without them.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;

// Writes the size back only when the person changed it: a window opened and closed again, or sized
// by the program, leaves the settings file as it was.
class SizeKeeper : public QObject {
public:
    SizeKeeper(QWidget* window, QString key) : QObject(window), window_(window), key_(std::move(key)) {}
    QSize given;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != window_)
            return false;
        if (event->type() == QEvent::Resize && event->spontaneous() && window_->isVisible() &&
            !window_->isMaximized() && !window_->isFullScreen())
            byHand_ = static_cast<QResizeEvent*>(event)->size();
        if (event->type() == QEvent::Hide && byHand_.isValid() && byHand_ != given) {
            // Remembering a size is a convenience: a file that cannot be written is not worth a box.
            ProfileFile(SettingsFilePath()).WriteString(SettingsSection(), key_, SizeText(byHand_));
            given = byHand_;
        }
        return false;
    }

private:
    QWidget* window_;
    QString key_;
    QSize byHand_;
};

}  // namespace

QSize ScreenRoom(const QWidget* window)
{
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return screen->availableGeometry().size() - QSize(kFrameWidth, kFrameHeight);
}

QString SizeText(QSize size)
{
    return QStringLiteral("%1,%2").arg(size.width()).arg(size.height());
}

QSize ParseSizeText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool okW = false, okH = false;
    const int w = parts.size() == 2 ? parts[0].trimmed().toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].trimmed().toInt(&okH) : 0;
    return okW && okH && w > 0 && h > 0 ? QSize(w, h) : QSize();
}

void KeepWindowSize(QWidget* window, const QString& key, QSize preferred)
{
    const QSize stored = ParseSizeText(CurrentSettingsPlaces().Read(key, QString()));
    QSize size = stored.isValid() ? stored : preferred;
    if (window->layout())
        size = size.expandedTo(window->layout()->totalMinimumSize());
    size = size.boundedTo(ScreenRoom(window));
    window->resize(size);
    auto* keeper = new SizeKeeper(window, key);
    keeper->given = stored;
    window->installEventFilter(keeper);
}

}  // namespace krx
