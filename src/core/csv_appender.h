// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one writer of the export files: Windows-1252 bytes, ";" separators chosen by the caller,
// CR LF line ends, a header only when the save creates the file, records appended at the end,
// and no half line left behind when a write falls short (the file is cut back to its length
// before the write).

#include <QString>
#include <QStringList>

namespace krx {

struct AppendResult {
    enum Status {
        Ok,
        CannotCreate,   // a new file could not be created: nothing written
        CannotOpen,     // an existing file could not be opened for writing: nothing written
        HeaderShort,    // the header of a new file was written short and removed again
        RecordShort,    // the record line was written short and removed again
    };
    Status status = Ok;
    bool created = false;  // the file did not exist before this save
    QString error;         // the system's reason, for the message box
};

// Appends `record` as one line; `header` is written first when the file does not exist yet.
// Neither text carries a line end. When the header is written short the record is not written
// either, so that a file never starts without its header.
AppendResult AppendCsvLine(const QString& fileName, const QString& header, const QString& record);

// Encodes a line as the export files hold it: Windows-1252, one "?" for each character outside
// it. `replaced`, when given, gets each such character once, in order of appearance.
QByteArray EncodeLine(const QString& line, QStringList* replaced = nullptr);

// A free-text field (the comment) as spreadsheets read it back whole: in double quotes with inner
// quotes doubled when it holds ";", a double quote or a line break. Any other text stays as it
// is, so that such lines keep the bytes they always had.
QString CsvField(const QString& text);

// The text of the success box of a save: "Save successfully!", and below it which characters of
// the saved lines were written as "?". Forgets those characters again.
QString SaveSuccessText();
// Said after a save that has no success box: which characters were written as "?", or an empty
// text. Forgets them as well.
QString TakeReplacementNote();
// A new save begins (its file was chosen): characters of an earlier save that was not reported
// are forgotten.
void ForgetReplacements();

// For tests of failing disks: every write from now on stores at most this many bytes
// (negative: no limit).
void SetWriteLimitForTesting(qint64 bytes);

}  // namespace krx
