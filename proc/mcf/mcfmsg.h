// Message numbers of catalog 510 that MCFPLOT logs (texts in runtime/messages/510-mcf.msg).
#pragma once

enum : int {
    MSG_GROUP = 510,
    // input and records
    MCFM_NOMEM_POOL = 6,        // a pool cannot be made
    MCFM_FILEOPEN = 13,         // a utility file cannot be opened
    MCFM_FILEWRITE = 15,        // a utility file cannot be written
    MCFM_NOOBS = 17,            // no usable observation
    MCFM_TREE1 = 19,            // first-level class tree
    MCFM_TREE2 = 20,            // second-level class tree
    MCFM_SHORTREAD = 22,        // a utility file ends early
    MCFM_TWOENDS = 115,         // a unit with two end-of-observation records
    MCFM_NOEND = 116,           // a unit without an end-of-observation record
    MCFM_UNITTREE = 117,        // unit tree failure, unit not found
    MCFM_DIFFGROUPS = 146,      // MCFDIFF needs exactly two groups
    MCFM_DIFFCLASS = 147,       // MCFDIFF needs exactly one class variable
    MCFM_AFTEREND = 602,        // an event after its unit's end
    MCFM_NEGWEIGHT = 911,       // a negative weight
    MCFM_BADINTERVAL = 907,     // an interval that ends before it starts or overlaps the previous
    MCFM_MISALIGNED = 909,      // the two groups' intervals do not line up
    MCFM_INTERVALNOTE = 910,    // interval data: a note
    MCFM_FREQLAWLESS = 912,     // FREQ switches the variance to LAWLESS
    MCFM_NOUNITID = 666,        // recurrence times need a UNITID variable
    // options
    MCFM_HRANGE = 73, MCFM_OVERLAYCENBIN = 161,
    MCFM_HREFLABPOS = 1966, MCFM_VREFLABPOS = 1967,   // our own warnings (187 and 188 are errors)
    MCFM_NROWSLOW = 25, MCFM_NROWSINT = 26, MCFM_NCOLSLOW = 27, MCFM_NCOLSINT = 28,
    MCFM_NROWSONE = 29, MCFM_NCOLSONE = 30, MCFM_PANELBOTH = 31, MCFM_PANELROWS = 32, MCFM_PANELCOLS = 33,
    MCFM_PANELONECOL = 1968,   // our own: "in one column", not "in 1 columns"
    MCFM_VREFLAB1 = 42, MCFM_VREFLABN = 43, MCFM_HREFLAB1 = 44, MCFM_HREFLABN = 45,
    MCFM_OVERLAYINSET = 667, MCFM_HAXISLOG = 668, MCFM_VAXISLOG = 669,
    MCFM_SEGCLOSE = 39,
    // axis ranges of the plot
    MCFM_HORDER = 75, MCFM_VORDER = 118, MCFM_LOGHLOWER = 119, MCFM_LOGVDATA = 120, MCFM_LOGVLOWER = 190,
    MCFM_LOGVLIMIT = 191,
    // table texts
    MCFM_T_DATASET = 257, MCFM_T_NOBS = 227, MCFM_T_UNITS = 311, MCFM_T_EVENTS = 312,
    MCFM_T_GROUPA = 315, MCFM_T_GROUPB = 316, MCFM_T_EXACTTITLE = 244, MCFM_T_INTVTITLE = 309,
    MCFM_T_DIFFHDR = 566, MCFM_T_DIFFHDRLONG = 567,
    // our own: faults of the input and the estimators that are refused or mended
    MCFM_EVENTFREQ = 941,       // an event record whose FREQ is missing or not positive
    MCFM_CLAMPED = 942,         // an event just past its unit's end is taken at the end
    MCFM_RISKSET = 943,         // an interval with events has no units at risk
    MCFM_IVLMISSING = 944,      // an interval record whose events or removals are missing
    MCFM_ENDFREQ = 2003,        // an end-of-observation record whose FREQ is missing or not positive
    MCFM_ENDUNSEEN = 2004,      // a listed end-of-observation value that no record has
};
