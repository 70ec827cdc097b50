// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows that fit the screen they open on and come back at the size the person gave them.

#include <QSize>
#include <QString>

class QSplitter;
class QWidget;

namespace krx {

// The room a window may take on its screen (null: the primary one): the available area less the
// window frame's share.
QSize ScreenRoom(const QWidget* window);

// Opens `window` at the size it was given last time (settings key `key`, "width,height") or at
// `preferred`, never larger than ScreenRoom nor smaller than its layout's minimum; a size the
// person gives it by hand is written back when the window is hidden. Call once, after the layout
// is built.
void KeepWindowSize(QWidget* window, const QString& key, QSize preferred);

// Opens `splitter` with its first part as wide as it was left (settings key `key`, in pixels) or
// at its own size; a position the person drags to is written back when the window is hidden.
void KeepSplitterPosition(QSplitter* splitter, const QString& key);

// "1180,760" and back; an invalid size for any other text.
QString SizeText(QSize size);
QSize ParseSizeText(const QString& text);

}  // namespace krx
