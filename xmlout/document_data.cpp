#include "xmlout/document_data.hpp"

#include "xmlout/import_queries.hpp"

namespace korvun {
DocumentData::DocumentData(Env& env, DbConnection& db, const std::vector<std::string>& selection, bool unassigned,
                           std::function<void()> pump, size_t rowsPerBatch, size_t transactionBound)
    : customers_(OpenRows<CustomerRow>(
          db, sql::Customers(selection.size()), selection,
          [](const DbRow& q) {
            return [customer = q.ColumnIndex("INHKDNR1"), intermediary = q.ColumnIndex("VERBERNR"),
                    rows = q.ColumnIndex("CUSTOMERS")](const DbRow& row) {
              return CustomerRow{{IntColumn(row, customer), IntColumn(row, intermediary)},
                                 row.AsTextAt(customer), row.AsIntAt(rows)};
            };
          },
          Fetching::OnCaller(), rowsPerBatch, &turns_)) {
  onCustomer_ = customers_->Next();
  if (onCustomer_) customerRows_ = customers_->Current().rows;
  if (customerRows_ > 0) persons_ = std::make_unique<PersonReader>(db, turns_, rowsPerBatch);
  if (customerRows_ > 0 || unassigned) {
    depots_ = std::make_unique<DepotReader>(env, db, selection, unassigned, std::move(pump), turns_,
                                            rowsPerBatch, transactionBound);
  }
}

bool DocumentData::NextCustomer() {
  if (!onCustomer_) {
    owner_ = AccountOwner{};
    customerText_.clear();
    customersDone_ = true;
    return false;
  }
  CustomerRow& row = customers_->Current();
  owner_ = row.owner;
  customerText_ = std::move(row.text);
  onCustomer_ = customers_->Next();
  return true;
}
size_t DocumentData::MostRowsHeld() const {
  return customers_->MostRowsHeld() + (persons_ ? persons_->MostRowsHeld() : 0) +
         (depots_ ? depots_->MostRowsHeld() : 0);
}

const PersonRow* DocumentData::Person() {
  return persons_ && owner_.customer ? persons_->For(*owner_.customer) : nullptr;
}

DepotContent* DocumentData::NextDepot() {
  // A customer row without number has no accounts; the accounts without
  // customer come after the last row.
  if (!depots_ || (!owner_.customer && !customersDone_)) return nullptr;
  return depots_->Next(owner_);
}

void DocumentData::ForEachTransaction(std::string_view fundKey,
                                      const std::function<void(const TransactionValues&)>& use) {
  depots_->ForEachTransaction(fundKey, use);
}

}  // namespace korvun
