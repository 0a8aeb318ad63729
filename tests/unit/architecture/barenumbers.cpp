// The bare-number checks of proc/ (barenumbers.h says which numbers).
#include "barenumbers.h"

#include "srctokens.h"

#include <algorithm>
#include <fstream>
#include <cctype>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace barenum {

namespace {

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool endswith(const std::string& s, const std::string& p) {
    return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

// The tokens of a line of code: identifiers, numbers (with their suffixes and hex digits),
// and every other character but blanks alone.
std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> v;
    for (size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (std::isspace(c)) { ++i; continue; }
        size_t j = i + 1;
        if (std::isalnum(c) || c == '_')
            while (j < line.size() && (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_')) ++j;
        v.push_back(line.substr(i, j - i));
        i = j;
    }
    return v;
}

// The request numbers the host's pool interface knows, in hex and decimal.
const std::set<std::string> kPoolNumbers = {"0x2002", "0x2004", "0x2006", "0x3002", "0x3004", "0x3006",
                                            "8194",   "8196",   "8198",   "12290",  "12292",  "12294"};

// A pool request as a number, a number cast to a request, or the host's routines called directly.
bool barepool(const std::vector<std::string>& t) {
    for (size_t i = 0; i < t.size(); ++i) {
        if (kPoolNumbers.count(t[i])) return true;
        if (i + 2 < t.size() && t[i] == "fns" && t[i + 1] == "." && (t[i + 2] == "alloc" || t[i + 2] == "free")) return true;
        if (i + 2 < t.size() && t[i] == "static_cast" && t[i + 1] == "<" && t[i + 2] == "poolflag") return true;
    }
    return false;
}

using srctok::isname;
using srctok::isnumber;

const std::set<std::string> kCodeFields = {"distcode", "fitmethod", "fitmeth"};
const std::set<std::string> kCompare = {"==", "!=", "<", ">", "<=", ">=", "="};

// The operator at t[i] ("==", "<=", ...: tokens are single characters), and its length.
std::string op(const std::vector<std::string>& t, size_t i, size_t* len) {
    if (i >= t.size()) return {};
    if (i + 1 < t.size() && t[i + 1] == "=" && (t[i] == "=" || t[i] == "!" || t[i] == "<" || t[i] == ">")) {
        *len = 2;
        return t[i] + "=";
    }
    *len = 1;
    return t[i];
}

// Watches the distribution codes and fit methods of one file: the fields, and locals copied
// from them (const uint32_t method = s->work.fitmethod;); a switch on one of them is open until its
// closing brace.
struct codewatch {
    std::set<std::string> names = kCodeFields;
    int depth = 0;                 // brace depth before the line
    std::vector<int> switches;     // depths inside the open switches on a code

    bool line(const std::vector<std::string>& t) {
        bool bare = false;
        for (size_t i = 0; i < t.size(); ++i) {
            // a local copied from a code: NAME = ...->field ;  or  NAME = field ;
            if (isname(t[i]) && i + 1 < t.size() && t[i + 1] == "=" && !(i + 2 < t.size() && t[i + 2] == "=")) {
                size_t j = i + 2;
                while (j < t.size() && t[j] != ";" && t[j] != ",") ++j;
                if (j > i + 2 && kCodeFields.count(t[j - 1]) && !kCodeFields.count(t[i])) names.insert(t[i]);
            }
            if (names.count(t[i])) {
                size_t len = 0;
                const std::string o = op(t, i + 1, &len);
                if (kCompare.count(o) && i + 1 + len < t.size() && isnumber(t[i + 1 + len])) bare = true;
                // a number on the left: 9 == s->opts.distcode, 12 > distcode
                if (i >= 3 && t[i - 1] == "=" && (t[i - 2] == "=" || t[i - 2] == "!") && isnumber(t[i - 3])) bare = true;
                if (i >= 2 && (t[i - 1] == "<" || t[i - 1] == ">") && isnumber(t[i - 2])) bare = true;
            }
            if (t[i] == "switch") {
                size_t j = i + 1;
                bool code = false;
                int par = 0;
                for (; j < t.size(); ++j) {
                    if (t[j] == "(") ++par;
                    if (t[j] == ")" && --par == 0) break;
                    code |= names.count(t[j]) > 0;
                }
                if (code) switches.push_back(depth + 1);
            }
            if (t[i] == "case" && !switches.empty() && depth == switches.back() && i + 1 < t.size() && isnumber(t[i + 1]))
                bare = true;
            if (t[i] == "{") ++depth;
            if (t[i] == "}") {
                if (!switches.empty() && depth == switches.back()) switches.pop_back();
                --depth;
            }
        }
        return bare;
    }
};

// The host's return codes but 0 and 1, and the step's exit codes.
const std::set<std::string> kReturnCodes = {"1008", "1012", "1016", "1020", "2000", "3000"};
const std::set<std::string> kExitCodes = {"108", "120", "1008", "1012", "1016", "1020", "2000", "3000"};

bool rcvariable(const std::string& t) {
    return t == "rc" || t == "exitcode" || (t.size() > 2 && t.compare(t.size() - 2, 2, "rc") == 0);
}

// xexit(NUMBER, ...); return CODE; a return-code variable = CODE, or max(..rc, CODE); raise(x, CODE).
bool bareexit(const std::vector<std::string>& t) {
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == "xexit" && i + 2 < t.size() && t[i + 1] == "(" && isnumber(t[i + 2]) && t[i + 2] != "0") return true;
        if (!kExitCodes.count(t[i])) continue;
        if (i >= 1 && t[i - 1] == "return" && kReturnCodes.count(t[i])) return true;
        if (i >= 2 && t[i - 1] == "=" && rcvariable(t[i - 2])) return true;
        if (i >= 2 && t[i - 1] == "," && rcvariable(t[i - 2])) return true;         // max(ls->lsrc, CODE)
        if (i >= 4 && t[i - 1] == "," && t[i - 3] == "(" && t[i - 4] == "raise") return true;   // raise(ls, CODE)
    }
    return false;
}

}  // namespace

// The text with comments, string and character literals replaced by blanks (newlines kept),
// so that a number in a comment or a message is not taken for code.
std::string codeonly(const std::string& t) {
    std::string out = t;
    enum { CODE, LINE, BLOCK, STR, CHR } st = CODE;
    for (size_t i = 0; i < t.size(); ++i) {
        const char c = t[i], n = i + 1 < t.size() ? t[i + 1] : '\0';
        switch (st) {
        case CODE:
            if (c == '/' && n == '/') st = LINE, out[i] = ' ';
            else if (c == '/' && n == '*') st = BLOCK, out[i] = ' ';
            else if (c == '"') st = STR;
            else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(t[i - 1])))) st = CHR;
            break;
        case LINE:
            if (c == '\n') st = CODE; else out[i] = ' ';
            break;
        case BLOCK:
            if (c == '*' && n == '/') out[i] = out[i + 1] = ' ', ++i, st = CODE;
            else if (c != '\n') out[i] = ' ';
            break;
        case STR:
        case CHR:
            if (c == '\\') { out[i] = ' '; if (i + 1 < t.size() && t[i + 1] != '\n') out[++i] = ' '; }
            else if ((st == STR && c == '"') || (st == CHR && c == '\'')) st = CODE;
            else if (c != '\n') out[i] = ' ';
            break;
        }
    }
    return out;
}

const char* rulename(Rule r) {
    switch (r) {
    case Rule::PoolFlag: return "pool request without a name";
    case Rule::DistributionCode: return "distribution code or fit method without a name";
    case Rule::ExitCode: return "exit code without a name";
    case Rule::MessageNumber: return "message number without a name";
    }
    return "?";
}

std::string describe(const Finding& f) { return f.where + ": " + rulename(f.rule) + ": " + f.text; }

std::vector<Finding> check(const std::string& file, const std::string& text) {
    return check(file, text, messagesinks({text}));
}

std::vector<Finding> check(const std::string& file, const std::string& text, const msgsinks& sinks) {
    std::vector<Finding> out;
    const std::vector<int> msglines = messagelines(text, sinks);
    // The one file that turns the names into the host's numbers.
    const bool pooldefs = endswith(file, "proc/framework/pools.h");
    std::istringstream src(text), clean(codeonly(text));
    std::string line, raw;
    codewatch codes;
    for (int n = 1; std::getline(clean, line) && std::getline(src, raw); ++n) {
        auto found = [&](Rule r) { out.push_back({r, file + ":" + std::to_string(n), trimmed(raw)}); };
        const auto t = tokens(line);
        if (!pooldefs && barepool(t)) found(Rule::PoolFlag);
        if (codes.line(t)) found(Rule::DistributionCode);
        if (bareexit(t)) found(Rule::ExitCode);
        if (std::binary_search(msglines.begin(), msglines.end(), n)) found(Rule::MessageNumber);
    }
    return out;
}

std::vector<Finding> checktree(const fs::path& root, const std::string& top) {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(root / top)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".h" || ext == ".cpp")) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> texts;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        texts.push_back(s.str());
    }
    const msgsinks sinks = messagesinks(texts);
    std::vector<Finding> out;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto v = check(fs::relative(files[i], root).generic_string(), texts[i], sinks);
        out.insert(out.end(), v.begin(), v.end());
    }
    return out;
}

}  // namespace barenum
