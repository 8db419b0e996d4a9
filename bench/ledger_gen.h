#pragma once
// Generated year ledgers for the benchmarks and for looking at the views.
#include <string>

#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"

namespace velmo::bench {

struct LedgerShape {
    int records = 1023;      // play records, spread over the year in date order
    int machines = 9;        // machines per record
    int halls = 30;          // distinct hall names
    int machine_kinds = 14;  // distinct machine names
    bool extra = true;       // an extra column with preset values
    // Play data on every machine entry (kind, rates, cash, held and end pieces,
    // stores, counts) and a time on every record; the amounts are those the
    // pieces give. The records are otherwise those of the same shape without it.
    bool play = false;
    unsigned seed = 20240;
};

// A year of play records as the ledger file holds them.
LedgerImage generated_ledger(const std::string& year, const LedgerShape& shape);

// A registry of the halls and the fourteen base machine names of the generated
// ledgers, with six named attributes and a mask of one to three of them per machine.
Registry generated_registry();

}  // namespace velmo::bench
