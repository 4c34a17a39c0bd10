#include "arb_eval.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

namespace qmtest {

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) {
        return "";
    }
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// Splits at commas outside braces and brackets.
std::vector<std::string> SplitTop(const std::string& s) {
    std::vector<std::string> parts;
    int depth = 0;
    std::string cur;
    for (char c : s) {
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        }
        if (c == ',' && depth == 0) {
            parts.push_back(Trim(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!Trim(cur).empty() || !parts.empty()) {
        parts.push_back(Trim(cur));
    }
    return parts;
}

struct Machine {
    explicit Machine(ArbVertex& vertex) : v(vertex) {}
    ArbVertex& v;
    std::map<std::string, Vec4> temps;
    std::map<std::string, Vec4> params;
    std::vector<Vec4> array;  // c[]
    bool haveAddress = false;
    int a0 = 0;
    std::string error;

    bool Fail(const std::string& e) {
        if (error.empty()) {
            error = e;
        }
        return false;
    }

    bool ParseVector(const std::string& s, Vec4& out) {
        if (s.size() < 2 || s.front() != '{' || s.back() != '}') {
            return Fail("bad literal " + s);
        }
        const std::vector<std::string> items = SplitTop(s.substr(1, s.size() - 2));
        if (items.size() != 4) {
            return Fail("literal needs four values " + s);
        }
        for (size_t i = 0; i < 4; ++i) {
            out[i] = std::stof(items[i]);
        }
        return true;
    }

    static int Index(const std::string& s, size_t open) {
        const size_t close = s.find(']', open);
        return std::stoi(s.substr(open + 1, close - open - 1));
    }

    // Splits "base.suffix" where the suffix follows the register (after any ']').
    static void SplitSuffix(const std::string& s, std::string& base, std::string& suffix) {
        size_t from = s.rfind(']');
        from = from == std::string::npos ? 0 : from;
        // Dotted binding names (vertex.attrib, program.env) keep their dots.
        for (const char* prefix : {"vertex.attrib", "program.env"}) {
            if (s.rfind(prefix, 0) == 0 && from == 0) {
                from = s.size();
            }
        }
        const size_t dot = s.find('.', from);
        base = dot == std::string::npos ? s : s.substr(0, dot);
        suffix = dot == std::string::npos ? "" : s.substr(dot + 1);
    }

    bool ReadBase(const std::string& base, Vec4& out) {
        if (base.rfind("result", 0) == 0) {
            return Fail("reads a result register: " + base);
        }
        if (base.rfind("vertex.attrib[", 0) == 0) {
            const int i = Index(base, base.find('['));
            if (i < 0 || i >= 16) {
                return Fail("attrib out of range");
            }
            out = v.attrib[i];
            return true;
        }
        if (base.rfind("program.env[", 0) == 0) {
            const int i = Index(base, base.find('['));
            if (i < 0 || i >= 96) {
                return Fail("env out of range");
            }
            out = v.env[i];
            return true;
        }
        if (base.rfind("c[", 0) == 0) {
            if (array.empty()) {
                return Fail("c[] not declared");
            }
            const std::string inner = base.substr(2, base.size() - 3);
            int i = 0;
            if (inner.rfind("a0.x", 0) == 0) {
                if (!haveAddress) {
                    return Fail("a0 not declared");
                }
                const size_t plus = inner.find('+');
                const int off = plus == std::string::npos ? 0 : std::stoi(inner.substr(plus + 1));
                if (off > 63) {
                    return Fail("relative offset above 63");
                }
                i = a0 + off;
            } else {
                i = std::stoi(inner);
            }
            out = (i >= 0 && i < static_cast<int>(array.size())) ? array[i] : Vec4{0, 0, 0, 0};
            return true;
        }
        if (auto t = temps.find(base); t != temps.end()) {
            out = t->second;
            return true;
        }
        if (auto p = params.find(base); p != params.end()) {
            out = p->second;
            return true;
        }
        return Fail("undeclared name " + base);
    }

    static int Comp(char c) {
        switch (c) {
        case 'x': return 0;
        case 'y': return 1;
        case 'z': return 2;
        case 'w': return 3;
        default: return -1;
        }
    }

    // A source operand; `scalar` demands a one-component swizzle as ARB does for scalar instructions.
    bool Source(const std::string& text, bool scalar, Vec4& out) {
        std::string s = text;
        bool neg = false;
        if (!s.empty() && s[0] == '-') {
            neg = true;
            s = Trim(s.substr(1));
        }
        std::string base, sw;
        SplitSuffix(s, base, sw);
        Vec4 r;
        if (!ReadBase(base, r)) {
            return false;
        }
        if (scalar && sw.size() != 1) {
            return Fail("scalar operand without a single component: " + text);
        }
        if (!sw.empty() && sw.size() != 1 && sw.size() != 4) {
            return Fail("bad swizzle " + text);
        }
        for (int i = 0; i < 4; ++i) {
            const int c = sw.empty() ? i : Comp(sw[sw.size() == 1 ? 0 : i]);
            if (c < 0) {
                return Fail("bad swizzle " + text);
            }
            out[i] = neg ? -r[c] : r[c];
        }
        return true;
    }

    Vec4* Dest(const std::string& text, unsigned& mask) {
        std::string base = text, m;
        static const char* kResults[] = {"result.position", "result.color.secondary", "result.color",
                                         "result.fogcoord", "result.pointsize"};
        Vec4* target = nullptr;
        for (const char* r : kResults) {
            const std::string rs = r;
            if (text.rfind(rs, 0) == 0 && (text.size() == rs.size() || text[rs.size()] == '.')) {
                base = rs;
                m = text.size() > rs.size() ? text.substr(rs.size() + 1) : "";
                target = rs == "result.position"          ? &v.position
                         : rs == "result.color.secondary" ? &v.secondary
                         : rs == "result.color"           ? &v.color
                         : rs == "result.fogcoord"        ? &v.fogcoord
                                                          : &v.pointsize;
                break;
            }
        }
        if (target == nullptr && text.rfind("result.texcoord[", 0) == 0) {
            const int i = Index(text, text.find('['));
            if (i < 0 || i >= 8) {
                Fail("texcoord out of range");
                return nullptr;
            }
            target = &v.texcoord[i];
            const size_t close = text.find(']');
            m = close + 1 < text.size() ? text.substr(close + 2) : "";
        }
        if (target == nullptr) {
            SplitSuffix(text, base, m);
            auto t = temps.find(base);
            if (t == temps.end()) {
                Fail("write to undeclared or read-only " + text);
                return nullptr;
            }
            target = &t->second;
        }
        mask = 0;
        int last = -1;
        for (char c : m) {
            const int k = Comp(c);
            if (k <= last) {
                Fail("bad write mask " + text);
                return nullptr;
            }
            last = k;
            mask |= 1u << k;
        }
        if (m.empty()) {
            mask = 15;
        }
        return target;
    }

    bool Declare(const std::string& st) {
        if (st.rfind("TEMP ", 0) == 0) {
            for (const std::string& n : SplitTop(st.substr(5))) {
                temps[n] = {kNaN, kNaN, kNaN, kNaN};
            }
            return true;
        }
        if (st == "ADDRESS a0") {
            haveAddress = true;
            return true;
        }
        if (st.rfind("PARAM ", 0) == 0) {
            const size_t eq = st.find('=');
            const std::string name = Trim(st.substr(6, eq - 6));
            const std::string value = Trim(st.substr(eq + 1));
            if (name.find('[') != std::string::npos) {
                const size_t n = static_cast<size_t>(Index(name, name.find('[')));
                for (const std::string& item : SplitTop(value.substr(1, value.size() - 2))) {
                    if (item.rfind("program.env[", 0) == 0) {
                        const std::string range = item.substr(12, item.size() - 13);
                        const size_t dots = range.find("..");
                        const int a = std::stoi(range.substr(0, dots));
                        const int b = dots == std::string::npos ? a : std::stoi(range.substr(dots + 2));
                        for (int i = a; i <= b; ++i) {
                            array.push_back(v.env[i]);
                        }
                    } else {
                        Vec4 lit;
                        if (!ParseVector(item, lit)) {
                            return false;
                        }
                        array.push_back(lit);
                    }
                }
                if (array.size() != n) {
                    return Fail("array size mismatch");
                }
                return true;
            }
            Vec4 lit;
            if (!ParseVector(value, lit)) {
                return false;
            }
            params[name] = lit;
            return true;
        }
        return false;
    }

    bool Execute(const std::string& st) {
        const size_t sp = st.find(' ');
        const std::string op = st.substr(0, sp);
        const std::vector<std::string> args = SplitTop(st.substr(sp + 1));
        static const std::map<std::string, int> kArgs = {
            {"MOV", 2}, {"ADD", 3}, {"SUB", 3}, {"MUL", 3}, {"MAD", 4}, {"DP3", 3}, {"DP4", 3},
            {"MIN", 3}, {"MAX", 3}, {"SLT", 3}, {"SGE", 3}, {"RCP", 2}, {"RSQ", 2}, {"EX2", 2},
            {"LG2", 2}, {"EXP", 2}, {"LOG", 2}, {"LIT", 2}, {"DST", 3}, {"FRC", 2}, {"ARL", 2}};
        auto it = kArgs.find(op);
        if (it == kArgs.end()) {
            return Fail("unknown instruction " + op);
        }
        if (static_cast<int>(args.size()) != it->second) {
            return Fail("wrong operand count: " + st);
        }
        const bool scalar = op == "RCP" || op == "RSQ" || op == "EX2" || op == "LG2" || op == "EXP" ||
                            op == "LOG" || op == "ARL";
        Vec4 s[3];
        for (size_t i = 1; i < args.size(); ++i) {
            if (!Source(args[i], scalar, s[i - 1])) {
                return false;
            }
        }
        if (op == "ARL") {
            if (!haveAddress || args[0] != "a0.x") {
                return Fail("bad ARL " + st);
            }
            a0 = static_cast<int>(std::floor(s[0][0]));
            return true;
        }
        Vec4 r{};
        const float x = s[0][0];
        auto all = [&](float f) { r = {f, f, f, f}; };
        if (op == "MOV") r = s[0];
        else if (op == "ADD") for (int i = 0; i < 4; ++i) r[i] = s[0][i] + s[1][i];
        else if (op == "SUB") for (int i = 0; i < 4; ++i) r[i] = s[0][i] - s[1][i];
        else if (op == "MUL") for (int i = 0; i < 4; ++i) r[i] = s[0][i] * s[1][i];
        else if (op == "MAD") for (int i = 0; i < 4; ++i) r[i] = s[0][i] * s[1][i] + s[2][i];
        else if (op == "MIN") for (int i = 0; i < 4; ++i) r[i] = std::min(s[0][i], s[1][i]);
        else if (op == "MAX") for (int i = 0; i < 4; ++i) r[i] = std::max(s[0][i], s[1][i]);
        else if (op == "SLT") for (int i = 0; i < 4; ++i) r[i] = s[0][i] < s[1][i] ? 1.0f : 0.0f;
        else if (op == "SGE") for (int i = 0; i < 4; ++i) r[i] = s[0][i] >= s[1][i] ? 1.0f : 0.0f;
        else if (op == "FRC") for (int i = 0; i < 4; ++i) r[i] = s[0][i] - std::floor(s[0][i]);
        else if (op == "DP3") all(s[0][0] * s[1][0] + s[0][1] * s[1][1] + s[0][2] * s[1][2]);
        else if (op == "DP4") all(s[0][0] * s[1][0] + s[0][1] * s[1][1] + s[0][2] * s[1][2] + s[0][3] * s[1][3]);
        else if (op == "RCP") all(1.0f / x);
        else if (op == "RSQ") all(1.0f / std::sqrt(std::fabs(x)));
        else if (op == "EX2") all(std::exp2(x));
        else if (op == "LG2") all(std::log2(x));
        else if (op == "EXP") r = {std::exp2(std::floor(x)), x - std::floor(x), std::exp2(x), 1.0f};
        else if (op == "LOG") {
            const float e = std::floor(std::log2(std::fabs(x)));
            r = {e, std::fabs(x) / std::exp2(e), std::log2(std::fabs(x)), 1.0f};
        } else if (op == "LIT") {
            const float dx = std::max(s[0][0], 0.0f), dy = std::max(s[0][1], 0.0f);
            const float w = std::clamp(s[0][3], -128.0f, 128.0f);
            r = {1.0f, dx, s[0][0] > 0.0f ? std::pow(dy, w) : 0.0f, 1.0f};
        } else if (op == "DST") r = {1.0f, s[0][1] * s[1][1], s[0][2], s[1][3]};
        unsigned mask = 0;
        Vec4* d = Dest(args[0], mask);
        if (d == nullptr) {
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            if (mask & (1u << i)) {
                (*d)[i] = r[i];
            }
        }
        return true;
    }
};

}  // namespace

bool RunArbProgram(const std::string& text, ArbVertex& v, std::string& error) {
    for (Vec4* out : {&v.position, &v.color, &v.secondary, &v.fogcoord, &v.pointsize}) {
        *out = {kNaN, kNaN, kNaN, kNaN};
    }
    for (Vec4& t : v.texcoord) {
        t = {kNaN, kNaN, kNaN, kNaN};
    }
    Machine m(v);
    const std::string header = "!!ARBvp1.0\n";
    if (text.rfind(header, 0) != 0) {
        error = "missing header";
        return false;
    }
    const size_t endPos = text.rfind("END");
    if (endPos == std::string::npos || Trim(text.substr(endPos + 3)) != "") {
        error = "missing END";
        return false;
    }
    std::stringstream body(text.substr(header.size(), endPos - header.size()));
    std::string statement;
    bool code = false;
    while (std::getline(body, statement, ';')) {
        statement = Trim(statement);
        if (statement.empty()) {
            continue;
        }
        if (m.Declare(statement)) {
            if (code) {
                error = "declaration after code: " + statement;
                return false;
            }
            continue;
        }
        if (!m.error.empty()) {
            error = m.error;
            return false;
        }
        code = true;
        if (!m.Execute(statement)) {
            error = m.error;
            return false;
        }
    }
    if (Trim(statement).size() != 0) {
        error = "statement without ';'";
        return false;
    }
    return true;
}

}  // namespace qmtest
