// The class groups and class levels of the BY group.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct groupstate {
    grpnode rootgrp;
    grpnode* grplist[3];        // head, scratch node, current node
    int32_t grplistw[2];
    grpnode* curgrp;
    grpnode* curfit;
    grpnode** grpgrid;
    int32_t nclass;
    int32_t ncells;
    int32_t clsvars[2];         // class variables
    uint8_t clsnumeric[2];      // class variable is numeric
    uint8_t clskeynum[2];       // key is numeric
    uint8_t clssort[2];         // sort bytes
    char clsnames[2][33];
    int32_t clsnamelen[2];
    uint8_t clslabgiven[2];
    int32_t clslablen[2];
    char clslabels[2][257];
    uint32_t nlev[2];           // levels of the second and of the first class variable
    char* levkeys[2];           // 16-character level texts of the first and second variable
    double* levvals[2];         // their numeric level values
    uint32_t grpcolw;
    fmodesettings fmodeset;
    uint8_t clsorder[6];
    uint32_t grpcount[3];
    uint8_t clsmissing[2];      // MISSING1, MISSING2
    uint8_t clsdropmiss[2];     // drop observations with a missing class value (the inverses)
    uint8_t lastgrp;            // the group being written is the last one
    int32_t grprowix, grpcolix; // grid row and column of the group being written
};
