#include "arb_eval.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

namespace qmtest {

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const char* const kResults[] = {"result.position", "result.color.secondary", "result.color", "result.fogcoord",
                                "result.pointsize"};

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// Splits at commas outside braces and brackets.
std::vector<std::string> SplitTop(const std::string& s) {
    std::vector<std::string> parts;
    int depth = 0;
    std::string cur;
    for (char c : s) {
        depth += (c == '{' || c == '[') ? 1 : (c == '}' || c == ']') ? -1 : 0;
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

int Index(const std::string& s) { return std::stoi(s.substr(s.find('[') + 1)); }

int Comp(char c) {
    const char* p = std::strchr("xyzw", c);
    return c != '\0' && p != nullptr ? static_cast<int>(p - "xyzw") : -1;
}

// "name.suffix", where the suffix (swizzle or mask) follows any ']' and the dotted result names.
void Split(const std::string& s, std::string& base, std::string& suffix) {
    size_t from = s.rfind(']');
    if (from == std::string::npos) {
        from = 0;
        for (const char* r : kResults) {
            const size_t n = std::strlen(r);
            if (s.rfind(r, 0) == 0 && (s.size() == n || s[n] == '.')) {
                from = n;
                break;
            }
        }
    }
    const size_t dot = s.find('.', from);
    base = s.substr(0, dot);
    suffix = dot == std::string::npos ? "" : s.substr(dot + 1);
}

struct Machine {
    explicit Machine(ArbVertex& vertex) : v(vertex) {}
    ArbVertex& v;
    std::map<std::string, Vec4> temps, params;
    std::vector<Vec4> array;  // c[]
    bool haveAddress = false;
    int a0 = 0;
    Vec4 zero{};
    std::string error;

    bool Fail(const std::string& e) {
        if (error.empty()) {
            error = e;
        }
        return false;
    }
    Vec4* Bad(const std::string& e) {
        Fail(e);
        return nullptr;
    }

    bool ParseVector(const std::string& s, Vec4& out) {
        const std::vector<std::string> items =
            s.size() >= 2 && s.front() == '{' && s.back() == '}' ? SplitTop(s.substr(1, s.size() - 2))
                                                                 : std::vector<std::string>{};
        if (items.size() != 4) {
            return Fail("bad literal " + s);
        }
        for (size_t i = 0; i < 4; ++i) {
            out[i] = std::stof(items[i]);
        }
        return true;
    }

    Vec4* Register(const std::string& base, bool write) {
        if (base.rfind("result.", 0) == 0) {
            if (!write) {
                return Bad("reads a result register: " + base);
            }
            Vec4* const outs[] = {&v.position, &v.secondary, &v.color, &v.fogcoord, &v.pointsize};
            for (size_t i = 0; i < 5; ++i) {
                if (base == kResults[i]) {
                    return outs[i];
                }
            }
            const int i = base.rfind("result.texcoord[", 0) == 0 ? Index(base) : -1;
            return i >= 0 && i < 8 ? &v.texcoord[i] : Bad("bad result " + base);
        }
        if (auto t = temps.find(base); t != temps.end()) {
            return &t->second;
        }
        if (write) {
            return Bad("write to undeclared or read-only " + base);
        }
        if (base.rfind("vertex.attrib[", 0) == 0) {
            const int i = Index(base);
            return i >= 0 && i < 16 ? &v.attrib[i] : Bad("attrib out of range");
        }
        if (base.rfind("program.env[", 0) == 0) {
            const int i = Index(base);
            return i >= 0 && i < 96 ? &v.env[i] : Bad("env out of range");
        }
        if (base.rfind("c[", 0) == 0) {
            if (array.empty()) {
                return Bad("c[] not declared");
            }
            const std::string inner = base.substr(2, base.size() - 3);
            int i = 0;
            if (inner.rfind("a0.x", 0) == 0) {
                const size_t plus = inner.find('+');
                const int off = plus == std::string::npos ? 0 : std::stoi(inner.substr(plus + 1));
                if (!haveAddress || off > 63) {
                    return Bad("a0 not declared or offset above 63: " + base);
                }
                i = a0 + off;
            } else {
                i = std::stoi(inner);
            }
            return i >= 0 && i < static_cast<int>(array.size()) ? &array[i] : &zero;
        }
        if (auto p = params.find(base); p != params.end()) {
            return &p->second;
        }
        return Bad("undeclared name " + base);
    }

    // A source operand; `scalar` demands a one-component swizzle as ARB does for scalar instructions.
    bool Source(const std::string& text, bool scalar, Vec4& out) {
        const bool neg = !text.empty() && text[0] == '-';
        std::string base, sw;
        Split(neg ? Trim(text.substr(1)) : text, base, sw);
        const Vec4* r = Register(base, false);
        if (r == nullptr) {
            return false;
        }
        if (scalar ? sw.size() != 1 : !(sw.empty() || sw.size() == 1 || sw.size() == 4)) {
            return Fail("bad swizzle or scalar operand " + text);
        }
        for (int i = 0; i < 4; ++i) {
            const int c = sw.empty() ? i : Comp(sw[sw.size() == 1 ? 0 : i]);
            if (c < 0) {
                return Fail("bad swizzle " + text);
            }
            out[i] = neg ? -(*r)[c] : (*r)[c];
        }
        return true;
    }

    bool Declare(const std::string& st) {
        if (st.rfind("TEMP ", 0) == 0) {
            for (const std::string& n : SplitTop(st.substr(5))) {
                temps[n] = {kNaN, kNaN, kNaN, kNaN};
            }
            return true;
        }
        if (st == "ADDRESS a0") {
            return haveAddress = true;
        }
        if (st.rfind("PARAM ", 0) != 0) {
            return false;
        }
        const size_t eq = st.find('=');
        const std::string name = Trim(st.substr(6, eq - 6));
        const std::string value = Trim(st.substr(eq + 1));
        if (name.find('[') == std::string::npos) {
            return ParseVector(value, params[name]);
        }
        for (const std::string& item : SplitTop(value.substr(1, value.size() - 2))) {
            if (item.rfind("program.env[", 0) == 0) {
                const std::string range = item.substr(12, item.size() - 13);
                const size_t dots = range.find("..");
                const int a = std::stoi(range);
                const int b = dots == std::string::npos ? a : std::stoi(range.substr(dots + 2));
                array.insert(array.end(), v.env + a, v.env + b + 1);
            } else if (!ParseVector(item, array.emplace_back())) {
                return false;
            }
        }
        return array.size() == static_cast<size_t>(Index(name)) || Fail("array size mismatch");
    }

    bool Execute(const std::string& st) {
        const size_t sp = st.find(' ');
        const std::string op = st.substr(0, sp);
        const std::vector<std::string> args = SplitTop(st.substr(sp + 1));
        static const std::map<std::string, size_t> kArgs = {
            {"MOV", 2}, {"ADD", 3}, {"SUB", 3}, {"MUL", 3}, {"MAD", 4}, {"DP3", 3}, {"DP4", 3},
            {"MIN", 3}, {"MAX", 3}, {"SLT", 3}, {"SGE", 3}, {"RCP", 2}, {"RSQ", 2}, {"EX2", 2},
            {"LG2", 2}, {"EXP", 2}, {"LOG", 2}, {"LIT", 2}, {"DST", 3}, {"FRC", 2}, {"ARL", 2}};
        const auto it = kArgs.find(op);
        if (it == kArgs.end() || args.size() != it->second) {
            return Fail("unknown instruction or wrong operand count: " + st);
        }
        const bool scalar = std::strstr("RCP RSQ EX2 LG2 EXP LOG ARL", op.c_str()) != nullptr;
        Vec4 s[3];
        for (size_t i = 1; i < args.size(); ++i) {
            if (!Source(args[i], scalar, s[i - 1])) {
                return false;
            }
        }
        if (op == "ARL") {
            a0 = static_cast<int>(std::floor(s[0][0]));
            return (haveAddress && args[0] == "a0.x") || Fail("bad ARL " + st);
        }
        Vec4 r{};
        const float x = s[0][0];
        auto each = [&](auto f) {
            for (int i = 0; i < 4; ++i) {
                r[i] = f(s[0][i], s[1][i], s[2][i]);
            }
        };
        auto all = [&](float f) { r = {f, f, f, f}; };
        if (op == "MOV") r = s[0];
        else if (op == "ADD") each([](float a, float b, float) { return a + b; });
        else if (op == "SUB") each([](float a, float b, float) { return a - b; });
        else if (op == "MUL") each([](float a, float b, float) { return a * b; });
        else if (op == "MAD") each([](float a, float b, float c) { return a * b + c; });
        else if (op == "MIN") each([](float a, float b, float) { return std::min(a, b); });
        else if (op == "MAX") each([](float a, float b, float) { return std::max(a, b); });
        else if (op == "SLT") each([](float a, float b, float) { return a < b ? 1.0f : 0.0f; });
        else if (op == "SGE") each([](float a, float b, float) { return a >= b ? 1.0f : 0.0f; });
        else if (op == "FRC") each([](float a, float, float) { return a - std::floor(a); });
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
            const float w = std::clamp(s[0][3], -128.0f, 128.0f);
            r = {1.0f, std::max(x, 0.0f), x > 0.0f ? std::pow(std::max(s[0][1], 0.0f), w) : 0.0f, 1.0f};
        } else if (op == "DST") r = {1.0f, s[0][1] * s[1][1], s[0][2], s[1][3]};

        std::string base, m;
        Split(args[0], base, m);
        Vec4* d = Register(base, true);
        if (d == nullptr) {
            return false;
        }
        unsigned mask = m.empty() ? 15 : 0;
        int last = -1;
        for (char c : m) {
            const int k = Comp(c);
            if (k <= last) {
                return Fail("bad write mask " + args[0]);
            }
            last = k;
            mask |= 1u << k;
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
    const std::string header = "!!ARBvp1.0\n";
    const size_t endPos = text.rfind("END");
    if (text.rfind(header, 0) != 0 || endPos == std::string::npos || !Trim(text.substr(endPos + 3)).empty()) {
        error = "missing header or END";
        return false;
    }
    Machine m(v);
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
        } else if (!m.error.empty() || !m.Execute(statement)) {
            error = m.error;
            return false;
        } else {
            code = true;
        }
    }
    if (!Trim(statement).empty()) {
        error = "statement without ';'";
        return false;
    }
    return true;
}

}  // namespace qmtest
