// Numeric options of a parsed statement, with the reader's default (gparm.h).
#include "proc/framework/gparm.h"

double gparm(const stmtrec* record, int32_t slot, double def) {
    // A negative slot or no record is treated like a slot beyond the record: the default.
    if (!record || slot < 0 || slot > record->highest || !record->slots) return def;
    const optslot& s = record->slots[slot];
    return s.given ? s.num : def;
}

int labelpos(const stmtrec* record, int32_t slot, int hi) {
    const double v = gparm(record, slot, 1.0);
    if (!(v >= 1.0 && v <= hi) || v != static_cast<double>(static_cast<int>(v))) return 0;
    return static_cast<int>(v);
}
