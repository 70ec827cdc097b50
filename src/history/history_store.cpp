// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_store.h"

#include "history/history_db.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUuid>

namespace krx::history {

namespace {
// Long enough for another program's filing to finish, short enough that nobody waits in vain.
constexpr int kDefaultLockWaitMs = 5000;
}  // namespace

struct HistoryStore::Impl {
    QString setting;
    QString dataFolder;
    std::unique_ptr<Db> main;
    std::unique_ptr<Db> outbox;
    QString error;
    QString outboxNote;
    int lockWaitMs = kDefaultLockWaitMs;
    bool createNamed = true;

    QString OutboxPath() const { return dataFolder + QStringLiteral("/history-outbox.sqlite"); }

    Db* Outbox()
    {
        if (!outbox || !outbox->IsOpen()) {
            Connection c;
            c.sqliteFile = OutboxPath();
            outbox = std::make_unique<Db>(c);
            if (!outbox->Open(lockWaitMs))
                return nullptr;
        }
        return outbox.get();
    }

    // A server that went away and came back: one new connection, then the caller's fallback.
    std::optional<qint64> InsertMain(const TestRecord& test, const QString& uid)
    {
        auto id = main->Insert(test, uid);
        if (!id && main->Conn().backend == Connection::Postgres && main->Open(lockWaitMs))
            id = main->Insert(test, uid);
        return id;
    }

    // Sets `error` from the database and gives it back as a failure.
    template <typename T>
    T Failed(Db* db, T value = {})
    {
        error = db ? db->Error() : QStringLiteral("The test history is not open.");
        return value;
    }
};

HistoryStore::HistoryStore() : d_(std::make_unique<Impl>()) {}
HistoryStore::~HistoryStore() = default;

void HistoryStore::SetLockWait(int milliseconds)
{
    d_->lockWaitMs = std::max(0, milliseconds);
}

bool HistoryStore::Open(const QString& connectionSetting, const QString& dataFolder)
{
    Close();
    d_->setting = connectionSetting;
    d_->dataFolder = dataFolder.isEmpty() ? DefaultDataFolder() : dataFolder;
    Connection c;
    if (!ParseConnection(connectionSetting, d_->dataFolder, c, &d_->error))
        return false;
    c.create = c.defaultFile || d_->createNamed;
    d_->main = std::make_unique<Db>(c);
    if (!d_->main->Open(d_->lockWaitMs)) {
        d_->error = d_->main->Error();
        return false;
    }
    d_->error.clear();
    if (QFileInfo::exists(d_->OutboxPath()))
        SendOutbox();
    return true;
}

void HistoryStore::Close()
{
    d_->main.reset();
    d_->outbox.reset();
    d_->error.clear();
    d_->outboxNote.clear();
}

void HistoryStore::SetCreateNamed(bool create)
{
    d_->createNamed = create;
}

bool HistoryStore::Created() const
{
    return d_->main && d_->main->Created();
}

bool HistoryStore::IsOpen() const
{
    return d_->main && d_->main->IsOpen();
}

QString HistoryStore::Error() const
{
    return d_->error;
}

QString HistoryStore::OutboxNote() const
{
    return d_->outboxNote;
}

int HistoryStore::SchemaVersion() const
{
    return IsOpen() ? d_->main->Version() : 0;
}

QString HistoryStore::Description() const
{
    return d_->main ? d_->main->Description() : QString();
}

QString HistoryStore::OutboxFile() const
{
    return d_->OutboxPath();
}

bool HistoryStore::SaveAsset(const Asset& asset)
{
    if (!IsOpen() || !d_->main->SaveAsset(asset))
        return d_->Failed(d_->main.get(), false);
    return true;
}

std::optional<Asset> HistoryStore::FindAsset(const QString& id)
{
    if (!IsOpen())
        return d_->Failed<std::optional<Asset>>(nullptr);
    d_->error.clear();
    auto a = d_->main->FindAsset(id);
    if (!a && !d_->main->Error().isEmpty())
        d_->error = d_->main->Error();
    return a;
}

std::vector<AssetSummary> HistoryStore::Assets()
{
    auto list = IsOpen() ? d_->main->Assets() : std::nullopt;
    if (!list)
        return d_->Failed<std::vector<AssetSummary>>(d_->main.get());
    d_->error.clear();
    return std::move(*list);
}

std::vector<TestRecord> HistoryStore::TestsOf(const QString& assetId)
{
    auto list = IsOpen() ? d_->main->TestsOf(assetId) : std::nullopt;
    if (!list)
        return d_->Failed<std::vector<TestRecord>>(d_->main.get());
    d_->error.clear();
    return std::move(*list);
}

std::optional<TestRecord> HistoryStore::Test(qint64 id)
{
    auto t = IsOpen() ? d_->main->Test(id) : std::nullopt;
    if (!t)
        return d_->Failed<std::optional<TestRecord>>(d_->main.get());
    d_->error.clear();
    return *t;
}

FileResult HistoryStore::FileTest(const TestRecord& test)
{
    FileResult r;
    if (test.assetId.isEmpty()) {
        r.message = d_->error = QStringLiteral("A test needs an asset id to be filed under.");
        return r;
    }
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // The database may be back since it failed (a server restarted, a lock released): the older
    // tests of the outbox go first.
    if (!IsOpen() && d_->main && d_->main->Open(d_->lockWaitMs)) {
        d_->error.clear();
        SendOutbox();
    }
    QString why;
    if (IsOpen()) {
        if (const auto id = d_->InsertMain(test, uid)) {
            d_->error.clear();
            r.status = *id ? FileResult::Filed : FileResult::Duplicate;
            r.id = *id;
            if (!*id)
                r.message = QStringLiteral("This record was filed before; it was not added again.");
            return r;
        }
        why = d_->main->Error();
    } else if (d_->main) {
        why = d_->main->Error();
    } else {
        why = d_->error.isEmpty() ? QStringLiteral("The test history is not open.") : d_->error;
    }
    Db* outbox = d_->Outbox();
    const auto id = outbox ? outbox->Insert(test, uid) : std::nullopt;
    if (!id) {
        r.message = d_->error = why + QStringLiteral(" The test could not be kept in the outbox either: ") +
                                (outbox ? outbox->Error() : d_->outbox->Error());
        return r;
    }
    r.status = *id ? FileResult::KeptInOutbox : FileResult::Duplicate;
    r.id = *id;
    r.message = d_->error =
        why + (*id ? QStringLiteral(" The test was kept in %1 and will be sent when the database can be opened "
                                    "(krx738-cli history send).")
                         .arg(d_->OutboxPath())
                   : QStringLiteral(" This record waits in the outbox already."));
    return r;
}

FileResult HistoryStore::ImportOhmRecord(const QString& assetId, const memory::Identity& who, const OhmRecord& record)
{
    return FileTest(TestFromOhmRecord(assetId, who, record));
}

FileResult HistoryStore::ImportBreakDownRecord(const QString& assetId, const memory::Identity& who,
                                               const BreakDownRecord& record)
{
    return FileTest(TestFromBreakDownRecord(assetId, who, record));
}

std::optional<QByteArray> HistoryStore::ExportHistory(const QString& assetId, ExportFormat format)
{
    if (!IsOpen())
        return d_->Failed<std::optional<QByteArray>>(nullptr);
    const auto asset = d_->main->FindAsset(assetId);
    const auto tests = asset ? d_->main->TestsOf(assetId) : std::nullopt;
    if (!tests) {
        d_->error = asset ? d_->main->Error() : QStringLiteral("There is no asset '%1' in the test history.").arg(assetId);
        return std::nullopt;
    }
    QByteArray out = ExportHeader(format);
    for (const TestRecord& t : *tests)
        out += ExportLine(format, *asset, t);
    d_->error.clear();
    return out;
}

std::optional<PlanImportCount> HistoryStore::ImportPlan(const std::vector<PlanItem>& items)
{
    PlanImportCount count;
    if (!IsOpen() || !d_->main->ImportPlan(items, count))
        return d_->Failed<std::optional<PlanImportCount>>(d_->main.get());
    d_->error.clear();
    return count;
}

std::vector<PlanEntry> HistoryStore::PlanEntries(bool withRetired)
{
    auto list = IsOpen() ? d_->main->PlanEntries(withRetired) : std::nullopt;
    if (!list)
        return d_->Failed<std::vector<PlanEntry>>(d_->main.get());
    d_->error.clear();
    return std::move(*list);
}

FileResult HistoryStore::FileVerification(const Verification& v)
{
    FileResult r;
    const auto id = IsOpen() ? d_->main->InsertVerification(v) : std::nullopt;
    if (!id) {
        d_->Failed(d_->main.get(), 0);
        r.message = d_->error += QCoreApplication::translate("krx::history::Plan", " The verification was not filed.");
        return r;
    }
    d_->error.clear();
    r.status = FileResult::Filed;
    r.id = *id;
    return r;
}

std::vector<Verification> HistoryStore::VerificationsOf(const QString& itemId)
{
    auto list = IsOpen() ? d_->main->VerificationsOf(itemId) : std::nullopt;
    if (!list)
        return d_->Failed<std::vector<Verification>>(d_->main.get());
    d_->error.clear();
    return std::move(*list);
}

std::optional<std::vector<ItemReport>> HistoryStore::PlanStatus(QDate asOf, int dueWithinDays)
{
    auto items = IsOpen() ? d_->main->PlanEntries(false) : std::nullopt;
    auto last = items ? d_->main->LastVerifications() : std::nullopt;
    if (!last)
        return d_->Failed<std::optional<std::vector<ItemReport>>>(d_->main.get());
    d_->error.clear();
    std::vector<ItemReport> out;
    out.reserve(items->size());
    for (PlanEntry& e : *items) {
        const auto found = last->find(e.item.id);
        const auto verified = found == last->end() ? std::nullopt : std::optional(found->second);
        const ItemStatus status = StatusAsOf(e.item, verified, asOf, dueWithinDays);
        out.push_back({std::move(e.item), status});
    }
    return out;
}

SendResult HistoryStore::SendOutbox()
{
    SendResult r;
    d_->outboxNote.clear();
    Db* outbox = d_->Outbox();
    const auto pending = outbox ? outbox->PendingUids() : std::nullopt;
    if (!pending) {
        r.message = d_->outboxNote = outbox ? outbox->Error() : d_->outbox->Error();
        return r;
    }
    for (const auto& [localId, uid] : *pending) {
        const auto test = IsOpen() ? outbox->Test(localId) : std::nullopt;
        const auto id = test && *test ? d_->InsertMain(**test, uid) : std::nullopt;
        // Removed only after the database holds it: a cut-short send is repeated, and the uid
        // makes the repeat a duplicate instead of a second copy.
        if (!id || !outbox->Remove(localId)) {
            r.left = static_cast<int>(pending->size()) - r.sent - r.duplicates;
            r.message = IsOpen() ? (id ? outbox->Error() : d_->main->Error()) : d_->error;
            break;
        }
        ++(*id ? r.sent : r.duplicates);
    }
    if (r.sent || r.duplicates || r.left) {
        d_->outboxNote = QStringLiteral("Outbox: %1 test(s) sent, %2 already there, %3 left.")
                             .arg(r.sent)
                             .arg(r.duplicates)
                             .arg(r.left);
        if (!r.message.isEmpty())
            d_->outboxNote += QLatin1Char(' ') + r.message;
    }
    return r;
}

int HistoryStore::OutboxCount()
{
    if (!QFileInfo::exists(d_->OutboxPath()))
        return 0;
    Db* outbox = d_->Outbox();
    const auto n = outbox ? outbox->Count() : std::nullopt;
    return n.value_or(0);
}

}  // namespace krx::history
