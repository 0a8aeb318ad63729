#include "reference.h"
#include "runtime/statements/suggest.h"
#include <fstream>
#include <sstream>
#include <vector>

std::vector<std::string> split(const char* names) {
    auto v = rt::stmt::aliases(names);
    if (v.empty()) v.push_back("");
    return v;
}

bool listed(const char* const* list, const std::string& k) {
    for (; list && *list; ++list)
        if (k == *list) return true;
    return false;
}

namespace {

// The developer reference shows where each option is stored; the user reference does not.
bool g_dev = true;

std::string num(double v) {
    std::ostringstream o;
    o << v;
    return o.str();
}

std::string check(const goption& o) {
    switch (o.check) {
    case GC_MIN: return " (at least " + num(o.lo) + ")";
    case GC_RANGE: return " (" + num(o.lo) + " to " + num(o.hi) + ")";
    case GC_INTRANGE: return " (whole number, " + num(o.lo) + " to " + num(o.hi) + ")";
    default: return "";
    }
}

std::string range(const goption& o) { return o.noby ? "a TO b" : "a TO b BY c"; }

std::string options(const goption* opts, int n);

// What a value keyword stores, and its sub-options.
std::string valkw(const gvalkw& k) {
    std::string s = "`" + split(k.names)[0] + "`";
    auto al = split(k.names);
    for (size_t i = 1; i < al.size(); ++i) s += " or `" + al[i] + "`";
    std::vector<std::string> eff;
    if (g_dev && k.slot >= 0) eff.push_back("slot " + std::to_string(k.slot) + " = " + num(k.value));
    if (g_dev && k.flag >= 0) eff.push_back("flag " + std::to_string(k.flag));
    if (!eff.empty()) {
        s += " (";
        for (size_t i = 0; i < eff.size(); ++i) s += (i ? ", " : "") + eff[i];
        s += ")";
    }
    if (k.nsubopts > 0) {
        if (!k.subopts[0].names[0]) {
            s += ", optionally followed by `(lower, upper)`" +
                 (g_dev ? " into slots " + std::to_string(k.subopts[0].slot) + " and " + std::to_string(k.subopts[0].slot2)
                        : std::string());
        } else {
            s += ", optionally followed by `(` " + options(k.subopts, k.nsubopts) + " `)`";
        }
    }
    return s;
}

std::string value(const goption& o) {
    std::string eq = o.way == GW_PAREN ? "`(`" : o.way == GW_OPTEQ ? "optionally `=`" : "`=`";
    std::string close = o.way == GW_PAREN ? " `)`" : "";
    std::string v;
    switch (o.value) {
    case GV_NONE: v = ""; break;
    case GV_NUMBER: v = eq + " number" + check(o) + close; break;
    case GV_NUMBER2: v = eq + " number [number]" + check(o); break;
    case GV_NUMORLIST: v = eq + " a number, or numbers and ranges " + range(o) + check(o); break;
    case GV_NUMLIST: v = eq + " numbers and ranges " + range(o) + check(o); break;
    case GV_NAME: v = eq + " name (at most 8 characters)"; break;
    case GV_NAMELIST: v = eq + " names, or `(` names `)`"; break;
    case GV_TEXT: v = eq + " name or quoted text"; break;
    case GV_QSTRING: v = eq + " quoted text" + (o.maxlen ? " (at most " + std::to_string(o.maxlen) + " characters)" : ""); break;
    case GV_QSORLIST: v = eq + " one or more quoted texts"; break;
    case GV_DATASET: v = eq + " input data set `[library.]member`"; break;
    case GV_OUTDATASET: v = eq + " output data set `[library.]member`"; break;
    case GV_CATALOG: v = eq + " graphics catalog `[library.]catalog`"; break;
    case GV_VARLIST: v = eq + " variables"; break;
    case GV_KEYWORD: v = eq + " one of the values"; break;
    case GV_POSITION: v = eq + " position name, or `(x, y)`"; break;
    case GV_RELATIONS: v = eq + " relation, or `(` two or three relations `)`, or `(` three relations each with `(variable)` `)`"; break;
    }
    if (o.value != GV_NONE && o.value != GV_KEYWORD && o.nvals > 0) v += ", or a value keyword";
    if (o.value == GV_NONE && o.nsubopts > 0) v = "optionally `(` sub-options `)`";
    return v;
}

std::string stored(const goption& o) {
    if (!g_dev) return "";
    std::vector<std::string> s;
    if (o.flag >= 0) s.push_back("flag " + std::to_string(o.flag));
    if (o.constslot >= 0) s.push_back("slot " + std::to_string(o.constslot) + " = " + num(o.constval));
    if (o.slot >= 0) {
        std::string t = "slot " + std::to_string(o.slot);
        if (o.slot2 >= 0)
            t += o.value == GV_POSITION ? " (name); slots " + std::to_string(o.slot2) + ", " + std::to_string(o.slot2 + 1) +
                                              " (coordinates)"
                                        : ", " + std::to_string(o.slot2);
        if (o.value == GV_RELATIONS) t = "slots 26, 30, 35 (codes); 32, 33, 34 (variables)";
        s.push_back(t);
    }
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) out += (i ? "; " : "") + s[i];
    return out;
}

std::string details(const goption& o) {
    std::string d;
    if (o.nvals > 0) {
        d += "Values: ";
        for (int i = 0; i < o.nvals; ++i) d += (i ? "; " : "") + valkw(o.vals[i]);
        d += ". ";
    }
    if (o.ntrail > 0) {
        d += "May be followed by ";
        for (int i = 0; i < o.ntrail; ++i) {
            const goption& t = o.trail[i];
            d += (i ? ", " : "") + std::string("`") + split(t.names)[0] + "`" + (t.value != GV_NONE ? "=" : "") +
                 (g_dev ? " (" + stored(t) + ")" : std::string());
        }
        d += ". ";
    }
    if (o.nsubopts > 0) d += "Sub-options: " + options(o.subopts, o.nsubopts) + ". ";
    return d;
}

// Sub-options written inline.
std::string options(const goption* opts, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        const goption& o = opts[i];
        auto al = split(o.names);
        s += (i ? "; " : "") + std::string("`") + al[0] + "`";
        for (size_t k = 1; k < al.size(); ++k) s += " or `" + al[k] + "`";
        std::string v = value(o);
        if (!v.empty()) s += " " + v;
        if (o.nvals > 0) {   // a sub-option's value keywords store what the option itself does not
            s += " (";
            for (int k = 0; k < o.nvals; ++k) s += (k ? "; " : "") + valkw(o.vals[k]);
            s += ")";
        }
        std::string st = stored(o);
        if (!st.empty()) s += " (" + st + ")";
    }
    return s;
}

std::string headform(const gstatement& s) {
    switch (s.head) {
    case GH_PROC: return "PROC VITALYX [options];";
    case GH_BY: return std::string("BY [DESCENDING] variable ... [NOTSORTED];") + (g_dev ? "  (PROC slot 0)" : "");
    case GH_VARS: return "UNITID variables;";
    case GH_ONEVAR: return "keyword numeric-variable;";
    case GH_CLASS:
        return std::string("CLASS variable [variable] [/ TRUNCATE[=n]];") +
               (g_dev ? "  (PROC slot 2; at most two variables)" : "  (at most two variables)");
    case GH_DIST: return std::string("DISTRIBUTION [=] name;") + (g_dev ? "  (PROC slot 9)" : "");
    case GH_RESPONSE: return "[label:] keyword response [= class-variable [class-variable]] [/ options];";
    case GH_STRESS: return "[label:] keyword response = stress-variable [/ options];";
    case GH_MCF:
        return "[label:] keyword time * recurrence-variable [( values )] [= class-variables] [/ options];\n"
               "[label:] keyword (INTERVAL=start end RECURRENCES=variable CENSORED=variable) [= class-variables] "
               "[/ options];";
    case GH_MODEL: return "MODEL response [= effects] [/ options];";
    case GH_EFFECTS: return "LOGSCALE effects [/ options];";
    case GH_INSET: return "INSET item [= 'label'] ... distribution ( parameter [= 'label'] ... ) ... [/ options];";
    case GH_FMODE: return "FMODE [ELIMINATE | KEEP | COMBINE] variable = ( 'value' ... ) [/ options];";
    case GH_MAKE: return "MAKE 'table' OUT=[library.]member [NOPRINT];";
    }
    return "";
}

}  // namespace

namespace {

// The sentence of a statement (keyword "") or of one of its options; shared plot options fall
// back to the PROBPLOT sentence. Empty when there is none.
std::string meaningof(const Meanings* m, const std::string& stmt, const std::string& kw) {
    if (!m) return "";
    if (auto it = m->find({stmt, kw}); it != m->end()) return it->second;
    if (!kw.empty() && (stmt == "ANALYZE" || stmt == "RELATIONPLOT" || stmt == "MCFPLOT"))
        if (auto it = m->find({"PROBPLOT", kw}); it != m->end()) return it->second;
    return "";
}

std::string render(const grammar& g, const Meanings* m, std::vector<std::string>* missing) {
    std::ostringstream o;
    auto need = [&](const std::string& stmt, const std::string& kw) {
        std::string t = meaningof(m, stmt, kw);
        if (t.empty() && missing) missing->push_back(stmt + (kw.empty() ? "" : " " + kw));
        return t;
    };
    if (g_dev) {
        o << "# Option slots and flags of PROC " << g.procname << " (for developers)\n\n"
          << "Generated from the procedure's grammar tables (run the `options` unit test with `VITALYX_UPDATE_DOCS=1` to\n"
          << "rewrite it). \"Stored\" names the option slot or flag of the statement record that the procedure reads; the\n"
          << "code names them in `proc/framework/optslots.h` (`slot::plot::LOCATION`, `flag::plot::NOPOLISH`). The user\n"
          << "reference, with what each option does, is [statements.md](statements.md).\n\n"
          << "Statement labels go to slot 25. ANALYZE, PROBPLOT, RELATIONPLOT and MCFPLOT share one numbering.\n\n";
    } else {
        o << "# Statements of PROC " << g.procname << "\n\n"
          << "Every statement and option the procedure takes, with what it does. Keywords are case-insensitive; aliases\n"
          << "are listed after the keyword. This page is generated from the procedure's grammar and the sentences of\n"
          << "`tests/data/options/meanings.txt` (run the `options` unit test with `VITALYX_UPDATE_DOCS=1` to rewrite it),\n"
          << "so it lists exactly what the parser accepts; the table of the rows that are not used, at the end, is\n"
          << "`tests/data/options/skipped-rows.md`. Where the procedure stores each option is in\n"
          << "[option-slots.md](option-slots.md), for developers.\n\n";
    }
    o << "Numbers given to an option are checked when the statement is read: a range `a to b` includes both ends,\n"
      << "and a single bound `at least a` includes `a` (the analysis then refuses values such as a zero scale with\n"
      << "its own message). Number lists take single values and ranges `a TO b BY c` (the step may be negative but\n"
      << "not zero, and must run from a towards b); where the table says `a TO b` the step is 1 and BY is not\n"
      << "allowed. An option given twice keeps the last value, with a note.\n\n"
      << "Statement labels: `label: PROBPLOT ...` gives an ANALYZE, PROBPLOT, RELATIONPLOT or MCFPLOT statement a\n"
      << "label of at most 8 characters, shown with its tables.\n\n"
      << "Responses: `time`; `time*censor(values)`; `(lower upper)` (a comma between them is allowed);\n"
      << "`events(trials)` (ANALYZE only, with DISTRIBUTION BINOMIAL or POISSON; a plot statement refuses it with an ERROR\n"
      << "that says which responses it takes). ANALYZE may have no response (binomial and Poisson counts).\n"
      << "At most " << g.classmax << " class variables follow `=`.\n\n"
      << "MODEL and LOGSCALE effects: variables crossed with `*`, nested with `variable(class-variables)`, all\n"
      << "crossings of `a|b|c` (limited to n variables by `@n`), ranges `x1-x5`, `a--d` (data-set order),\n"
      << "`a-numeric-d`, `a-character-d`, and the lists `_NUMERIC_`, `_CHARACTER_` (or `_CHAR_`). Effect names are\n"
      << "cut to NAMELEN= characters (" << g.namelendefault << " by default).\n\n";
    for (int i = 0; i < g.nstmts; ++i) {
        const gstatement& s = g.stmts[i];
        auto al = split(s.names);
        o << "## " << (s.head == GH_PROC ? "PROC " : "") << al[0];
        if (al.size() > 1) {
            o << " (also";
            for (size_t k = 1; k < al.size(); ++k) o << " " << al[k];
            o << ")";
        }
        std::string h = headform(s);
        for (size_t k = h.find("keyword"); k != std::string::npos; k = h.find("keyword", k)) h.replace(k, 7, al[0]);
        o << "\n\n    " << h << "\n\n";
        if (!g_dev) o << need(al[0], "") << "\n\n";
        if (g_dev && s.highest >= 0) o << "Record slots 0 to " << s.highest << ".\n\n";
        if (s.head == GH_DIST) {
            o << (g_dev ? "| Distribution | Code |\n|---|---|\n" : "Distributions: ");
            for (int k = 0; k < g.ndists; ++k) {
                auto d = split(g.dists[k].names);
                std::string n = "`" + d[0] + "`";
                for (size_t j = 1; j < d.size(); ++j) n += (g_dev ? ", `" : " or `") + d[j] + "`";
                if (g_dev) o << "| " << n << " | " << num(g.dists[k].value) << " |\n";
                else o << (k ? "; " : "") << n;
            }
            o << (g_dev ? "\n" : ".\n\n");
        }
        if (s.head == GH_INSET) {
            if (g_dev)
                o << "Items (code into slot 1; a label `= 'text'` of at most " << INSET_LABELMAX
                  << " characters goes to slot 10 and adds code " << INSET_LABEL << "; the list ends with " << INSET_END
                  << "):\n\n| Item | Code |\n|---|---|\n";
            else
                o << "Items, each optionally followed by `= 'label'` (at most " << INSET_LABELMAX << " characters): ";
            for (int k = 0; k < g.ninsetitems; ++k) {
                auto d = split(g.insetitems[k].names);
                std::string n = "`" + d[0] + "`";
                for (size_t j = 1; j < d.size(); ++j) n += (g_dev ? ", `" : " or `") + d[j] + "`";
                if (g_dev) o << "| " << n << " | " << g.insetitems[k].code << " |\n";
                else o << (k ? "; " : "") << n;
            }
            o << (g_dev ? "\nDistribution groups: the group code, the parameter items in parentheses, the group code "
                          "again.\n\n| Distribution | Code | Parameters (codes) |\n|---|---|---|\n"
                        : ".\n\nThe fitted parameters, as a distribution with its parameter items in parentheses "
                          "(`weibull(scale shape)`): ");
            for (int k = 0; k < g.ninsetdists; ++k) {
                const ginsetdist& d = g.insetdists[k];
                auto a = split(d.names);
                std::string n = "`" + a[0] + "`";
                for (size_t j = 1; j < a.size(); ++j) n += (g_dev ? ", `" : " or `") + a[j] + "`";
                std::string ps;
                for (int j = 0; j < d.nparams; ++j)
                    ps += (j ? ", " : "") + split(d.params[j].names)[0] +
                          (g_dev ? " (" + std::to_string(d.params[j].code) + ")" : std::string());
                if (g_dev) o << "| " << n << " | " << d.code << " | " << ps << " |\n";
                else o << (k ? "; " : "") << n << " (" << ps << ")";
            }
            o << (g_dev ? "\n" : ".\n\n");
        }
        if (s.head == GH_MODEL) {
            o << "Relations of RELATION=: ";
            for (int k = 0; k < g.nrelations; ++k) {
                auto a = split(g.relations[k].names);
                for (size_t j = 0; j < a.size(); ++j) o << (k || j ? ", " : "") << "`" << a[j] << "`";
                if (g_dev) o << " " << num(g.relations[k].value);
            }
            o << ".\n\n";
        }
        if (s.varslot >= 0) {
            if (g_dev)
                o << "Besides the options below, `variable = numbers` puts the variable into slot " << s.varslot
                  << " and the numbers into slot " << s.varvalslot << ".\n\n";
            else
                o << "Besides the options below, `variable = numbers` gives values of another variable of the model "
                     "(FITTYPE=REGRESSION) at which the percentile lines are drawn.\n\n";
        }
        if (s.nsets == 0) continue;
        o << (g_dev ? "| Option | Aliases | Value | Stored | Details |\n|---|---|---|---|---|\n"
                    : "| Option | Aliases | Value | What it does |\n|---|---|---|---|\n");
        for (int k = 0; k < s.nsets; ++k) {
            const goptset& set = s.sets[k];
            for (int j = 0; j < set.n; ++j) {
                const goption& op = set.opts[j];
                auto a = split(op.names);
                if (set.except && listed(set.except, a[0])) continue;
                // skip rows that an earlier table of the statement overrides
                bool shadowed = false;
                for (int m2 = 0; m2 < k && !shadowed; ++m2)
                    for (int q = 0; q < s.sets[m2].n && !shadowed; ++q)
                        for (const auto& x : split(s.sets[m2].opts[q].names))
                            for (const auto& y : a) shadowed |= x == y;
                if (shadowed) continue;
                std::vector<std::string> names;
                for (const auto& x : a)
                    if (!set.only || listed(set.only, x)) names.push_back(x);
                if (names.empty()) continue;
                std::string alias;
                for (size_t m2 = 1; m2 < names.size(); ++m2) alias += (m2 > 1 ? ", " : "") + names[m2];
                if (g_dev)
                    o << "| " << names[0] << " | " << alias << " | " << value(op) << " | " << stored(op) << " | "
                      << details(op) << " |\n";
                else {
                    std::string what = need(al[0], a[0]) + " " + details(op);
                    while (!what.empty() && what.back() == ' ') what.pop_back();
                    o << "| " << names[0] << " | " << alias << " | " << value(op) << " | " << what << " |\n";
                }
            }
        }
        o << "\n";
    }
    return o.str();
}

}  // namespace

std::string renderreference(const grammar& g, const Meanings& m, std::vector<std::string>& missing) {
    g_dev = false;
    std::string s = render(g, &m, &missing);
    g_dev = true;
    return s;
}

std::string renderslots(const grammar& g) {
    g_dev = true;
    return render(g, nullptr, nullptr);
}

Meanings loadmeanings(const std::string& path) {
    Meanings m;
    std::ifstream in(path);
    std::string l;
    while (std::getline(in, l)) {
        if (l.empty() || l[0] == '#') continue;
        const size_t bar = l.find(" | ");
        if (bar == std::string::npos) continue;
        const std::string head = l.substr(0, bar);
        const size_t sp = head.find(' ');
        m[{head.substr(0, sp), sp == std::string::npos ? std::string() : head.substr(sp + 1)}] = l.substr(bar + 3);
    }
    return m;
}
