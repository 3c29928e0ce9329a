// The statements that read the staging tables for the import file. Each
// result comes in the order the document is written in, so that the
// document reads it once, front to back, and holds no more than one depot
// account's rows: the engine sorts the customers, the persons' keys and the
// accounts, and looks up each account's holdings and transactions by their
// indexes, so that what it sorts grows with the accounts, not with the rows.
#pragma once

#include <cstddef>
#include <string>

namespace korvun::sql {

// The columns the statements take from a row (alias X) besides its keys:
// a transaction's, a holding's fund and units, a holding's first holder.
extern const char kTransactionColumns[];
extern const char kHoldingColumns[];
extern const char kPersonColumns[];

// Customers of the adviser reference, by one, two or three intermediary
// levels (`pieces`), with their number in each row (CUSTOMERS). Holdings
// without a customer number come last, where the staging engine the
// document was first written with sorts them; a customer under two
// intermediary numbers comes twice, in the order of those numbers.
std::string Customers(size_t pieces);

// The holdings' first holders, each customer's rows in the order they are
// stored.
std::string Persons();

// The transactions of the depot accounts the document writes for the
// customers, in the document's order: per selected customer row (INHKDNR1,
// VERBERNR as Customers has them) the depot accounts of the customer's
// holdings, sorted and distinct, with the rows that a statement given the
// account's keys as texts selects, in stored order.
std::string CustomerTransactions(size_t pieces);
// The same for the accounts of the transactions that no holding with a
// customer matches, sorted, with INHKDNR1 and VERBERNR null: written after
// the customers on a follow-up import.
std::string UnassignedTransactions();

// The holdings of the same depot accounts, in the same order, that name the
// accounts' funds: the customers' accounts, and on a follow-up import those
// without customer. Of these only the accounts with a holding without
// customer have theirs here: an account whose kind or sub-account is
// missing is matched by other keys than its own (AccountHoldings).
std::string DepotHoldings(size_t pieces);
std::string UnassignedHoldings();

// One depot account's transactions and holdings, the parameters
// :DEPSTNR, :DEPKTOART, :DEPUNTERKTO as texts; transactions in stored order.
std::string AccountTransactions();
std::string AccountHoldings();

}  // namespace korvun::sql
