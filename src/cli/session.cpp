// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include "device/backend.h"
#include "device/meter_choice.h"
#include "device/protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <map>

#include <sys/file.h>
#include <unistd.h>

namespace krx::cli {

namespace {
bool g_simulated = false;
QString g_serial;

// Two runs of this tool against one meter would interleave their commands. Lock files keep the
// second one out: one per place on the bus, so that a meter in use is not even asked for its
// identity, and one per serial number, which holds when the meter moves to another place. The
// system drops them with the process, also after a kill.
class LockFiles : public PlaceGuard {
public:
    bool Take(int bus, int address) override { return TakeFile(PlaceName(bus, address)); }
    void Release(int bus, int address) override
    {
        if (const auto it = held_.find(PlaceName(bus, address)); it != held_.end()) {
            ::close(it->second);
            held_.erase(it);
        }
    }
    bool TakeSerial(const QString& serial) { return TakeFile(QStringLiteral("krx738-meter-%1.lock").arg(serial)); }

private:
    static QString PlaceName(int bus, int address)
    {
        return QStringLiteral("krx738-cli-%1-%2.lock").arg(bus).arg(address);
    }

    bool TakeFile(const QString& name)
    {
        if (held_.count(name))
            return true;
        QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (dir.isEmpty() || !QDir(dir).exists())
            dir = QDir::tempPath();
        const int fd = ::open(QFile::encodeName(dir + QLatin1Char('/') + name).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        // A lock file that cannot be made is no reason to refuse the meter.
        if (fd < 0)
            return true;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        held_[name] = fd;
        return true;
    }

    std::map<QString, int> held_;
};

LockFiles& Locks()
{
    static LockFiles locks;
    return locks;
}
}  // namespace

void SetSimulated(bool simulated)
{
    g_simulated = simulated;
}

void SetChosenSerial(const QString& serial)
{
    g_serial = serial;
}

QString FailureText(int code)
{
    return QCoreApplication::translate("cli", "error %1").arg(code);
}

int Session::Open()
{
    if (const int rc = Choose(); rc != kDone)
        return rc;
    dialogs_.SetMuted(true);
    report_ = InitDevice(meter_, runner_, Identity{});
    dialogs_.SetMuted(false);
    switch (report_.outcome) {
    case InitReport::Outcome::Ready:
        return kDone;
    case InitReport::Outcome::NoMeter:
        Error(QCoreApplication::translate("cli", "no KRX 738 found: check that it is connected by USB and switched on"));
        return kNoMeter;
    case InitReport::Outcome::NoAccess: {
        QString text = NoAccessText();
        text.replace(QCoreApplication::translate("cli", "and press Init again."), QCoreApplication::translate("cli", "and run krx738-cli again."));
        Error(text);
        return kNoAccess;
    }
    case InitReport::Outcome::MeterGone:
        Error(QCoreApplication::translate("cli", "the KRX 738 stopped answering after its identity"));
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

void Session::GuardPlaces()
{
    if (!g_simulated)
        SetPlaceGuard(&Locks());
}

int Session::Choose()
{
    GuardPlaces();
    const size_t count = TheUsbBackend().CountMeters();
    if (count == 0)
        return kDone;  // Init says that no meter is there
    if (g_serial.isEmpty() && count == 1) {
        if (g_simulated)
            return kDone;
        const std::vector<MeterPlace> places = TheUsbBackend().ListMeters();
        if (!places.empty() && !Locks().Take(places.front().bus, places.front().address)) {
            Error(QCoreApplication::translate("cli", "the KRX 738 on bus %1, address %2 is in use by another krx738-cli; "
                                 "wait for it to end")
                      .arg(places.front().bus)
                      .arg(places.front().address));
            return kNoAccess;
        }
        return kDone;
    }
    // Only the identity is asked, of each meter that no other program holds.
    const std::vector<AttachedMeter> meters = SurveyMeters();
    if (g_serial.isEmpty()) {
        QStringList each;
        for (const AttachedMeter& m : meters)
            each << (m.state == AttachedMeter::State::Ready ? QStringLiteral("%1 (%2)").arg(m.serial, m.Place())
                                                            : m.Label());
        Error(QCoreApplication::translate("cli", "%1 KRX 738 are attached; choose one with --serial S or KRX738_SERIAL=S: %2")
                  .arg(meters.size())
                  .arg(each.join(QStringLiteral(", "))));
        return kSeveralMeters;
    }
    for (const AttachedMeter& m : meters) {
        if (m.state != AttachedMeter::State::Ready || m.serial != g_serial)
            continue;
        if (!g_simulated && !(Locks().TakeSerial(m.serial) && Locks().Take(m.bus, m.address))) {
            Error(QCoreApplication::translate("cli", "the KRX 738 %1 is in use by another krx738-cli; wait for it to end").arg(m.serial));
            return kNoAccess;
        }
        ChooseMeter(m);
        return kDone;
    }
    // A meter that another program holds may be the one: it was not asked.
    const bool anyInUse = std::any_of(meters.begin(), meters.end(), [](const AttachedMeter& m) {
        return m.state == AttachedMeter::State::InUse;
    });
    if (anyInUse) {
        Error(QCoreApplication::translate("cli", "meter %1 is in use by another program or not attached (attached: %2)")
                  .arg(g_serial, MeterLabels(meters)));
        return kNoAccess;
    }
    Error(QCoreApplication::translate("cli", "meter %1 is not attached (attached: %2)").arg(g_serial, MeterLabels(meters)));
    return kNoMeter;
}

}  // namespace krx::cli
