// A reader for the subset of the resource-script language that
// resources/palvex32.rc uses: object-like #defines (with continuation lines),
// MENU, STRINGTABLE, DIALOG with its options and controls, and the one-line
// ICON/BITMAP statements. Good enough to check texts and ids natively, where
// windres and the Win32 resource loader are not available.
#pragma once

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

struct Token {
    enum Kind { Ident, Number, String, Punct } kind;
    std::string text;  // strings: the decoded text
};

struct MenuItem {
    int id;
    std::string text;
    std::string popup;  // text of the popup that holds it ("" at top level)
};

struct Control {
    std::string keyword;  // CONTROL, LTEXT, PUSHBUTTON, EDITTEXT, ...
    std::string text;
    std::optional<int> id;  // none when the id is a name (cmb1, ...)
    std::string className;  // CONTROL only; other keywords imply theirs
    std::string style;      // the style expression, tokens joined by blanks
    int x = 0, y = 0, w = 0, h = 0;

    bool visible() const { return style.find("NOT WS_VISIBLE") == std::string::npos; }
};

struct Dialog {
    int w = 0, h = 0;
    std::optional<std::string> caption;
    std::optional<std::string> className;
    std::optional<std::string> font;  // "8, MS Sans Serif"
    std::string style;
    std::vector<Control> controls;
};

struct Script {
    std::map<int, std::string> strings;
    std::vector<int> duplicateStrings;
    std::map<std::string, std::vector<MenuItem>> menus;  // by upper-case name
    std::map<std::string, Dialog> dialogs;               // by upper-case name
    std::map<std::string, std::string> bitmaps;          // name -> file
    std::map<std::string, std::string> icons;
};

inline std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace detail {

// Joins continuation lines, drops comments and preprocessor lines, and
// collects the #defines.
inline std::string Preprocess(const std::string& source, std::map<std::string, std::string>& defines) {
    std::string joined;
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\\' && i + 1 < source.size() && source[i + 1] == '\n') {
            ++i;
            joined += ' ';
        } else if (source[i] != '\r') {
            joined += source[i];
        }
    }
    // Comments, outside strings.
    std::string text;
    bool inString = false;
    for (size_t i = 0; i < joined.size(); ++i) {
        char c = joined[i];
        if (inString) {
            text += c;
            if (c == '\\' && i + 1 < joined.size()) text += joined[++i];
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            text += c;
        } else if (c == '/' && i + 1 < joined.size() && joined[i + 1] == '/') {
            while (i < joined.size() && joined[i] != '\n') ++i;
            text += '\n';
        } else if (c == '/' && i + 1 < joined.size() && joined[i + 1] == '*') {
            i += 2;
            while (i + 1 < joined.size() && !(joined[i] == '*' && joined[i + 1] == '/')) ++i;
            ++i;
            text += ' ';
        } else {
            text += c;
        }
    }
    std::istringstream lines(text);
    std::string line, out;
    while (std::getline(lines, line)) {
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '#') {
            std::istringstream directive(line.substr(first + 1));
            std::string word, name;
            directive >> word >> name;
            if (word == "define" && !name.empty() && name.find('(') == std::string::npos) {
                std::string body;
                std::getline(directive, body);
                defines[name] = body;
            }
            out += '\n';
            continue;
        }
        out += line + '\n';
    }
    return out;
}

inline std::vector<Token> Tokenize(const std::string& text) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '"') {
            std::string s;
            ++i;
            for (;;) {
                if (i >= text.size()) throw std::runtime_error("unterminated string");
                char d = text[i++];
                if (d == '"') {
                    if (i < text.size() && text[i] == '"') {
                        s += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                if (d == '\\' && i < text.size()) {
                    char e = text[i++];
                    switch (e) {
                    case 'n': s += '\n'; break;
                    case 't': s += '\t'; break;
                    case 'r': s += '\r'; break;
                    case 'a': s += '\a'; break;
                    default: s += e; break;
                    }
                    continue;
                }
                s += d;
            }
            tokens.push_back({Token::String, s});
        } else if (std::isdigit(c)) {
            size_t j = i;
            while (j < text.size() && std::isalnum(static_cast<unsigned char>(text[j]))) ++j;
            tokens.push_back({Token::Number, text.substr(i, j - i)});
            i = j;
        } else if (std::isalpha(c) || c == '_') {
            size_t j = i;
            while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) ++j;
            tokens.push_back({Token::Ident, text.substr(i, j - i)});
            i = j;
        } else {
            tokens.push_back({Token::Punct, std::string(1, static_cast<char>(c))});
            ++i;
        }
    }
    return tokens;
}

inline std::vector<Token> Expand(const std::vector<Token>& in, const std::map<std::string, std::string>& defines,
                                 int depth = 0) {
    if (depth > 16) throw std::runtime_error("macro recursion");
    std::vector<Token> out;
    for (const Token& t : in) {
        auto found = t.kind == Token::Ident ? defines.find(t.text) : defines.end();
        if (found != defines.end() && !found->second.empty()) {
            for (const Token& e : Expand(Tokenize(found->second), defines, depth + 1)) out.push_back(e);
        } else {
            out.push_back(t);
        }
    }
    return out;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    Script Run() {
        Script script;
        while (!AtEnd()) {
            if (PeekIdent("STRINGTABLE")) {
                Next();
                SkipOptionsUntilBegin();
                ReadStrings(script);
                continue;
            }
            std::string name = Next().text;
            std::string kind = Upper(Next().text);
            if (kind == "MENU") {
                SkipOptionsUntilBegin();
                ReadMenu(script.menus[Upper(name)], "");
            } else if (kind == "DIALOG" || kind == "DIALOGEX") {
                script.dialogs[Upper(name)] = ReadDialog(name);
            } else if (kind == "BITMAP") {
                script.bitmaps[name] = Next().text;
            } else if (kind == "ICON") {
                script.icons[name] = Next().text;
            } else {
                throw std::runtime_error("unknown statement " + name + " " + kind);
            }
        }
        return script;
    }

private:
    bool AtEnd() const { return p_ >= t_.size(); }
    const Token& Peek() const {
        if (AtEnd()) throw std::runtime_error("unexpected end");
        return t_[p_];
    }
    Token Next() { return Peek(), t_[p_++]; }
    bool PeekIdent(const char* word) const {
        return !AtEnd() && t_[p_].kind == Token::Ident && Upper(t_[p_].text) == word;
    }
    bool PeekPunct(const char* p) const { return !AtEnd() && t_[p_].kind == Token::Punct && t_[p_].text == p; }
    bool PeekBegin() const { return PeekIdent("BEGIN") || PeekPunct("{"); }
    bool PeekEnd() const { return PeekIdent("END") || PeekPunct("}"); }
    void ExpectBegin() {
        if (!PeekBegin()) throw std::runtime_error("BEGIN expected, got " + Peek().text);
        ++p_;
    }
    void SkipOptionsUntilBegin() {
        while (!PeekBegin()) Next();
        Next();
    }

    // One argument: terms joined by operators; returns its tokens.
    std::vector<Token> ReadExpression() {
        std::vector<Token> expr;
        for (;;) {
            while (PeekIdent("NOT") || PeekPunct("-") || PeekPunct("~")) expr.push_back(Next());
            if (PeekPunct("(")) {
                int level = 0;
                do {
                    if (PeekPunct("(")) ++level;
                    if (PeekPunct(")")) --level;
                    expr.push_back(Next());
                } while (level > 0);
            } else {
                expr.push_back(Next());
            }
            if (PeekPunct("|") || PeekPunct("+") || PeekPunct("&") || PeekPunct("-")) {
                expr.push_back(Next());
                continue;
            }
            return expr;
        }
    }
    std::vector<std::vector<Token>> ReadArguments() {
        std::vector<std::vector<Token>> args;
        args.push_back(ReadExpression());
        while (PeekPunct(",")) {
            Next();
            args.push_back(ReadExpression());
        }
        return args;
    }
    static std::string Join(const std::vector<Token>& expr) {
        std::string s;
        for (const Token& t : expr) {
            if (!s.empty()) s += ' ';
            s += t.text;
        }
        return s;
    }
    static std::optional<int> Value(const std::vector<Token>& expr) {
        static const std::map<std::string, int> known = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDYES", 6}, {"IDNO", 7}};
        if (expr.size() == 1 && expr[0].kind == Token::Number) return std::strtol(expr[0].text.c_str(), nullptr, 0);
        if (expr.size() == 2 && expr[0].text == "-" && expr[1].kind == Token::Number)
            return -std::strtol(expr[1].text.c_str(), nullptr, 0);
        if (expr.size() == 1 && known.count(expr[0].text)) return known.at(expr[0].text);
        return std::nullopt;
    }
    static int Number(const std::vector<Token>& expr) {
        auto v = Value(expr);
        if (!v) throw std::runtime_error("number expected: " + Join(expr));
        return *v;
    }

    void ReadStrings(Script& script) {
        while (!PeekEnd()) {
            int id = Number(ReadExpression());
            if (PeekPunct(",")) Next();
            Token text = Next();
            if (text.kind != Token::String) throw std::runtime_error("string expected after id");
            if (!script.strings.emplace(id, text.text).second) script.duplicateStrings.push_back(id);
        }
        Next();
    }

    void ReadMenu(std::vector<MenuItem>& items, const std::string& popup) {
        while (!PeekEnd()) {
            std::string word = Upper(Next().text);
            if (word == "POPUP") {
                auto args = ReadArguments();
                ExpectBegin();
                ReadMenu(items, args[0][0].text);
            } else if (word == "MENUITEM") {
                if (PeekIdent("SEPARATOR")) {
                    Next();
                    continue;
                }
                auto args = ReadArguments();
                if (args.size() < 2) throw std::runtime_error("menu item without id");
                items.push_back({Number(args[1]), args[0][0].text, popup});
            } else {
                throw std::runtime_error("unknown menu statement " + word);
            }
        }
        Next();
    }

    Dialog ReadDialog(const std::string& name) {
        Dialog d;
        auto rect = ReadArguments();
        if (rect.size() != 4) throw std::runtime_error("dialog rectangle of " + name);
        d.w = Number(rect[2]);
        d.h = Number(rect[3]);
        while (!PeekBegin()) {
            std::string word = Upper(Next().text);
            auto args = ReadArguments();
            if (word == "CAPTION") d.caption = args[0][0].text;
            else if (word == "CLASS") d.className = args[0][0].text;
            else if (word == "STYLE") d.style = Join(args[0]);
            else if (word == "FONT") d.font = Join(args[0]) + ", " + args[1][0].text;
        }
        Next();
        while (!PeekEnd()) d.controls.push_back(ReadControl());
        Next();
        return d;
    }

    Control ReadControl() {
        Control c;
        c.keyword = Upper(Next().text);
        auto args = ReadArguments();
        size_t k = 0;
        static const std::set<std::string> withoutText = {"EDITTEXT", "LISTBOX", "COMBOBOX", "SCROLLBAR"};
        if (!withoutText.count(c.keyword)) c.text = args[k++][0].text;
        c.id = Value(args[k++]);
        if (c.keyword == "CONTROL") {
            c.className = args[k++][0].text;
            c.style = Join(args[k++]);
        }
        if (args.size() < k + 4) throw std::runtime_error("control without rectangle: " + c.text);
        c.x = Number(args[k]);
        c.y = Number(args[k + 1]);
        c.w = Number(args[k + 2]);
        c.h = Number(args[k + 3]);
        if (c.keyword != "CONTROL" && args.size() > k + 4) c.style = Join(args[k + 4]);
        return c;
    }

    std::vector<Token> t_;
    size_t p_ = 0;
};

}  // namespace detail

inline Script ParseFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream all;
    all << in.rdbuf();
    std::map<std::string, std::string> defines;
    std::string text = detail::Preprocess(all.str(), defines);
    return detail::Parser(detail::Expand(detail::Tokenize(text), defines)).Run();
}

}  // namespace rc
