#include "xmlout/document_data.hpp"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "xmlout/import_queries.hpp"

namespace korvun {
namespace {

constexpr long long kRowsPerPump = 8192;

void AppendPart(std::string& key, std::string_view part) {
  part = WithoutTrailingBlanks(part);
  key += std::to_string(part.size());
  key += ':';
  key += part;
}

// A depot account as a statement parameter matches it: the number by value,
// the texts without trailing blanks. Null matches no parameter, so only
// accounts with all three keys have one.
std::string DepotKey(int64_t number, std::string_view kind, std::string_view sub) {
  std::string key = std::to_string(number);
  key += '|';
  AppendPart(key, kind);
  AppendPart(key, sub);
  return key;
}

std::string FundKey(const std::string& depotKey, std::string_view fund) {
  std::string key = depotKey;
  AppendPart(key, fund);
  return key;
}

// coalesce(nullif(ISIN, ''), WKN), as the statements match a fund.
NullableText FundOf(const NullableText& wkn, const NullableText& isin) {
  if (isin && !WithoutTrailingBlanks(*isin).empty()) return std::string(WithoutTrailingBlanks(*isin));
  if (wkn) return std::string(WithoutTrailingBlanks(*wkn));
  return std::nullopt;
}

int Order(const DepotRow& a, const DepotRow& b) {
  if (int c = Compare(a.number, b.number)) return c;
  if (int c = Compare(a.kind, b.kind)) return c;
  return Compare(a.sub, b.sub);
}

// In the person statement's column order.
int Order(const PersonRow& a, const PersonRow& b) {
  using Text = NullableText PersonRow::*;
  static const Text kBeforeBirth[] = {&PersonRow::given, &PersonRow::surname, &PersonRow::sex};
  static const Text kAfterBirth[] = {&PersonRow::title, &PersonRow::street, &PersonRow::postcode,
                                     &PersonRow::town,  &PersonRow::country, &PersonRow::phone,
                                     &PersonRow::fax,   &PersonRow::email,   &PersonRow::salutation};
  for (Text m : kBeforeBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  if (int c = Compare(a.birthDate, b.birthDate)) return c;
  for (Text m : kAfterBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  return 0;
}

int Order(const DepotFund& a, const DepotFund& b) {
  if (int c = Compare(a.wkn, b.wkn)) return c;
  if (int c = CompareText(a.isin, b.isin)) return c;
  if (int c = Compare(a.name, b.name)) return c;
  return Compare(a.units, b.units);
}

// Sorted, each row once: as a distinct result.
template <typename T>
void MakeDistinct(std::vector<T>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const T& a, const T& b) { return Order(a, b) < 0; });
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [](const T& a, const T& b) { return Order(a, b) == 0; }),
             rows.end());
}

bool SameRow(const DepotRow& a, const DepotRow& b) {
  return a.number == b.number && a.kind == b.kind && a.sub == b.sub;
}

// The key of an account with all three keys; none otherwise.
std::optional<std::string> KeyOf(const DepotRow& d) {
  if (!d.number || !d.kind || !d.sub) return std::nullopt;
  return DepotKey(*d.number, *d.kind, *d.sub);
}

// The same account as its texts, distinct null included.
std::string RowIdentity(const DepotRow& d) {
  std::string id;
  id += d.number ? 'n' : '-';
  if (d.number) id += std::to_string(*d.number);
  for (const NullableText* t : {&d.kind, &d.sub}) {
    id += *t ? '|' : '-';
    if (*t) AppendPart(id, **t);
  }
  return id;
}

}  // namespace

void DocumentData::Start(DbConnection& db, const std::vector<std::string>& customers, bool unassigned,
                         const std::function<void()>& pump, size_t rowsPerBatch) {
  pump_ = pump;
  keepAll_ = unassigned;
  rowsPerBatch_ = rowsPerBatch;
  ReadHoldings(db, customers, rowsPerBatch);
  // The accounts the document visits: the customers' ones (their texts as
  // parameters, so a missing kind is the empty text), or every one.
  for (const auto& [customer, depots] : customerDepots_)
    for (const DepotRow& d : depots)
      if (d.number) wanted_.insert(DepotKey(*d.number, d.kind.value_or(""), d.sub.value_or("")));
  stream_ = std::make_unique<RowStream>(db, sql::kTransactions, rowsPerBatch);
  const DbRow& columns = stream_->Columns();
  at_ = TransactionColumnsAt{DepotColumns(columns), columns.ColumnIndex("FONWKNEXT"),
                             columns.ColumnIndex("FONISIN"), TransactionColumns(columns)};
}

void DocumentData::ReadHoldings(DbConnection& db, const std::vector<std::string>& customers,
                                size_t rowsPerBatch) {
  const std::unordered_set<std::string> wanted(customers.begin(), customers.end());
  RowStream holdings(db, sql::kHoldings, rowsPerBatch);
  const auto at = [&](const char* column) { return holdings.Columns().ColumnIndex(column); };
  const int customerAt = at("INHKDNR1"), wknAt = at("FONWKNEXT"), isinAt = at("FONISIN"),
            nameAt = at("FONNAMELANG"), unitsAt = at("BESTSTK");
  const int personAt[] = {at("INHVORNAME1"), at("INHNACHNAME1"), at("INHGESCH1"),   at("INHGEBTAG1"),
                          at("INHTITELTXT1"), at("INHSTRASSE1"), at("INHPLZ1"),     at("INHORT1"),
                          at("INHLANDTXT1"), at("INHTEL1"),     at("INHFAX1"),     at("INHEMAIL1"),
                          at("INHANREDE1")};
  const DepotColumns depotAt(holdings.Columns());
  for (long long n = 1; holdings.Next(); ++n) {
    if (n % kRowsPerPump == 0) pump_();
    const DbRow& row = holdings.Row();
    const NullableText customer = TextColumn(row, customerAt);
    const DepotRow depot = ReadDepotRow(row, depotAt);
    if (customer && wanted.count(*customer)) {
      const auto text = [&](int i) { return TextColumn(row, personAt[i]); };
      PersonRow p{text(0), text(1), text(2), IntColumn(row, personAt[3]), text(4), text(5), text(6),
                  text(7), text(8), text(9), text(10), text(11), text(12)};
      // The person statement's rows are distinct and sorted; its first is
      // the least.
      auto [found, added] = persons_.try_emplace(*customer, std::move(p));
      if (!added && Order(p, found->second) < 0) found->second = std::move(p);
      customerDepots_[*customer].push_back(depot);
    }
    const std::optional<std::string> key = KeyOf(depot);
    if (!key) continue;
    bool& withoutCustomer = holdingWithoutCustomer_[*key];
    withoutCustomer = withoutCustomer || !customer;
    const NullableText fund = FundOf(TextColumn(row, wknAt), TextColumn(row, isinAt));
    if (fund) holdings_[FundKey(*key, *fund)].push_back({TextColumn(row, nameAt), DoubleColumn(row, unitsAt)});
  }
  for (auto& [customer, depots] : customerDepots_) MakeDistinct(depots);
}

bool DocumentData::ReadBatch() {
  // As many rows as the stream fetches at a time, so that a customer waits
  // for no more rows than needed.
  for (size_t i = 0; i < rowsPerBatch_; ++i) {
    if (!stream_) return false;
    if (!stream_->Next()) {
      stream_.reset();
      return false;
    }
    Take(stream_->Row());
  }
  return true;
}

void DocumentData::Take(const DbRow& row) {
  if (++rows_ % kRowsPerPump == 0) pump_();
  DepotRow account = ReadDepotRow(row, at_->depot);
  if (rows_ == 1 || !SameRow(account, lastAccount_)) {
    if (rows_ > 1) {
      if (const std::optional<std::string> last = KeyOf(lastAccount_)) left_.insert(*last);
    }
    if (keepAll_ && seenAccounts_.insert(RowIdentity(account)).second) accounts_.push_back(account);
    const std::optional<std::string> key = KeyOf(account);
    if (key) {
      left_.erase(*key);
      if (lastKeyed_ && Order(account, *lastKeyed_) < 0) sorted_ = false;
      lastKeyed_ = account;
      if (handedOut_.count(*key)) stale_ = true;
    }
    depot_ = key && (keepAll_ || wanted_.count(*key)) ? &depots_[*key] : nullptr;
    if (depot_ && depot_->fundsOrdered) {
      depot_->funds.clear();
      depot_->fundsOrdered = false;
    }
    lastFund_ = 0;
    lastAccount_ = std::move(account);
  }
  if (!depot_) return;
  Depot::FundNames names{TextColumn(row, at_->wkn), TextColumn(row, at_->isin), std::nullopt};
  const auto same = [&](const Depot::FundNames& f) { return f.wkn == names.wkn && f.isin == names.isin; };
  auto& funds = depot_->transactionFunds;
  if (lastFund_ >= funds.size() || !same(funds[lastFund_])) {
    const auto found = std::find_if(funds.begin(), funds.end(), same);
    lastFund_ = static_cast<uint32_t>(found - funds.begin());
    if (found == funds.end()) {
      names.key = FundOf(names.wkn, names.isin);
      funds.push_back(std::move(names));
    }
  }
  const uint32_t at = transactions_.size();
  transactions_.push_back(StoredTransaction(ReadTransaction(row, at_->values), lastFund_, longTexts_));
  if (!depot_->runs.empty() && depot_->runs.back().first + depot_->runs.back().count == at) {
    ++depot_->runs.back().count;
  } else {
    depot_->runs.push_back({at, 1});
  }
}

bool DocumentData::Complete(const DepotRow& d) const {
  if (!stream_ || !d.number) return true;  // an account without number is never selected
  const DepotRow asParameters{d.number, d.kind.value_or(""), d.sub.value_or("")};
  if (left_.count(DepotKey(*d.number, *asParameters.kind, *asParameters.sub))) return true;
  return sorted_ && lastKeyed_ && Order(asParameters, *lastKeyed_) < 0;
}

void DocumentData::AwaitCustomer(const std::string& customer) {
  const std::vector<DepotRow>& depots = CustomerDepots(customer);
  while (!std::all_of(depots.begin(), depots.end(), [this](const DepotRow& d) { return Complete(d); }) &&
         ReadBatch()) {
  }
}

void DocumentData::Finish() {
  while (ReadBatch()) {
  }
  if (accountsOrdered_) return;
  accountsOrdered_ = true;
  MakeDistinct(accounts_);
  for (const DepotRow& a : accounts_) {
    const std::optional<std::string> key = KeyOf(a);
    const auto holdings = key ? holdingWithoutCustomer_.find(*key) : holdingWithoutCustomer_.end();
    if (holdings == holdingWithoutCustomer_.end() || holdings->second) unassigned_.push_back(a);
  }
}

void DocumentData::OrderFunds(Depot& depot, const std::string& depotKey) const {
  for (const Depot::FundNames& f : depot.transactionFunds) {
    const std::string isin = f.isin.value_or("");
    const auto held = f.key ? holdings_.find(FundKey(depotKey, *f.key)) : holdings_.end();
    if (held == holdings_.end()) {
      depot.funds.push_back({f.wkn, isin, std::nullopt, std::nullopt});
      continue;
    }
    for (const Holding& h : held->second) depot.funds.push_back({f.wkn, isin, h.name, h.units});
  }
  MakeDistinct(depot.funds);
}

void DocumentData::ForEachTransaction(const Depot& depot, std::string_view fundKey,
                                      const std::function<void(const TransactionValues&)>& use) const {
  for (const Depot::Run& run : depot.runs) {
    for (uint32_t i = run.first; i < run.first + run.count; ++i) {
      const StoredTransaction& t = transactions_[i];
      const NullableText& key = depot.transactionFunds[t.fund()].key;
      if (key && *key == fundKey) use(t.Values(longTexts_));
    }
  }
}

const PersonRow* DocumentData::Person(const std::string& customer) const {
  const auto it = persons_.find(customer);
  return it == persons_.end() ? nullptr : &it->second;
}

const std::vector<DepotRow>& DocumentData::CustomerDepots(const std::string& customer) const {
  static const std::vector<DepotRow> kNone;
  const auto it = customerDepots_.find(customer);
  return it == customerDepots_.end() ? kNone : it->second;
}

const Depot* DocumentData::FindDepot(const std::string& number, const std::string& kind,
                                     const std::string& sub) {
  int64_t value = 0;
  const char* end = number.data() + number.size();
  const auto [ptr, ec] = std::from_chars(number.data(), end, value);
  if (ec != std::errc() || ptr != end) return nullptr;
  const std::string key = DepotKey(value, kind, sub);
  if (stream_) handedOut_.insert(key);
  const auto it = depots_.find(key);
  if (it == depots_.end()) return nullptr;
  Depot& depot = it->second;
  if (!depot.fundsOrdered) {
    OrderFunds(depot, key);
    depot.fundsOrdered = true;
  }
  return &depot;
}

}  // namespace korvun
