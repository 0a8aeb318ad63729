// The table templates of the runtime: for every template path the procedure binds, the
// headers, number formats and justification of its columns.
#include "runtime/output/templates.h"

#include <cctype>
#include <map>

namespace rt::out {

namespace {

num::NumFormat best(int w = 12) { return {num::Fmt::Best, w, 0}; }
num::NumFormat fix(int w = 10, int d = 4) { return {num::Fmt::Fixed, w, d}; }
num::NumFormat count(int w = 8) { return {num::Fmt::Count, w, 0}; }
num::NumFormat pval() { return {num::Fmt::Pvalue, 6, 4}; }

ColSpec col(const char* header, num::NumFormat f = best()) { return ColSpec{header, f, false, true}; }
ColSpec hidden() { return ColSpec{"", best(), true, true}; }

using Cols = std::vector<std::pair<std::string, ColSpec>>;

// Column names that mean the same in every table.
const Cols& common() {
    static const Cols c = {
        {"Estimate", col("Estimate", fix())},
        {"Stderr", col("Standard Error", fix())},
        {"Std", col("Standard Error", fix())},
        {"Lower", col("Lower", fix())},
        {"Upper", col("Upper", fix())},
        {"Chisq", col("Chi-Square", fix())},
        {"X2", col("Chi-Square", fix())},
        {"Pval", col("Pr > ChiSq", pval())},
        {"N", col("N", count(10))},
        {"Iter", col("Iter", count(6))},
        {"Ridge", col("Ridge", best(10))},
        {"Loglike", col("Log Likelihood", best(14))},
        {"Value", col("Value", best())},
        {"Description", col("")},
        {"Parameter", col("Parameter")},
        {"Parm", col("Parameter")},
        {"Group", col("Group")},
        {"Label", col("Label")},
        {"Mode", col("Failure Mode")},
        {"Effect", col("Effect")},
        {"RowName", col("")},
    };
    return c;
}

std::vector<Template> build() {
    std::vector<Template> t;
    auto add = [&](const char* path, TplKind k, Cols cols, std::vector<SpanSpec> spans = {},
                   const char* missing = ".") {
        Template x;
        x.path = path;
        x.kind = k;
        x.cols = std::move(cols);
        x.spans = std::move(spans);
        x.missing = missing;
        t.push_back(std::move(x));
    };
    const std::vector<SpanSpec> limits = {{"Lower", "Upper", "Confidence Limits"}};
    const TplKind T = TplKind::Table;

    add("kv.vitalyx.info", TplKind::Info, {});
    add("kv.vitalyx.infolabel", TplKind::InfoLabel, {});
    add("KV.Vitalyx.NObs", T,
        {{"Label", col("")}, {"NObsRead", hidden()}, {"NObsUsed", hidden()}, {"SumFreqsRead", hidden()},
         {"SumFreqsUsed", hidden()}, {"StmtLabel", col("Label")}});
    add("kv.vitalyx.classlevels", T, {{"Name", col("Class")}, {"Levels", col("Levels", count(6))}, {"Values", col("Values")}});
    add("Kv.Vitalyx.Parminfo", T, {});
    add("kv.vitalyx.datsum", T, {});
    add("kv.vitalyx.ppest", T, {}, limits);
    add("kv.vitalyx.prmoth", T, {{"Value", col("Value", fix())}});
    add("kv.vitalyx.lagr", T, {});
    // Nine characters: every PCTLIST value (1E-6 to 99.999999) prints as given.
    add("kv.vitalyx.pcntile", T, {{"Pct", col("Percent", best(9))}}, limits);
    add("kv.vitalyx.surv", T,
        {{"Life", col("Time")}, {"CDF", col("CDF", fix())}, {"Clower", col("Lower", fix())},
         {"Cupper", col("Upper", fix())}, {"Vitlyx", col("Survival", fix())}, {"Rlower", col("Lower", fix())},
         {"Rupper", col("Upper", fix())}},
        {{"Clower", "Cupper", "CDF Limits"}, {"Rlower", "Rupper", "Survival Limits"}});
    add("Kv.Vitalyx.Ithist", T, {{"Parameter", col("Parameter")}});
    add("kv.vitalyx.ProbEstimates", T,
        {{"Lifelower", col("Lower Time")}, {"Lifeupper", col("Upper Time")}, {"Lifetime", col("Time")},
         {"Prob", col("Probability", fix())}, {"stderr", col("Standard Error", fix())},
         {"cumhaz", col("Cumulative Hazard", fix())}, {"cumhazsd", col("Cum Hazard Std Dev", fix())},
         {"KM", col("Kaplan-Meier", fix())}, {"SeKM", col("K-M Std Error", fix())}},
        limits);
    add("kv.vitalyx.turnbull", T,
        {{"Left", col("Left")}, {"Right", col("Right")}, {"Prob", col("Probability", fix())},
         {"Grad", col("Reduced Gradient")}, {"Mult", col("Lagrange Multiplier")}},
        {{"Left", "Right", "Interval"}});
    add("KV.Vitalyx.ConvergenceStatus", T, {{"Reason", col("")}, {"Status", hidden()}});
    add("KV.Vitalyx.PGradHess", TplKind::Matrix, {{"*", col("", best())}});
    add("KV.Vitalyx.GradHess", TplKind::Matrix, {{"*", col("", best())}});
    add("KV.Vitalyx.Covb", TplKind::Matrix, {{"*", col("", best())}});
    add("KV.Vitalyx.Corrb", TplKind::Matrix, {{"*", col("", fix(8, 4))}});
    add("kv.vitalyx.pbsum", T, {});
    add("kv.vitalyx.pbpred", T, {});
    add("kv.vitalyx.pbtol", T, {});
    add("kv.vitalyx.pbest", T,
        {{"Count", col("Count", count(10))}, {"Exposure", col("Exposure")}, {"Rate", col("Rate", fix())},
         {"Events", col("Events", count(10))}, {"Trials", col("Trials", count(10))},
         {"Prop", col("Proportion", fix())}},
        limits);
    add("kv.vitalyx.pbpredtol", T,
        {{"Pcount", col("Predicted Count", fix())}, {"Texpo", col("Exposure for Tolerance", fix())},
         {"Tsamp", col("Trials for Tolerance", fix())}},
        {{"Lower", "Upper", "Prediction Limits"}});
    add("kv.vitalyx.modest", T, {}, limits);
    add("kv.vitalyx.obstats", T,
        {{"Prob", col("Prob", fix())}, {"Pcntl", col("Pcntl", fix())}, {"CEN", col("Censor", count(6))}});
    t.back().title = "Observation Statistics";
    t.back().leadbefore = {"Scale", "Prob", "Pcntl", "Xbeta", "Surv", "Resid", "SRESID", "Gresid", "Dresid", "Aresid"};
    add("kv.vitalyx.mcfsum", T, {});
    add("kv.vitalyx.mcfdsum", T, {});
    add("kv.vitalyx.mcfest", T,
        {{"fNote", hidden()}, {"Age", col("Age")}, {"Age1", col("From")}, {"Age2", col("To")},
         {"Mcf", col("Sample MCF", fix())}, {"ID", col("Unit ID")}},
        {{"Age1", "Age2", "Age Interval"}, {"Lower", "Upper", "Confidence Limits"}}, "");
    add("kv.vitalyx.mcfdest", T,
        {{"fNote", hidden()}, {"Age", col("Age")}, {"Mcfdiff", col("MCF Difference", fix())},
         {"ID", col("Unit IDs")}},
        {{"Lower", "Upper", "Confidence Limits"}}, "");
    add("kv.vitalyx.Phantom", TplKind::Phantom, {});
    return t;
}

const std::vector<Template>& all() {
    static const std::vector<Template> t = build();
    return t;
}

}  // namespace

ColSpec Template::column(std::string_view name, std::string_view role, int kind) const {
    for (auto& [n, c] : cols)
        if (iequal(n, name)) return c;
    for (auto& [n, c] : common())
        if (iequal(n, name)) return c;
    if (kind == 5)
        for (auto& [n, c] : cols)
            if (n == "*") return ColSpec{std::string(name), c.fmt, false, true};
    if (iequal(role, "value") || iequal(role, "Numeric") || iequal(role, "Y")) return col(std::string(name).c_str(), best());
    if (iequal(role, "Prob")) return col(std::string(name).c_str(), fix());
    ColSpec c;
    c.header = std::string(name);
    c.fmt = kind == 3 ? count() : best();
    return c;
}

std::string Template::spanlabel(std::string_view first, std::string_view last) const {
    for (auto& s : spans)
        if (iequal(s.first, first) && iequal(s.last, last)) return s.label;
    return std::string();
}

const Template* findtemplate(std::string_view path) {
    for (auto& t : all())
        if (iequal(t.path, path)) return &t;
    return nullptr;
}

const Template& defaulttemplate() {
    static const Template t = [] {
        Template x;
        x.path = "";
        return x;
    }();
    return t;
}

std::vector<std::string> templatepaths() {
    std::vector<std::string> v;
    for (auto& t : all()) v.push_back(t.path);
    return v;
}

}  // namespace rt::out
