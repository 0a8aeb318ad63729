// The nonparametric curve record: 24 doubles per curve point, kept in a group's curve
// buffer or written in blocks of 1000 records to the group's second utility file.
#pragma once
#include <cstdint>

enum : int {
    CR_PPOS = 0,       // plotting position (READOUT: the life-table estimate)
    CR_F = 2,          // product-limit (or life-table) estimate of the distribution function
    CR_SE = 3,         // its standard error
    CR_UPPER = 8,      // pointwise upper limit
    CR_LOWER = 9,      // pointwise lower limit
    CR_SIMUPPER = 12,  // simultaneous upper limit
    CR_SIMLOWER = 13,  // simultaneous lower limit
    CR_TIME = 14,      // time on the stored scale
    CR_WEIGHT = 20,    // weight of the row
    CR_CUMHAZ = 21,    // Nelson-Aalen cumulative hazard
    CR_CUMHAZSD = 22,  // its standard deviation
    CR_WORDS = 24,
};

constexpr int64_t CR_BYTES = CR_WORDS * 8;
constexpr int32_t CR_PERBLOCK = 1000;                       // records per utility-file block
constexpr int64_t CR_BLOCKBYTES = CR_PERBLOCK * CR_BYTES;   // 192000
// The most a group's curve records take in one buffer (87,381 records); larger curves go to
// the group's curve file, which the host keeps in memory as long as its files together fit.
constexpr int64_t CR_MEMBYTES = int64_t(16) << 20;
