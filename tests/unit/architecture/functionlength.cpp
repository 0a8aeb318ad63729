// Function lengths from the source text (functionlength.h).
#include "functionlength.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "barenumbers.h"

namespace fs = std::filesystem;

namespace funclen {

namespace {

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool endswithword(const std::string& s, const std::string& w) {
    if (s.size() < w.size() || s.compare(s.size() - w.size(), w.size(), w) != 0) return false;
    return s.size() == w.size() || !(std::isalnum(static_cast<unsigned char>(s[s.size() - w.size() - 1])) || s[s.size() - w.size() - 1] == '_');
}

// The head before a brace opens a function body: it ends with the parameter list, maybe
// followed by qualifiers or a trailing return type, and is no if, for, while or switch.
bool functionhead(std::string head, std::string* name) {
    head = trimmed(head);
    // a constructor's initializers: the head ends at the ':' after its parameter list
    for (size_t i = 0, depth = 0, closed = 0; i < head.size(); ++i) {
        if (head[i] == '(') ++depth;
        if (head[i] == ')' && depth > 0 && --depth == 0) closed = 1;
        if (head[i] == ':' && depth == 0 && closed && head[i + 1] != ':' && head[i - 1] != ':') {
            head = trimmed(head.substr(0, i));
            break;
        }
    }
    for (bool again = true; again;) {
        again = false;
        for (const char* q : {"const", "noexcept", "override", "final"})
            if (endswithword(head, q)) {
                head = trimmed(head.substr(0, head.size() - std::string(q).size()));
                again = true;
            }
    }
    // a trailing return type: ") -> type"
    if (const size_t arrow = head.rfind("->"); arrow != std::string::npos && head.find(')', arrow) == std::string::npos) {
        const std::string before = trimmed(head.substr(0, arrow));
        if (!before.empty() && before.back() == ')') head = before;
    }
    if (head.empty() || head.back() != ')') return false;
    // the name before the parameter list's opening parenthesis
    int depth = 0;
    size_t open = std::string::npos;
    for (size_t i = head.size(); i-- > 0;) {
        if (head[i] == ')') ++depth;
        if (head[i] == '(' && --depth == 0) {
            open = i;
            break;
        }
    }
    if (open == std::string::npos) return false;
    size_t e = open;
    while (e > 0 && std::isspace(static_cast<unsigned char>(head[e - 1]))) --e;
    size_t b = e;
    while (b > 0 && (std::isalnum(static_cast<unsigned char>(head[b - 1])) || head[b - 1] == '_' || head[b - 1] == ':' || head[b - 1] == '~')) --b;
    *name = head.substr(b, e - b);
    static const char* const kStatements[] = {"if", "for", "while", "switch", "catch", "return", "sizeof", ""};
    for (const char* k : kStatements)
        if (*name == k) return false;
    return true;
}

}  // namespace

std::vector<Function> functions(const std::string& file, const std::string& text) {
    const std::string t = barenum::codeonly(text);
    std::vector<Function> out;
    struct open {
        bool function;
        int line;
        std::string name;
    };
    std::vector<open> stack;
    std::string head;   // the text since the last ; { or }
    int line = 1;
    for (char c : t) {
        if (c == '\n') ++line;
        if (c == '#' && trimmed(head).empty()) head.clear();
        if (c == '{') {
            const bool inside = std::any_of(stack.begin(), stack.end(), [](const open& o) { return o.function; });
            std::string name;
            if (!inside && functionhead(head, &name)) {
                const std::string h = trimmed(head);
                stack.push_back({true, line - static_cast<int>(std::count(h.begin(), h.end(), '\n')), name});
            } else {
                stack.push_back({false, line, {}});
            }
            head.clear();
        } else if (c == '}') {
            if (!stack.empty()) {
                const open o = stack.back();
                stack.pop_back();
                if (o.function) out.push_back({file + ":" + std::to_string(o.line), o.name, line - o.line + 1});
            }
            head.clear();
        } else if (c == ';') {
            head.clear();
        } else {
            head += c;
            // a preprocessor line does not belong to the next head
            if (c == '\n' && trimmed(head).rfind('#', 0) == 0) head.clear();
        }
    }
    return out;
}

std::vector<Function> longer(const fs::path& root, const std::string& top, int limit) {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(root / top)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".h" || ext == ".cpp")) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Function> out;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        for (const Function& fn : functions(fs::relative(f, root).generic_string(), s.str()))
            if (fn.lines > limit) out.push_back(fn);
    }
    return out;
}

}  // namespace funclen
