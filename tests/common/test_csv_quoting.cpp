// SPDX-License-Identifier: GPL-3.0-or-later
// Every CSV writer with every character that forces quoting, read back by a real CSV parser
// (Python's csv module, strict): each field must come back as it was, in its own column.
#include "core/csv_appender.h"
#include "core/data_dialect.h"
#include "history/history_store.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace krx;

namespace {

const QStringList kTexts{QStringLiteral("5\" cable"), QStringLiteral("\"quoted\" first"), QStringLiteral("\""),
                         QStringLiteral("a,b"),       QStringLiteral("a;b"),              QStringLiteral("two\nlines"),
                         QStringLiteral("cr\ronly"),  QStringLiteral("crlf\r\nend"),     QStringLiteral("plain")};

// Column `column` of every row of `file`, as Python's csv module reads it.
QStringList ReadBack(const QString& file, char separator, int column, const char* encoding)
{
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], newline='', encoding=sys.argv[4]) as f:\n"
                            "    rows = list(csv.reader(f, delimiter=sys.argv[2], strict=True))\n"
                            "print(json.dumps([r[int(sys.argv[3])] for r in rows]))\n"),
             file, QString(QLatin1Char(separator)), QString::number(column), QString::fromLatin1(encoding)});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)  // watchdog
        return {QString::fromUtf8(p.readAllStandardError())};
    QStringList out;
    for (const auto& v : QJsonDocument::fromJson(p.readAllStandardOutput()).array())
        out << v.toString();
    return out;
}

TEST(CsvQuoting, EveryWriterReadsBackFieldForField)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* writer;
        char separator;
        int column;
        const char* encoding;
        std::function<QByteArray(const QString&)> line;
    } writers[] = {
        {"spreadsheet field", ';', 1, "cp1252", [](const QString& t) { return (QStringLiteral("x;") + CsvField(t) + QStringLiteral(";y\r\n")).toLatin1(); }},
        {"data dialect record", ',', 2, "utf-8",
         [](const QString& t) {
             memory::OhmSlot s;
             s.time = t;
             return OhmRecordLine(DataFormat::Csv, 1, s);
         }},
        {"history export csv", ',', 0, "utf-8",
         [](const QString& t) { return history::ExportLine(history::ExportFormat::Csv, {t, t, {}, {}, {}}, {}); }},
        {"history export spreadsheet", ';', 1, "cp1252",
         [](const QString& t) { return history::ExportLine(history::ExportFormat::Spreadsheet, {t, t, {}, {}, {}}, {}); }},
    };
    for (const auto& w : writers) {
        const QString name = dir.filePath(QString::fromLatin1(w.writer));
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QString& t : kTexts)
            f.write(w.line(t));
        f.close();
        EXPECT_EQ(ReadBack(name, w.separator, w.column, w.encoding), kTexts) << w.writer;
    }
}

}  // namespace
