// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as anybody may have edited it: reading never fails, and writing one key keeps
// every other key's value and gives back the value written.
#include "core/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("KRX 738");
const QStringList kKeys = {QStringLiteral("DataDirectory"), QStringLiteral("SamplingTime"), QStringLiteral("Other")};
// The program's section as the file may spell it, and another one.
const QStringList kSections = {QStringLiteral("krx 738"), QStringLiteral("Another")};

QString Path()
{
    static const QString path =
        QDir::tempPath() + QStringLiteral("/krx_fuzz_settings_%1.ini").arg(QCoreApplication::applicationPid());
    return path;
}

// Each run leaves its file behind otherwise, one per run in the temporary folder.
void RemoveFileAtExit()
{
    static const std::string path = QFile::encodeName(Path()).toStdString();
    std::atexit([] { std::remove(path.c_str()); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool removal = (RemoveFileAtExit(), true);
    (void)removal;
    {
        QFile f(Path());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    krx::ProfileFile file(Path());
    std::int32_t sampling = file.ReadInteger(kSection, QStringLiteral("SamplingTime"), 1000);
    (void)sampling;

    QStringList before;
    for (const QString& section : kSections)
        for (const QString& key : kKeys)
            before << file.ReadString(section, key, QStringLiteral("<none>"));

    // A folder as the program writes it: no line end, no blanks or quotes at its ends.
    const QString folder = QStringLiteral("/data/f") + QString::number(size % 97) + QLatin1Char('/');
    if (!file.WriteString(kSection, QStringLiteral("DataDirectory"), folder))
        std::abort();
    if (file.ReadString(kSection, QStringLiteral("DataDirectory"), QString()) != folder)
        std::abort();
    qsizetype i = 0;
    for (const QString& section : kSections)
        for (const QString& key : kKeys) {
            const QString now = file.ReadString(section, key, QStringLiteral("<none>"));
            const bool written = section.compare(kSection, Qt::CaseInsensitive) == 0 && key == kKeys[0];
            if (!written && now != before[i])
                std::abort();
            ++i;
        }
    return 0;
}
