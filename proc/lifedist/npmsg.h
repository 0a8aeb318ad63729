// Message numbers of catalog 510 that the nonparametric estimates, the least-squares fit
// and the Turnbull estimate log or show.
#pragma once

enum : int {
    MSG_FILE_OPEN = 13,          // a utility file cannot be opened
    MSG_CURVE_WRITE = 15,        // a block of curve records cannot be written
    MSG_ROWS_END_EARLY = 22,     // a group's utility file ends before all rows are read
    MSG_LS_DEGENERATE = 524,     // the least-squares line cannot be fitted
    MSG_EM_NOTCONV = 542,        // Turnbull: not converged in n iterations
    MSG_EM_NOINFO = 543,         // Turnbull: no memory for the information matrix
    MSG_EM_KUHNTUCKER = 544,     // Turnbull: a Lagrange multiplier is negative
    MSG_EM_KUHNTUCKER_GRP = 5440,
    MSG_READOUT_FEW = 575,       // READOUT: fewer on test at the first readout than the total weight
    MSG_ALL_RIGHT = 692,         // every observation right-censored
    MSG_ALL_LEFT = 693,          // every observation left-censored
    MSG_EM_CONVERGED = 720,      // Turnbull: converged
    MSG_EM_CONVERGED_GRP = 7100,
    MSG_EM_NOTCONV_REASON = 820,
    MSG_EM_NOTCONV_REASON_GRP = 821,
    MSG_EM_NOITER = 822,         // Turnbull: no iteration was made
    MSG_WEIBAYES_OVERFLOW = 903, // Weibayes exponent too large
    MSG_WEIBAYES_QUANTILE = 9030, // Weibayes chi-square quantile refused
};

// Labels of catalog 0.
enum : int {
    LBL_ITEREM = 555,            // IterEM table
    LBL_ITERHIST = 545,          // its title
    LBL_EM_CONVERGED = 710,      // reason: converged
    LBL_EM_NOITER = 822,         // reason: no iteration
    LBL_CONVSTATUS = 750,        // TConvergenceStatus table
};
