// The statements that read the staging tables for the import file.
#pragma once

namespace korvun::sql {

// Customers of the adviser reference, by one, two or three intermediary levels.
// Holdings without a customer number come last, where the staging engine the
// document was first written with sorts them.
inline constexpr const char* kKundenVOE1 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "order by INHKDNR1 nulls last";
inline constexpr const char* kKundenVOE2 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "and VERVOE2 = :parVERVOE2 order by INHKDNR1 nulls last";
inline constexpr const char* kKundenVOE3 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "and VERVOE2 = :parVERVOE2 and VERVOE3 = :parVERVOE3 order by INHKDNR1 nulls last";

// The first holder's person data; only the first row is used.
inline constexpr const char* kKdPerson1 =
    "select distinct INHKDNR1, INHVORNAME1, INHNACHNAME1, INHGESCH1, INHGEBTAG1, "
    "INHTITELTXT1, INHSTRASSE1, INHPLZ1, INHORT1, INHLANDTXT1, INHTEL1, INHFAX1, "
    "INHEMAIL1, INHANREDE1 from BESTAENDE where INHKDNR1 = :parINHKDNR1";

// Depot accounts of a customer.
inline constexpr const char* kKdDepots =
    "select distinct DEPSTNR, DEPKTOART, DEPUNTERKTO from BESTAENDE "
    "where INHKDNR1 = :parINHKDNR1";

// Depot accounts of the transactions that no holding with a customer matches.
// The transactions' depot accounts are made distinct before the join: the
// same rows come out, with one index look-up per depot account instead of
// one per transaction.
inline constexpr const char* kKdDepotsOKZ =
    "select distinct DEPOTS.DEPSTNR, DEPOTS.DEPKTOART, DEPOTS.DEPUNTERKTO from "
    "(select distinct DEPSTNR, DEPKTOART, DEPUNTERKTO from TRANSAKTIONEN) DEPOTS "
    "left outer join BESTAENDE on DEPOTS.DEPSTNR = BESTAENDE.DEPSTNR and "
    "DEPOTS.DEPKTOART = BESTAENDE.DEPKTOART and DEPOTS.DEPUNTERKTO = BESTAENDE.DEPUNTERKTO "
    "where BESTAENDE.INHKDNR1 is NULL";

// Funds of a depot account that have transactions, with their holdings. The
// depot's transactions are made distinct by fund before the join, so the
// holdings are looked up once per fund instead of once per transaction. A
// fund is keyed by its ISIN, or by its WKN when it has no ISIN, so that funds
// known only by their WKN keep their holdings and transactions; an empty and
// a missing ISIN are the same, so such a fund is listed once.
inline constexpr const char* kDpWerte =
    "select distinct T.FONWKNEXT, coalesce(T.FONISIN, '') as FONISIN, "
    "BESTAENDE.FONNAMELANG, BESTAENDE.BESTSTK from "
    "(select distinct DEPSTNR, DEPKTOART, DEPUNTERKTO, FONWKNEXT, FONISIN from TRANSAKTIONEN "
    "where DEPSTNR = :parDEPSTNR and DEPKTOART = :parDEPKTOART and "
    "DEPUNTERKTO = :parDEPUNTERKTO) T "
    "left join BESTAENDE on T.DEPSTNR = BESTAENDE.DEPSTNR and T.DEPKTOART = "
    "BESTAENDE.DEPKTOART and T.DEPUNTERKTO = BESTAENDE.DEPUNTERKTO and "
    "coalesce(nullif(T.FONISIN, ''), T.FONWKNEXT) = "
    "coalesce(nullif(BESTAENDE.FONISIN, ''), BESTAENDE.FONWKNEXT)";

// Transactions of one depot account with their fund key, in the order the
// rows are stored. The document groups them by fund: one look-up per depot
// account instead of one per fund, and the same rows in the same order as a
// query per fund gives.
inline constexpr const char* kDwTrans =
    "select coalesce(nullif(FONISIN, ''), FONWKNEXT) as FONDKEY, TRAID, AUFTRAGTYP, "
    "TEILAUFTRAGTYP, TRAWAEHR, TRADAT, FONPREISDAT, FONPREIS, FONRPREIS, TRASTK, TRABETRAG, "
    "TRABETRAGEUR, FONAUSGABE, TRABONPZ from TRANSAKTIONEN "
    "where DEPSTNR = :parDEPSTNR and DEPKTOART = :DEPKTOART and DEPUNTERKTO = :DEPUNTERKTO";

}  // namespace korvun::sql
