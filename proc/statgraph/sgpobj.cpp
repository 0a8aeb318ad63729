// The phantom object of a probability plot: every row of the plot (points, censored marks,
// fitted lines and bands, reference lines) in one object, its columns bound to the row area.
#include <algorithm>

#include "proc/vyxstate.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

int SGPobj(vyxstate* s) {
    if (int rc = phcreate(s, "Phantom", "Phantom Data for Probability Plot")) return rc;
    double* v = s->row.rowvals;
    const auto& p = s->popt.pflags;
    struct Col {
        int kind;
        const char* name;
        const char* label;
        const char* role;
        void* cell;
        bool present;
    };
    const bool refs = s->work.refs.counts[REF_HREF] > 0 || s->work.refs.counts[REF_VREF] > 0 || s->work.refs.counts[REF_PREF] > 0 ||
                      s->work.refs.counts[REF_LREF] > 0;
    const Col cols[] = {
        {COL_DOUBLE, "YPPlot", "YPPLot", "Yvalue", &v[SG_YVALUE], true},
        {COL_DOUBLE, "Plabel", nullptr, "Yvalue", &v[SG_PLABEL], true},
        {COL_DOUBLE, "PYval", nullptr, "Yvalue", &v[SG_PYVAL], true},
        {COL_DOUBLE, "Pupper", nullptr, "Yvalue", &v[SG_PUPPER], true},
        {COL_DOUBLE, "Plower", nullptr, "Yvalue", &v[SG_PLOWER], true},
        {COL_DOUBLE, "Freq", nullptr, "Xvalue", &v[SG_FREQ], s->input.nfreq > 0},
        {COL_DOUBLE, "Yupper", "Yupper", "Yvalue", &v[SG_YUPPER], true},
        {COL_DOUBLE, "Ylower", "Ylower", "Yvalue", &v[SG_YLOWER], true},
        {COL_DOUBLE, "Xvalue2", "Xvalue2", "Xvalue", &v[SG_XVALUE2], true},
        {COL_DOUBLE, "Yvalue2", "Yvalue2", "Yvalue", &v[SG_YVALUE2], true},
        {COL_DOUBLE, "Yupper2", "Yupper2", "Yvalue", &v[SG_YUPPER2], true},
        {COL_DOUBLE, "Ylower2", "Ylower2", "Yvalue", &v[SG_YLOWER2], true},
        {COL_DOUBLE, "Xupper2", "Xupper2", "Xvalue", &v[SG_XUPPER2], true},
        {COL_DOUBLE, "Xlower2", "Xlower2", "Xvalue", &v[SG_XLOWER2], true},
        {COL_DOUBLE, "Censor", "Censor", "Xvalue", &v[SG_CENSOR], s->work.nocenplot && !p.overlay},
        {COL_INT, "Index", "Index", "GroupIndx", &s->sg.grpindex, true},
        {COL_DOUBLE, "XRef", "XRef", "Xvalue", &s->sg.refrow[SG_XREF], refs},
        {COL_DOUBLE, "YRef", "YRef", "Yvalue", &s->sg.refrow[SG_YREF], refs},
        {COL_TEXT, "XRefLabel", "XRefLabel", "Group", s->sg.refrowlab[SG_XREF], refs},
        {COL_TEXT, "YRefLabel", "YRefLabel", "Group", s->sg.refrowlab[SG_YREF], refs},
    };
    // The time column first: it copies the time variable's attributes.
    if (int rc = phcolumn(s, COL_DOUBLE, "XPPlot", "XPPlot", 0, "Xvalue", &v[SG_XVALUE], s->input.rspvars[RV_TIME])) return rc;
    for (const Col& c : cols)
        if (c.present)
            if (int rc = phcolumn(s, c.kind, c.name, c.label, SG_REFLABEL, c.role, c.cell)) return rc;
    int rc = 0;
    if (s->groups.nclass == 0) {
        if (p.fmcombine) rc = phcolumn(s, COL_TEXT, "OverlayGroup", "OverlayGroup", std::max(8, s->groups.fmodeset.maxlen), "Group", s->row.rowtext);
    } else {
        const int width = s->groups.nclass == 1 ? std::max<int>(static_cast<int>(s->groups.grpcolw), 10) : std::max<int>(static_cast<int>(s->groups.grpcolw) + 1, 10);
        rc = phcolumn(s, COL_TEXT, s->groups.nclass == 1 ? "Group" : "Group1", s->groups.clsnames[CV_FIRST], width, "Group", s->row.grplabel);
        if (!rc && s->groups.nclass == 2) rc = phcolumn(s, COL_TEXT, "Group2", s->groups.clsnames[CV_SECOND], width, "Group", s->row.grplabel2);
        if (!rc && p.overlay) rc = phcolumn(s, COL_TEXT, "OverlayGroup", "OverlayGroup", 256, "Group", s->row.rowtext);
    }
    if (rc) return rc;
    return phenddef(s);
}
