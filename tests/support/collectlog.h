// A log that keeps every line the runtime writes, so that a test can look for a message.
#pragma once
#include <string>
#include <vector>

#include "runtime/session.h"

namespace testsupport {

class CollectLog : public rt::Log {
public:
    struct Line {
        char kind;  // 'N', 'W', 'E'
        std::string text;
    };
    std::vector<Line> lines;
    void line(char kind, const std::string& text) override { lines.push_back({kind, text}); }

    // The lines of a kind.
    std::vector<std::string> of(char kind) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.kind == kind) out.push_back(l.text);
        return out;
    }
    int count(char kind) const {
        int n = 0;
        for (const auto& l : lines) n += l.kind == kind;
        return n;
    }
    // Whether a line (of the kind) contains part.
    bool has(char kind, const std::string& part) const {
        for (const auto& l : lines)
            if (l.kind == kind && l.text.find(part) != std::string::npos) return true;
        return false;
    }
    bool has(const std::string& part) const {
        for (const auto& l : lines)
            if (l.text.find(part) != std::string::npos) return true;
        return false;
    }
    // Every line as "K: text", for messages of failing tests.
    std::string all() const {
        std::string s;
        for (const auto& l : lines) s += std::string(1, l.kind) + ": " + l.text + "\n";
        return s;
    }
    // The lines of one kind, one to a line.
    std::string all(char kind) const {
        std::string s;
        for (const auto& l : lines)
            if (l.kind == kind) s += l.text + "\n";
        return s;
    }
};

}  // namespace testsupport
