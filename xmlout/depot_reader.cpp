#include "xmlout/depot_reader.hpp"

#include <algorithm>

#include "xmlout/import_queries.hpp"
#include "xmlout/result_guard.hpp"

namespace korvun {
namespace {

constexpr long long kRowsPerPump = 8192;

// Where a result has an account's keys.
struct KeyColumns {
  explicit KeyColumns(const DbRow& result)
      : customer(result.ColumnIndex("INHKDNR1")), intermediary(result.ColumnIndex("VERBERNR")), depot(result) {}
  AccountKey Read(const DbRow& row) const {
    return {{IntColumn(row, customer), IntColumn(row, intermediary)}, ReadDepotRow(row, depot)};
  }
  int customer, intermediary;
  DepotColumns depot;
};

// In the order of the document's results: customers ascending with the
// accounts without customer last, then by intermediary and account.
int Order(const AccountOwner& a, const AccountOwner& b) {
  if (a.customer.has_value() != b.customer.has_value()) return a.customer ? -1 : 1;
  if (int c = Compare(a.customer, b.customer)) return c;
  return Compare(a.intermediary, b.intermediary);
}

int Order(const DepotRow& a, const DepotRow& b) {
  if (int c = Compare(a.number, b.number)) return c;
  if (int c = Compare(a.kind, b.kind)) return c;
  return Compare(a.sub, b.sub);
}

int Order(const AccountKey& a, const AccountKey& b) {
  if (int c = Order(a.owner, b.owner)) return c;
  return Order(a.depot, b.depot);
}

const char kOutOfOrder[] = "Die Konten der Transaktionen kommen nicht in der Reihenfolge der Kunden";

bool SameRow(const DepotRow& a, const DepotRow& b) {
  return a.number == b.number && a.kind == b.kind && a.sub == b.sub;
}

// A second attachment with its transaction, which sees what the first one
// committed; null where the connection has none or the database refuses
// one more (a server licensed for fewer connections, say): the results of
// the one attachment then take turns, slower but the same.
std::unique_ptr<DbConnection> AttachForReading(DbConnection& db) {
  try {
    std::unique_ptr<DbConnection> again = db.AttachAgain();
    if (again) again->StartTransaction();
    return again;
  } catch (const DbError&) {
    return nullptr;
  }
}

}  // namespace

DepotReader::DepotReader(Env& env, DbConnection& db, const std::vector<std::string>& selection, bool unassigned,
                         std::function<void()> pump, std::mutex& turns, size_t rowsPerBatch,
                         size_t transactionBound)
    : db_(db),
      env_(env),
      pump_(std::move(pump)),
      turns_(turns),
      rowsPerBatch_(rowsPerBatch),
      unassignedToCome_(unassigned),
      reading_(AttachForReading(db)),
      transactions_(Transactions(sql::CustomerTransactions(selection.size()), selection)),
      holdings_(Holdings(sql::DepotHoldings(selection.size()), selection)),
      content_(transactionBound) {
  onTransaction_ = transactions_->Next();
  onHolding_ = holdings_->Next();
}

std::unique_ptr<RowStream<DepotReader::TransactionRow>> DepotReader::Transactions(
    const std::string& sql, const std::vector<std::string>& selection) {
  return OpenRows<TransactionRow>(
      reading_ ? *reading_ : db_, sql, selection,
      [](const DbRow& q) {
        return [keys = KeyColumns(q), at = FundTransactionColumns(q)](const DbRow& row) {
          return TransactionRow{keys.Read(row), at.Read(row)};
        };
      },
      Fetching::Ahead(env_), rowsPerBatch_, reading_ ? nullptr : &turns_);
}

std::unique_ptr<RowStream<DepotReader::HoldingRow>> DepotReader::Holdings(
    const std::string& sql, const std::vector<std::string>& selection) {
  return OpenRows<HoldingRow>(
      db_, sql, selection,
      [](const DbRow& q) {
        return [keys = KeyColumns(q), wkn = q.ColumnIndex("FONWKNEXT"), isin = q.ColumnIndex("FONISIN"),
                name = q.ColumnIndex("FONNAMELANG"), units = q.ColumnIndex("BESTSTK")](const DbRow& row) {
          return HoldingRow{keys.Read(row), TextColumn(row, wkn), TextColumn(row, isin), TextColumn(row, name),
                            DoubleColumn(row, units)};
        };
      },
      Fetching::OnCaller(), rowsPerBatch_, &turns_);
}

size_t DepotReader::MostRowsHeld() const {
  return mostHeld_ + std::max(mostAhead_, transactions_->MostRowsHeld()) +
         std::max(mostHoldings_, holdings_->MostRowsHeld());
}

void DepotReader::Pump() {
  if (++rows_ % kRowsPerPump == 0) pump_();
}

DepotContent* DepotReader::Next(const AccountOwner& owner) {
  if (!owner.customer && unassignedToCome_) {
    // The accounts without customer follow those of the customers.
    unassignedToCome_ = false;
    if (onTransaction_) throw DbError(kOutOfOrder);
    mostAhead_ = transactions_->MostRowsHeld();
    transactions_.reset();
    transactions_ = Transactions(sql::UnassignedTransactions(), {});
    onTransaction_ = transactions_->Next();
    mostHoldings_ = holdings_->MostRowsHeld();
    holdings_.reset();
    holdings_ = Holdings(sql::UnassignedHoldings(), {});
    onHolding_ = holdings_->Next();
  }
  if (!onTransaction_) return nullptr;
  const AccountKey key = transactions_->Current().key;
  if (!(key.owner == owner)) return nullptr;
  // The customers' accounts come in the order of a join that no sort
  // follows: an account not after the one read last would be written wrong.
  if (last_ && Order(*last_, key) >= 0) throw DbError(kOutOfOrder);
  last_ = key;
  content_.Begin(key.depot);
  ReadHoldings(key);
  do {
    Pump();
    content_.AddTransaction(transactions_->Current().transaction);
    onTransaction_ = transactions_->Next();
    if (!onTransaction_) break;
    const AccountKey& next = transactions_->Current().key;
    if (!(next.owner == key.owner) || !SameRow(next.depot, key.depot)) break;
  } while (true);
  mostHeld_ = std::max(mostHeld_, content_.RowsHeld());
  return &content_;
}

void DepotReader::ReadHoldings(const AccountKey& key) {
  // An account without customer whose kind or sub-account is missing is
  // matched by the empty text: other keys than its own, which the sorted
  // holdings do not have in its place.
  if (!key.owner.customer && (!key.depot.kind || !key.depot.sub)) {
    ReadAccountHoldings();
    return;
  }
  for (; onHolding_; onHolding_ = holdings_->Next()) {
    HoldingRow& h = holdings_->Current();
    const int c = Order(h.key, key);
    if (c > 0) break;
    if (c < 0) continue;  // an account without transactions
    Pump();
    content_.AddHolding(h.wkn, h.isin, std::move(h.name), h.units);
  }
}

DbStatement& DepotReader::Account(std::unique_ptr<DbStatement>& q, const std::string& sql) {
  if (!q) q = db_.Prepare(sql);
  const DepotRow& d = content_.Keys();
  q->SetInt(0, static_cast<int32_t>(*d.number));
  q->SetText(1, d.kind.value_or(""));
  q->SetText(2, d.sub.value_or(""));
  return *q;
}

void DepotReader::ReadAccountHoldings() {
  DbStatement& q = Account(accountHoldings_, sql::AccountHoldings());
  ResultGuard guard(q);
  q.Execute();
  const int wkn = q.ColumnIndex("FONWKNEXT"), isin = q.ColumnIndex("FONISIN"),
            name = q.ColumnIndex("FONNAMELANG"), units = q.ColumnIndex("BESTSTK");
  while (q.Fetch()) {
    Pump();
    content_.AddHolding(TextColumn(q, wkn), TextColumn(q, isin), TextColumn(q, name), DoubleColumn(q, units));
  }
}

void DepotReader::ForEachTransaction(std::string_view fundKey,
                                     const std::function<void(const TransactionValues&)>& use) {
  if (content_.Complete()) {
    content_.ForEachTransaction(fundKey, use);
    return;
  }
  // Too large to hold: the account's rows once more, this fund's taken.
  DbStatement& q = Account(accountTransactions_, sql::AccountTransactions());
  ResultGuard guard(q);
  q.Execute();
  const FundTransactionColumns at(q);
  while (q.Fetch()) {
    Pump();
    const NullableText key = FundKey(TextColumn(q, at.wkn), TextColumn(q, at.isin));
    if (key && *key == fundKey) use(ReadTransaction(q, at.values));
  }
}

}  // namespace korvun
