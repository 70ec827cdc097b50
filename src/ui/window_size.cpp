// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_size.h"

#include "core/settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QTimer>

#include <algorithm>
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
        if (event->type() == QEvent::Show && !shown_ && window_->layout()) {
            // The layout's minimum settles only once the window is styled and filled: a size taken
            // before may no longer fit the screen.
            shown_ = true;
            // Sized by someone meanwhile (a test, the person): that size holds.
            QTimer::singleShot(0, window_, [w = window_, asShown = window_->size()] {
                if (w->size() != asShown)
                    return;
                w->layout()->invalidate();
                w->layout()->activate();
                const QSize size = w->size().boundedTo(ScreenRoom(w)).expandedTo(w->minimumSize());
                if (size != w->size())
                    w->resize(size);
            });
        }
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
    bool shown_ = false;
};

// The first part's width as dragged last, written when the window hides rather than at each move.
class SplitKeeper : public QObject {
public:
    SplitKeeper(QSplitter* splitter, QString key) : QObject(splitter), splitter_(splitter), key_(std::move(key))
    {
        connect(splitter, &QSplitter::splitterMoved, this, [this] { moved_ = true; });
        splitter->window()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == splitter_->window() && event->type() == QEvent::Hide && moved_) {
            const QList<int> sizes = splitter_->sizes();
            if (!sizes.isEmpty())
                ProfileFile(SettingsFilePath()).WriteString(SettingsSection(), key_, QString::number(sizes[0]));
            moved_ = false;
        }
        return false;
    }

private:
    QSplitter* splitter_;
    QString key_;
    bool moved_ = false;
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

void KeepSplitterPosition(QSplitter* splitter, const QString& key)
{
    bool ok = false;
    const int first = CurrentSettingsPlaces().Read(key, QString()).trimmed().toInt(&ok);
    if (ok && first > 0 && splitter->count() == 2) {
        // The splitter keeps each part at least at its minimum, whatever was stored.
        const int total = std::max(splitter->width() - splitter->handleWidth(), first);
        splitter->setSizes({first, total - first});
    }
    new SplitKeeper(splitter, key);
}

}  // namespace krx
