// BY groups: runs of observations with equal BY values, in data order. Unless NOTSORTED
// is given, the whole order is checked once, before the first group is handed out.
#include <string>
#include "host/hostdefs.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/services.h"
#include "runtime/session.h"

namespace rt::ds {
namespace {

// Blank-padded comparison of two texts: trailing blanks do not count.
int comparetext(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
    const int sign = a.size() > n ? 1 : -1;
    for (char ch : rest)
        if (ch != ' ') return static_cast<unsigned char>(ch) < ' ' ? -sign : sign;
    return 0;
}

// Numeric order with the missing value below every number.
int comparenum(double a, double b) {
    const bool ma = ismissing(a), mb = ismissing(b);
    if (ma || mb) return ma == mb ? 0 : ma ? -1 : 1;
    return a < b ? -1 : a > b ? 1 : 0;
}

int comparevalue(const Column& c, int64_t r, int64_t s) {
    if (c.numeric) return comparenum(c.num[static_cast<size_t>(r)], c.num[static_cast<size_t>(s)]);
    return comparetext(c.text(r), c.text(s));
}

std::string valuetext(const Column& c, int64_t row) {
    if (c.numeric) return std::string(best12(c.num[static_cast<size_t>(row)]).view());
    std::string_view t = c.text(row);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return std::string(t);
}

std::string byvaluesof(const hdataset& ds, int64_t row) {
    std::string s;
    for (const ByVar& b : ds.by) {
        const Column& c = ds.cols[static_cast<size_t>(b.var - 1)];
        if (!s.empty()) s += ' ';
        s += c.name + "=" + valuetext(c, row);
    }
    return s;
}

// Finds the first observation of every BY group in one pass over the data; unless the
// order is not checked (NOTSORTED), returns the first observation (0-based) that is out
// of order, else -1.
int64_t findgroups(hdataset& ds) {
    std::vector<int64_t>& starts = ds.groupstarts;
    starts.clear();
    if (ds.nobs > 0) starts.push_back(0);
    if (!ds.by.empty()) {
        for (int64_t r = 1; r < ds.nobs; ++r) {
            for (const ByVar& b : ds.by) {
                int c = comparevalue(ds.cols[static_cast<size_t>(b.var - 1)], r - 1, r);
                if (c == 0) continue;
                if (b.descending) c = -c;
                if (c > 0 && !ds.notsorted) return r;
                starts.push_back(r);
                break;
            }
        }
    }
    starts.push_back(ds.nobs);
    return -1;
}

void reportorder(const hdataset& ds, int64_t r) {
    std::string vars;
    for (const ByVar& b : ds.by) {
        if (!vars.empty()) vars += ' ';
        if (b.descending) vars += "DESCENDING ";
        vars += ds.cols[static_cast<size_t>(b.var - 1)].name;
    }
    const std::string text = "Data set " + ds.lib + "." + ds.member + " is not sorted by " + vars +
                             ": observation " + std::to_string(r + 1) + " (" + byvaluesof(ds, r) +
                             ") comes after observation " + std::to_string(r) + " (" +
                             byvaluesof(ds, r - 1) +
                             "). Sort the data set, or add NOTSORTED to the BY statement.";
    Session* s = ds.session;
    if (s && s->log) s->log->line('E', text);
    if (s) ++s->errors;
}

}  // namespace

void setby(hdataset* ds, const std::vector<ByVar>& vars, bool notsorted) {
    if (!ds) return;
    ds->by.clear();
    for (const ByVar& b : vars)
        if (ds->column(b.var)) ds->by.push_back(b);
    ds->notsorted = notsorted;
    ds->started = false;
    ds->orderbad = false;
    ds->ingroup = false;
    ds->groupstarts.clear();
    ds->group = 0;
    ds->gstart = ds->gend = 0;
    ds->cur = -1;
    ds->valid = false;
}

std::vector<std::pair<std::string, std::string>> byvalues(hdataset* ds) {
    std::vector<std::pair<std::string, std::string>> v;
    if (!ds || !ds->ingroup) return v;
    for (const ByVar& b : ds->by) {
        const Column& c = ds->cols[static_cast<size_t>(b.var - 1)];
        v.emplace_back(c.name, valuetext(c, ds->gstart));
    }
    return v;
}

bool byisnumeric(hdataset* ds, int i) {
    if (!ds || i < 0 || i >= static_cast<int>(ds->by.size())) return false;
    return ds->cols[static_cast<size_t>(ds->by[static_cast<size_t>(i)].var - 1)].numeric;
}

namespace svc {

int xbynext(dshandle ds) {
    if (!ds) return 0;
    if (!ds->started) {
        ds->started = true;
        ds->group = 0;
        const int64_t r = findgroups(*ds);
        if (r >= 0) {
            ds->orderbad = true;
            ds->groupstarts.clear();
            reportorder(*ds, r);
        }
        if (ds->nobs == 0) {
            // Nothing to run: say so rather than end the step without a word.
            Session* s = ds->session;
            if (s && s->log) s->log->line('N', "Data set " + ds->lib + "." + ds->member + " has no observations; no analysis runs.");
        }
    }
    ds->valid = false;
    if (ds->orderbad || ds->group + 1 >= ds->groupstarts.size()) {
        ds->ingroup = false;
        ds->cur = ds->nobs;
        return 0;
    }
    ds->gstart = ds->groupstarts[ds->group];
    ds->gend = ds->groupstarts[++ds->group];
    ds->ingroup = true;
    ds->cur = ds->gstart - 1;
    return 1;
}

int xbyrwnd(dshandle ds, int) {
    if (!ds || !ds->ingroup) return 1;
    ds->cur = ds->gstart - 1;
    ds->valid = false;
    return 0;
}

int xybyget(dshandle ds) {
    if (!ds || !ds->ingroup) return -1;
    int64_t next = ds->cur + 1;
    if (next < ds->gstart) next = ds->gstart;
    if (next >= ds->gend) {
        ds->cur = ds->gend;
        ds->valid = false;
        return -1;
    }
    ds->cur = next;
    ds->valid = true;
    return 0;
}

int xbyline(dshandle ds, char* buffer, int buflen) {
    if (!buffer || buflen <= 0) return 0;
    std::string s = ds && ds->ingroup ? byvaluesof(*ds, ds->gstart) : std::string();
    if (static_cast<int>(s.size()) > buflen - 1) s.resize(static_cast<size_t>(buflen - 1));
    s.copy(buffer, s.size());
    buffer[s.size()] = '\0';
    return static_cast<int>(s.size());
}

int xopnt(dshandle ds) {
    if (!ds) return 1;
    ds->cur = -1;
    ds->valid = false;
    return 0;
}

int xoget(dshandle ds) {
    if (!ds) return -1;
    const int64_t next = ds->cur + 1;
    if (next >= ds->nobs) {
        ds->cur = ds->nobs;
        ds->valid = false;
        return -1;
    }
    ds->cur = next;
    ds->valid = true;
    return 0;
}

}  // namespace svc
}  // namespace rt::ds
