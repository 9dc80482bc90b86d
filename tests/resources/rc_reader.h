// A reader for the part of the resource-script language that
// resources/palvex32.rc uses: object-like #defines (with continuation lines),
// // comments, MENU, STRINGTABLE, DIALOG with its options and controls, and the
// one-line ICON/BITMAP statements. Enough to check texts and ids natively,
// where windres and the Win32 resource loader are not available.
#pragma once

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

struct MenuItem {
    int id;
    std::string text;
    std::string popup;  // text of the popup that holds it
};

struct Control {
    std::string keyword;  // CONTROL, LTEXT, PUSHBUTTON, EDITTEXT, ...
    std::string text;
    std::optional<int> id;  // none when the id is a name
    std::string className;  // CONTROL only; other keywords imply theirs
    std::string style;      // the style expression, tokens joined by blanks
    int x = 0, y = 0, w = 0, h = 0;

    bool visible() const { return style.find("NOT WS_VISIBLE") == std::string::npos; }
};

struct Dialog {
    int w = 0, h = 0;
    std::optional<std::string> caption, className, font;  // font: "8, MS Sans Serif"
    std::vector<Control> controls;
};

struct Script {
    std::map<int, std::string> strings;
    std::vector<int> duplicateStrings;
    std::map<std::string, std::vector<MenuItem>> menus;  // by upper-case name
    std::map<std::string, Dialog> dialogs;               // by upper-case name
    std::map<std::string, std::string> bitmaps, icons;   // name -> file
};

inline std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace detail {

struct Token {
    bool isString;
    std::string text;  // strings: the decoded text
};
using Tokens = std::vector<Token>;
using Defines = std::map<std::string, std::string>;

inline void TokenizeLine(const std::string& line, const Defines& defines, Tokens& out, int depth = 0) {
    if (depth > 16) throw std::runtime_error("macro recursion");
    for (size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        size_t j = i + 1;
        if (std::isspace(c)) {
        } else if (c == '/' && j < line.size() && line[j] == '/') {
            return;
        } else if (c == '"') {
            std::string s;
            for (;; ++j) {
                if (j >= line.size()) throw std::runtime_error("unterminated string: " + line);
                if (line[j] == '"' && j + 1 < line.size() && line[j + 1] == '"') s += line[++j];
                else if (line[j] == '"') break;
                else if (line[j] == '\\' && j + 1 < line.size()) s += line[++j] == 'n' ? '\n' : line[j];
                else s += line[j];
            }
            out.push_back({true, s});
            ++j;
        } else if (std::isalnum(c) || c == '_') {
            while (j < line.size() && (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_')) ++j;
            const std::string word = line.substr(i, j - i);
            auto macro = defines.find(word);
            if (macro != defines.end()) TokenizeLine(macro->second, defines, out, depth + 1);
            else out.push_back({false, word});
        } else {
            out.push_back({false, std::string(1, static_cast<char>(c))});
        }
        i = j;
    }
}

class Parser {
public:
    explicit Parser(Tokens tokens) : t_(std::move(tokens)) {}

    Script Run() {
        Script script;
        while (p_ < t_.size()) {
            if (Is("STRINGTABLE")) {
                SkipToBegin();
                while (!Is("END")) {
                    const int id = Number(Argument());
                    if (Is(",")) ++p_;
                    if (!script.strings.emplace(id, Next().text).second) script.duplicateStrings.push_back(id);
                }
                ++p_;
                continue;
            }
            const std::string name = Next().text;
            const std::string kind = Upper(Next().text);
            if (kind == "MENU") {
                SkipToBegin();
                ReadMenu(script.menus[Upper(name)], "");
            } else if (kind == "DIALOG") {
                script.dialogs[Upper(name)] = ReadDialog();
            } else if (kind == "BITMAP" || kind == "ICON") {
                (kind == "ICON" ? script.icons : script.bitmaps)[name] = Next().text;
            } else {
                throw std::runtime_error("unknown statement " + name + " " + kind);
            }
        }
        return script;
    }

private:
    const Token& Next() {
        if (p_ >= t_.size()) throw std::runtime_error("unexpected end");
        return t_[p_++];
    }
    bool Is(const char* word) const { return p_ < t_.size() && !t_[p_].isString && Upper(t_[p_].text) == word; }
    void SkipToBegin() {
        while (!Is("BEGIN")) Next();
        ++p_;
    }

    // One argument: terms, each maybe NOT'd, negated or in parentheses, joined by operators.
    Tokens Argument() {
        Tokens arg;
        for (;;) {
            while (Is("NOT") || Is("-") || Is("~")) arg.push_back(Next());
            int level = 0;
            do {
                arg.push_back(Next());
                if (!arg.back().isString) level += (arg.back().text == "(") - (arg.back().text == ")");
            } while (level > 0);
            if (!(Is("|") || Is("+") || Is("&") || Is("-"))) return arg;
            arg.push_back(Next());
        }
    }
    std::vector<Tokens> Arguments() {
        std::vector<Tokens> args{Argument()};
        while (Is(",")) {
            ++p_;
            args.push_back(Argument());
        }
        return args;
    }
    static std::string Join(const Tokens& arg) {
        std::string s;
        for (const Token& t : arg) s += (s.empty() ? "" : " ") + t.text;
        return s;
    }
    static std::optional<int> Value(const Tokens& arg) {
        std::string s;
        for (const Token& t : arg) s += t.text;
        if (s == "IDOK") return 1;
        if (s == "IDCANCEL") return 2;
        char* end = nullptr;
        const long v = std::strtol(s.c_str(), &end, 0);
        if (s.empty() || *end) return std::nullopt;
        return static_cast<int>(v);
    }
    static int Number(const Tokens& arg) {
        if (auto v = Value(arg)) return *v;
        throw std::runtime_error("number expected: " + Join(arg));
    }

    void ReadMenu(std::vector<MenuItem>& items, const std::string& popup) {
        while (!Is("END")) {
            const std::string word = Upper(Next().text);
            if (word == "POPUP") {
                const std::string text = Next().text;
                SkipToBegin();
                ReadMenu(items, text);
            } else if (Is("SEPARATOR")) {
                ++p_;
            } else {
                auto args = Arguments();
                items.push_back({Number(args.at(1)), args[0][0].text, popup});
            }
        }
        ++p_;
    }

    Dialog ReadDialog() {
        Dialog d;
        auto rect = Arguments();
        d.w = Number(rect.at(2));
        d.h = Number(rect.at(3));
        while (!Is("BEGIN")) {
            const std::string word = Upper(Next().text);
            auto args = Arguments();
            if (word == "CAPTION") d.caption = args[0][0].text;
            else if (word == "CLASS") d.className = args[0][0].text;
            else if (word == "FONT") d.font = Join(args[0]) + ", " + args.at(1)[0].text;
        }
        ++p_;
        while (!Is("END")) {
            Control c;
            c.keyword = Upper(Next().text);
            auto args = Arguments();
            size_t k = 0;
            static const std::string withoutText = " EDITTEXT LISTBOX COMBOBOX SCROLLBAR ";
            if (withoutText.find(" " + c.keyword + " ") == std::string::npos) c.text = args[k++][0].text;
            c.id = Value(args[k++]);
            if (c.keyword == "CONTROL") {
                c.className = args.at(k++)[0].text;
                c.style = Join(args.at(k++));
            }
            if (args.size() < k + 4) throw std::runtime_error("control without rectangle: " + c.text);
            c.x = Number(args[k]), c.y = Number(args[k + 1]), c.w = Number(args[k + 2]), c.h = Number(args[k + 3]);
            if (c.keyword != "CONTROL" && args.size() > k + 4) c.style = Join(args[k + 4]);
            d.controls.push_back(c);
        }
        ++p_;
        return d;
    }

    Tokens t_;
    size_t p_ = 0;
};

}  // namespace detail

inline Script ParseFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream all;
    all << in.rdbuf();
    // Continuation lines joined, carriage returns dropped.
    std::string text;
    for (char c : all.str()) {
        if (c == '\n' && !text.empty() && text.back() == '\\') text.back() = ' ';
        else if (c != '\r') text += c;
    }

    detail::Defines defines;
    detail::Tokens tokens;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream directive(line);
        std::string word, name, body;
        directive >> word;
        if (word.empty() || word[0] != '#') {
            detail::TokenizeLine(line, defines, tokens);
        } else if (word == "#define" && directive >> name) {
            std::getline(directive, body);
            defines[name] = body;
        }
    }
    return detail::Parser(std::move(tokens)).Run();
}

}  // namespace rc
