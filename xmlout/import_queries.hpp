// The statements that read the staging tables for the import file. The
// engine sorts every result into the order the document is written in, so
// that the document reads each result once, front to back, and holds no more
// than one depot account's rows.
#pragma once

#include <cstddef>
#include <string>

namespace korvun::sql {

// Customers of the adviser reference, by one, two or three intermediary
// levels (`pieces`), with their number in each row (CUSTOMERS). Holdings
// without a customer number come last, where the staging engine the
// document was first written with sorts them; a customer under two
// intermediary numbers comes twice, in the order of those numbers.
std::string Customers(size_t pieces);

// The holdings' first holders, each customer's rows in the order they are
// stored.
std::string Persons();

// The transactions of every depot account the document writes, in the
// document's order: per selected customer row (INHKDNR1, VERBERNR as
// Customers has them) the depot accounts of the customer's holdings, sorted
// and distinct, with the rows that a statement given the account's keys as
// texts selects; on a follow-up import (`unassigned`) then the accounts of
// the transactions that no holding with a customer matches, sorted, with
// INHKDNR1 and VERBERNR null. Within an account the rows come in stored
// order.
std::string DepotTransactions(size_t pieces, bool unassigned);

// The holdings of the same depot accounts, in the same order, that name the
// accounts' funds. On a follow-up import only the accounts with a holding
// without customer have theirs here: an account whose kind or sub-account
// is missing is matched by other keys than its own (DepotHoldings).
std::string DepotHoldings(size_t pieces, bool unassigned);

// One depot account's transactions and holdings, the parameters
// :DEPSTNR, :DEPKTOART, :DEPUNTERKTO as texts; transactions in stored order.
std::string AccountTransactions();
std::string AccountHoldings();

}  // namespace korvun::sql
