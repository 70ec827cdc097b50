// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include "device/backend.h"
#include "device/protocol.h"

#include <QDir>
#include <QFile>

#include <sys/file.h>
#include <unistd.h>

namespace krx::cli {

namespace {
bool g_simulated = false;
}  // namespace

void SetSimulated(bool simulated)
{
    g_simulated = simulated;
}

QString FailureText(int code)
{
    return QStringLiteral("error %1").arg(code);
}

int Session::Open()
{
    if (const int busy = Lock(); busy != kDone)
        return busy;
    dialogs_.SetMuted(true);
    report_ = InitDevice(meter_, runner_, Identity{});
    dialogs_.SetMuted(false);
    switch (report_.outcome) {
    case InitReport::Outcome::Ready:
        return kDone;
    case InitReport::Outcome::NoMeter:
        Error(QStringLiteral("no KRX 738 found: check that it is connected by USB and switched on"));
        return kNoMeter;
    case InitReport::Outcome::NoAccess: {
        QString text = NoAccessText();
        text.replace(QStringLiteral("and press Init again."), QStringLiteral("and run krx738-cli again."));
        Error(text);
        return kNoAccess;
    }
    case InitReport::Outcome::MeterGone:
        Error(QStringLiteral("the KRX 738 stopped answering after its identity"));
        return kConnectionLost;
    }
    return kConnectionLost;
}

void Session::Release()
{
    runner_.Device([this] {
        if (ConnectIdle(meter_))
            meter_.SetRemoteMode(protocol::kModeEnd);
    });
}

// Two runs of this tool against one meter would interleave their commands. A lock file keyed
// by the meter's place on the bus keeps the second one out; the system drops it with the
// process, also after a kill.
int Session::Lock()
{
    if (g_simulated)
        return kDone;
    const std::vector<MeterPlace> places = TheUsbBackend().ListMeters();
    if (places.empty())
        return kDone;  // Init says that no meter is there
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    const QString name =
        QStringLiteral("%1/krx738-cli-%2-%3.lock").arg(dir).arg(places.front().bus).arg(places.front().address);
    lockFd_ = ::open(QFile::encodeName(name).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock file that cannot be made is no reason to refuse the meter.
    if (lockFd_ < 0)
        return kDone;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        Error(QStringLiteral("the KRX 738 on bus %1, address %2 is in use by another krx738-cli; "
                             "wait for it to end")
                  .arg(places.front().bus)
                  .arg(places.front().address));
        return kNoAccess;
    }
    return kDone;
}

}  // namespace krx::cli
