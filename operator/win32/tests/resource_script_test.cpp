// SPDX-License-Identifier: MIT
// The main dialog of kestrix.rc against the dialog table (main_dialog.cpp):
// the same frame, caption and font, and control for control, in the same
// order (template order is tab order), the same id, kind, text, rectangle
// and styles. The resource compiler does not run on Linux, so a small reader
// of the script's DIALOGEX block stands in for it; the identifiers come from
// control_ids.h as the compiler would see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "main_dialog.h"

namespace kestrix {
namespace {

using K = ControlKind;

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ScriptError(std::string("cannot open ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- Identifiers: control_ids.h's #defines, over windows.h's few. ----

using Names = std::map<std::string, int>;

Names readIdentifiers(const std::string &header)
{
    Names names = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    static const std::regex define(R"(^\s*#\s*define\s+([A-Za-z_]\w*)\s+\(?\s*(-?[0-9]+)\s*\)?\s*$)");
    std::istringstream lines(header);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, define))
            continue;
        const int value = std::stoi(m[2]);
        const auto [it, added] = names.emplace(m[1], value);
        if (!added && it->second != value)
            throw ScriptError("control_ids.h: " + m[1].str() + " is " + m[2].str() + ", windows.h has " +
                              std::to_string(it->second));
    }
    return names;
}

std::string nameOf(const Names &names, int id)
{
    for (const auto &[name, value] : names)
        if (value == id && name.rfind("IDD_", 0) != 0 && name.rfind("IDR_", 0) != 0)
            return name;
    return "?";
}

// ---- The script as tokens, preprocessor lines apart. ----

struct Token {
    enum Type { Word, Number, String, Punct } type;
    std::string text; // a string's bytes without quotes or escapes
    long value = 0;
    int line = 0;
};

struct Script {
    std::vector<Token> tokens;
    std::vector<std::pair<int, std::string>> directives; // line, text
};

std::string at(int line) { return "kestrix.rc:" + std::to_string(line) + ": "; }

Script tokenize(const std::string &s)
{
    Script script;
    int line = 1;
    bool lineStart = true;
    std::size_t i = 0;
    auto skipToLineEnd = [&] {
        while (i < s.size() && s[i] != '\n')
            ++i;
    };
    while (i < s.size()) {
        const unsigned char c = s[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
        } else if (std::isspace(c)) {
            ++i;
        } else if (c == '#' && lineStart) {
            const std::size_t from = i;
            skipToLineEnd();
            std::string text = s.substr(from, i - from);
            while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
                text.pop_back();
            script.directives.emplace_back(line, text);
        } else if (s.compare(i, 2, "//") == 0) {
            skipToLineEnd();
        } else if (s.compare(i, 2, "/*") == 0) {
            const std::size_t end = s.find("*/", i + 2);
            if (end == std::string::npos)
                throw ScriptError(at(line) + "unterminated comment");
            for (; i < end; ++i)
                line += s[i] == '\n';
            i = end + 2;
        } else if (c == '"') {
            Token t{Token::String, {}, 0, line};
            for (++i;; ++i) {
                if (i >= s.size() || s[i] == '\n')
                    throw ScriptError(at(line) + "unterminated string");
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        t.text += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (s[i] == '\\' && i + 1 < s.size()) {
                    const char e = s[i + 1];
                    if (e == 'n' || e == 't' || e == '\\') {
                        t.text += e == 'n' ? '\n' : e == 't' ? '\t' : '\\';
                        ++i;
                        continue;
                    }
                }
                t.text += s[i];
            }
            script.tokens.push_back(t);
            lineStart = false;
        } else if (std::isdigit(c) ||
                   (c == '-' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            char *end = nullptr;
            const long value = std::strtol(s.c_str() + i, &end, 0);
            const std::size_t to = static_cast<std::size_t>(end - s.c_str());
            Token t{Token::Number, s.substr(i, to - i), value, line};
            i = to;
            while (i < s.size() && s[i] != '\0' && std::strchr("LlUu", s[i]))
                ++i;
            script.tokens.push_back(t);
            lineStart = false;
        } else if (std::isalpha(c) || c == '_') {
            const std::size_t from = i;
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_'))
                ++i;
            script.tokens.push_back({Token::Word, s.substr(from, i - from), 0, line});
            lineStart = false;
        } else if (c >= 0x80) {
            throw ScriptError(at(line) + "non-ASCII text outside a string");
        } else {
            script.tokens.push_back({Token::Punct, std::string(1, static_cast<char>(c)), 0, line});
            lineStart = false;
            ++i;
        }
    }
    return script;
}

// ---- Statements: a keyword and its comma-separated arguments, each an
// expression of terms joined by '|', any of them under NOT. ----

struct Term {
    bool negated;
    Token token;
};

struct Arg {
    std::vector<Term> terms;
    int line;
};

class Reader {
public:
    explicit Reader(const std::vector<Token> &tokens, std::size_t from) : tokens_(tokens), pos_(from) {}

    bool atEnd() const { return pos_ >= tokens_.size(); }
    const Token &peek() const
    {
        if (atEnd())
            throw ScriptError(at(tokens_.empty() ? 0 : tokens_.back().line) + "the dialog runs off the script's end");
        return tokens_[pos_];
    }
    const Token &next()
    {
        const Token &t = peek();
        ++pos_;
        return t;
    }
    bool take(Token::Type type, const std::string &text)
    {
        if (atEnd() || peek().type != type || peek().text != text)
            return false;
        ++pos_;
        return true;
    }

    Arg arg()
    {
        Arg a{{}, peek().line};
        do {
            const bool negated = take(Token::Word, "NOT");
            const Token &t = next();
            if (t.type == Token::Punct)
                throw ScriptError(at(t.line) + "'" + t.text + "' where an argument belongs");
            a.terms.push_back({negated, t});
        } while (take(Token::Punct, "|"));
        return a;
    }

    std::vector<Arg> args()
    {
        std::vector<Arg> list{arg()};
        while (take(Token::Punct, ","))
            list.push_back(arg());
        return list;
    }

private:
    const std::vector<Token> &tokens_;
    std::size_t pos_;
};

const Token &single(const Arg &a, Token::Type type, const char *what)
{
    if (a.terms.size() != 1 || a.terms[0].negated || a.terms[0].token.type != type)
        throw ScriptError(at(a.line) + "expected " + what);
    return a.terms[0].token;
}

int number(const Arg &a) { return static_cast<int>(single(a, Token::Number, "a number").value); }

std::string text(const Arg &a) { return single(a, Token::String, "a quoted string").text; }

int identifier(const Arg &a, const Names &names, std::string *name = nullptr)
{
    if (a.terms.size() == 1 && a.terms[0].token.type == Token::Number)
        return number(a);
    const Token &t = single(a, Token::Word, "an identifier");
    const auto found = names.find(t.text);
    if (found == names.end())
        throw ScriptError(at(a.line) + t.text + " is not defined in control_ids.h or windows.h");
    if (name)
        *name = t.text;
    return found->second;
}

// ---- The dialog as the script has it. ----

struct ScriptControl {
    std::string keyword;
    int id;
    std::string idName;
    ControlKind kind;
    std::string text;
    DialogRect rect;
    unsigned flags;
    int line;
};

struct ScriptDialog {
    int id = 0;
    int line = 0;
    DialogRect rect{};
    std::string caption;
    int fontPoints = 0;
    std::string fontName;
    std::vector<ScriptControl> controls;
};

// The flags of the table a script can say. The key edits' 16-point Arial is
// not one: the dialog sets that font itself when it opens.
constexpr unsigned kScriptFlags = DefaultButton | Hidden | ReadOnly | Centred;

constexpr struct {
    const char *style;
    unsigned flag;
} kStyleFlags[] = {
    {"BS_DEFPUSHBUTTON", DefaultButton},
    {"ES_READONLY", ReadOnly},
    {"ES_CENTER", Centred},
    {"SS_CENTER", Centred},
};

// Every control is visible unless its style says NOT WS_VISIBLE.
unsigned flagsOf(const Arg &style)
{
    unsigned flags = 0;
    for (const Term &t : style.terms) {
        if (t.token.type != Token::Word)
            continue;
        if (t.negated) {
            if (t.token.text == "WS_VISIBLE")
                flags |= Hidden;
            continue;
        }
        for (const auto &s : kStyleFlags)
            if (t.token.text == s.style)
                flags |= s.flag;
    }
    return flags;
}

enum class Form { TextFirst, NoText, Generic };

constexpr struct {
    const char *keyword;
    Form form;
    ControlKind kind; // CONTROL's comes from its class
    unsigned flags;
} kStatements[] = {
    {"DEFPUSHBUTTON", Form::TextFirst, K::Button, DefaultButton},
    {"PUSHBUTTON", Form::TextFirst, K::Button, 0},
    {"LTEXT", Form::TextFirst, K::Label, 0},
    {"CTEXT", Form::TextFirst, K::Label, Centred},
    {"EDITTEXT", Form::NoText, K::Edit, 0},
    {"CONTROL", Form::Generic, K::Button, 0},
};

constexpr struct {
    const char *className;
    ControlKind kind;
} kClasses[] = {
    {"Button", K::Button},
    {"Edit", K::Edit},
    {"Static", K::Label},
    {"SysListView32", K::ListView},
    {"msctls_progress32", K::ProgressBar},
};

bool sameWord(const std::string &a, const char *b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

DialogRect rectOf(const std::vector<Arg> &args, std::size_t from)
{
    return {number(args[from]), number(args[from + 1]), number(args[from + 2]), number(args[from + 3])};
}

ScriptControl readControl(const Token &keyword, const std::vector<Arg> &args, const Names &names)
{
    for (const auto &s : kStatements) {
        if (keyword.text != s.keyword)
            continue;
        ScriptControl c{keyword.text, 0, {}, s.kind, {}, {}, s.flags, keyword.line};
        auto arity = [&](std::size_t least, std::size_t most) {
            if (args.size() < least || args.size() > most)
                throw ScriptError(at(keyword.line) + keyword.text + " with " + std::to_string(args.size()) +
                                  " arguments");
        };
        switch (s.form) {
        case Form::TextFirst:
            arity(6, 8);
            c.text = text(args[0]);
            c.id = identifier(args[1], names, &c.idName);
            c.rect = rectOf(args, 2);
            if (args.size() > 6)
                c.flags |= flagsOf(args[6]);
            break;
        case Form::NoText:
            arity(5, 7);
            c.id = identifier(args[0], names, &c.idName);
            c.rect = rectOf(args, 1);
            if (args.size() > 5)
                c.flags |= flagsOf(args[5]);
            break;
        case Form::Generic: {
            arity(8, 9);
            c.text = text(args[0]);
            c.id = identifier(args[1], names, &c.idName);
            const std::string className = text(args[2]);
            bool known = false;
            for (const auto &k : kClasses)
                if (sameWord(className, k.className)) {
                    c.kind = k.kind;
                    known = true;
                }
            if (!known)
                throw ScriptError(at(keyword.line) + "window class \"" + className + "\" has no kind in the table");
            c.flags |= flagsOf(args[3]);
            c.rect = rectOf(args, 4);
            break;
        }
        }
        return c;
    }
    throw ScriptError(at(keyword.line) + keyword.text + " is no control statement the table has a kind for");
}

// The DIALOGEX (or DIALOG) whose name resolves to `id`: its header, its
// option statements up to BEGIN, its controls up to END.
ScriptDialog readDialog(const Script &script, const Names &names, int id)
{
    const auto &tokens = script.tokens;
    std::size_t found = 0;
    int count = 0;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const Token &t = tokens[k], &name = tokens[k - 1];
        if (t.type != Token::Word || (t.text != "DIALOGEX" && t.text != "DIALOG"))
            continue;
        const bool match = name.type == Token::Number
                               ? name.value == id
                               : name.type == Token::Word && names.count(name.text) && names.at(name.text) == id;
        if (match) {
            found = k;
            ++count;
        }
    }
    if (count != 1)
        throw ScriptError("kestrix.rc: " + std::to_string(count) + " dialogs with the id " + std::to_string(id));

    ScriptDialog d;
    d.id = id;
    d.line = tokens[found].line;
    Reader r(tokens, found + 1);
    const auto header = r.args();
    if (header.size() < 4 || header.size() > 5)
        throw ScriptError(at(d.line) + "a dialog's header is x, y, width, height[, help id]");
    d.rect = rectOf(header, 0);

    while (!r.take(Token::Word, "BEGIN") && !r.take(Token::Punct, "{")) {
        const Token &keyword = r.next();
        if (keyword.type != Token::Word)
            throw ScriptError(at(keyword.line) + "'" + keyword.text + "' before the dialog's BEGIN");
        const auto args = r.args();
        if (keyword.text == "CAPTION") {
            d.caption = text(args.at(0));
        } else if (keyword.text == "FONT") {
            if (args.size() < 2)
                throw ScriptError(at(keyword.line) + "FONT needs a size and a face");
            d.fontPoints = number(args[0]);
            d.fontName = text(args[1]);
        }
    }
    while (!r.take(Token::Word, "END") && !r.take(Token::Punct, "}")) {
        const Token &keyword = r.next();
        if (keyword.type != Token::Word)
            throw ScriptError(at(keyword.line) + "'" + keyword.text + "' where a control statement belongs");
        d.controls.push_back(readControl(keyword, r.args(), names));
    }
    return d;
}

// ---- The comparison: every field of each side as text, side by side. ----

const char *kindName(ControlKind k)
{
    switch (k) {
    case K::Button: return "button";
    case K::Edit: return "edit";
    case K::ListView: return "list view";
    case K::ProgressBar: return "progress bar";
    case K::Label: return "label";
    }
    return "?";
}

std::string rectText(const DialogRect &r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

std::string flagsText(unsigned flags)
{
    static constexpr struct {
        unsigned flag;
        const char *name;
    } kNames[] = {{DefaultButton, "default button"}, {Hidden, "hidden"}, {ReadOnly, "read-only"}, {Centred, "centred"}};
    std::string s;
    for (const auto &n : kNames)
        if (flags & n.flag)
            s += (s.empty() ? "" : ", ") + std::string(n.name);
    return "{" + s + "}";
}

// Each field as text from either side; a note on the script's side (the
// name it gave the id, the statement) goes into the message, not the
// comparison.
constexpr struct {
    const char *name;
    std::string (*ofTable)(const ControlTemplate &);
    std::string (*ofScript)(const ScriptControl &);
    std::string (*note)(const ScriptControl &);
} kControlFields[] = {
    {"id", [](const ControlTemplate &t) { return std::to_string(t.id); },
     [](const ScriptControl &c) { return std::to_string(c.id); },
     [](const ScriptControl &c) { return c.idName.empty() ? std::string() : " (" + c.idName + ")"; }},
    {"kind", [](const ControlTemplate &t) { return std::string(kindName(t.kind)); },
     [](const ScriptControl &c) { return std::string(kindName(c.kind)); },
     [](const ScriptControl &c) { return " (" + c.keyword + ")"; }},
    {"text", [](const ControlTemplate &t) { return "\"" + std::string(t.caption) + "\""; },
     [](const ScriptControl &c) { return "\"" + c.text + "\""; }, nullptr},
    {"rectangle", [](const ControlTemplate &t) { return rectText(t.units); },
     [](const ScriptControl &c) { return rectText(c.rect); }, nullptr},
    {"flags", [](const ControlTemplate &t) { return flagsText(t.flags & kScriptFlags); },
     [](const ScriptControl &c) { return flagsText(c.flags); }, nullptr},
};

std::string controlName(const ControlTemplate &t, std::size_t index, const Names &names)
{
    return "control #" + std::to_string(index + 1) + " (id " + std::to_string(t.id) + " " + nameOf(names, t.id) +
           ", \"" + t.caption + "\")";
}

std::vector<std::string> differences(const DialogTemplate &table, const ScriptDialog &script, const Names &names)
{
    std::vector<std::string> found;
    const std::string frame[][3] = {
        {"rectangle", rectText({0, 0, table.width, table.height}), rectText(script.rect)},
        {"caption", "\"" + std::string(table.title) + "\"", "\"" + script.caption + "\""},
        {"font size", std::to_string(table.fontPoints), std::to_string(script.fontPoints)},
        {"font face", "\"" + std::string(table.fontName) + "\"", "\"" + script.fontName + "\""},
    };
    for (const auto &f : frame)
        if (f[1] != f[2])
            found.push_back("dialog " + std::to_string(table.id) + " (kestrix.rc:" + std::to_string(script.line) +
                            "): " + f[0] + ": table " + f[1] + ", script " + f[2]);

    const auto &controls = table.controls;
    for (std::size_t i = 0; i < std::max(controls.size(), script.controls.size()); ++i) {
        if (i >= script.controls.size()) {
            found.push_back(controlName(controls[i], i, names) + ": in the table, not in the script");
            continue;
        }
        const ScriptControl &c = script.controls[i];
        const std::string where = " (kestrix.rc:" + std::to_string(c.line) + ")";
        if (i >= controls.size()) {
            found.push_back("control #" + std::to_string(i + 1) + " (id " + std::to_string(c.id) + " " + c.idName +
                            ", \"" + c.text + "\")" + where + ": in the script, not in the table");
            continue;
        }
        for (const auto &f : kControlFields) {
            const std::string ofTable = f.ofTable(controls[i]), ofScript = f.ofScript(c);
            if (ofTable != ofScript)
                found.push_back(controlName(controls[i], i, names) + where + ": " + f.name + ": table " + ofTable +
                                ", script " + ofScript + (f.note ? f.note(c) : ""));
        }
    }
    return found;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string s;
    for (const auto &l : lines)
        s += l + "\n";
    return s;
}

struct Sources {
    std::string script;
    Names names;
};

const Sources &sources()
{
    static const Sources s{readFile(KESTRIX_RESOURCE_SCRIPT), readIdentifiers(readFile(KESTRIX_CONTROL_IDS))};
    return s;
}

ScriptDialog mainDialogOf(const std::string &scriptText)
{
    return readDialog(tokenize(scriptText), sources().names, mainDialogTemplate().id);
}

// ---- The tests. ----

TEST(ResourceScript, ReadsAsUtf8AndSeesTheSameIdentifiers)
{
    const Script script = tokenize(sources().script);
    const int dialogLine = mainDialogOf(sources().script).line;
    // Without the code page the resource compiler reads the captions in the
    // system's ANSI code page; without the header, the names are unknown.
    for (const char *wanted : {"#pragma code_page(65001)", "#include \"control_ids.h\""}) {
        int line = 0;
        for (const auto &[l, text] : script.directives)
            if (text == wanted && !line)
                line = l;
        EXPECT_NE(line, 0) << "kestrix.rc has no " << wanted;
        EXPECT_LT(line, dialogLine) << wanted << " comes after the dialog";
    }
}

TEST(ResourceScript, MainDialogIsTheTableControlForControl)
{
    const std::vector<std::string> found =
        differences(mainDialogTemplate(), mainDialogOf(sources().script), sources().names);
    EXPECT_TRUE(found.empty()) << "kestrix.rc and main_dialog.cpp differ:\n" << joined(found);
    EXPECT_EQ(mainDialogOf(sources().script).controls.size(), mainDialogTemplate().controls.size());
}

// The real script with one thing changed: the comparison names the control,
// or the dialog, and the field.
TEST(ResourceScript, ComparisonNamesWhatAChangedScriptGetsWrong)
{
    const struct {
        const char *from, *to;
        std::size_t count;
        std::vector<const char *> says;
    } cases[] = {
        {"IDC_READ_ALL, 7, 57, 42, 17",
         "IDC_READ_ALL, 7, 58, 42, 17",
         1,
         {"id 1002 IDC_READ_ALL, \"读取数据\"", "rectangle: table 7,57,42,17, script 7,58,42,17"}},
        {"\"删除重号\"",
         "\"删除重复\"",
         1,
         {"id 1023 IDC_REMOVE_DUPLICATES", "text: table \"删除重号\", script \"删除重复\""}},
        {"IDC_SET_KEY, 7, 378, 42, 6, NOT WS_VISIBLE",
         "IDC_SET_KEY, 7, 378, 42, 6",
         1,
         {"IDC_SET_KEY, \"Set key\"", "flags: table {hidden}, script {}"}},
        {"ES_CENTER | ES_AUTOHSCROLL | ES_READONLY",
         "ES_CENTER | ES_AUTOHSCROLL",
         1,
         {"IDC_RECORD_COUNT", "flags: table {read-only, centred}, script {centred}"}},
        {"IDC_RANGE_END, 174, 356, 50, 14, ES_CENTER | ES_AUTOHSCROLL",
         "IDC_RANGE_END, 174, 356, 50, 14, ES_AUTOHSCROLL",
         1,
         {"IDC_RANGE_END", "flags: table {centred}, script {}"}},
        {"DEFPUSHBUTTON   \"关闭软件\"",
         "PUSHBUTTON \"关闭软件\"",
         1,
         {"id 1 IDOK, \"关闭软件\"", "flags: table {default button}, script {}"}},
        {"\"msctls_progress32\"",
         "\"SysListView32\"",
         1,
         {"IDC_PROGRESS", "kind: table progress bar, script list view (CONTROL)"}},
        {"\"单条读取\", IDC_READ_ONE",
         "\"单条读取\", IDC_QUERY_COUNT",
         1,
         {"control #12 (id 1013 IDC_READ_ONE", "id: table 1013, script 1012 (IDC_QUERY_COUNT)"}},
        {"\"结束：\", IDC_STATIC, 148, 359, 25, 8\n",
         "\"结束：\", IDC_STATIC, 148, 359, 25, 8\n    PUSHBUTTON \"x\", IDC_STATIC, 7, 7, 5, 5\n",
         1,
         {"control #28 (id -1 IDC_STATIC, \"x\")", "in the script, not in the table"}},
        {"PUSHBUTTON      \"查询数目\", IDC_QUERY_COUNT, 7, 212, 42, 17\n    PUSHBUTTON      \"单条读取\", "
         "IDC_READ_ONE, 7, 263, 42, 17",
         "PUSHBUTTON      \"单条读取\", IDC_READ_ONE, 7, 263, 42, 17\n    PUSHBUTTON      \"查询数目\", "
         "IDC_QUERY_COUNT, 7, 212, 42, 17",
         6,
         {"control #11 (id 1012 IDC_QUERY_COUNT, \"查询数目\") (kestrix.rc:",
          "id: table 1012, script 1013 (IDC_READ_ONE)", "control #12 (id 1013 IDC_READ_ONE, \"单条读取\")"}},
        {"    LTEXT           \"结束：\", IDC_STATIC, 148, 359, 25, 8\n",
         "",
         1,
         {"control #27 (id -1 IDC_STATIC, \"结束：\"): in the table, not in the script"}},
        {"DIALOGEX 0, 0, 319, 391",
         "DIALOGEX 0, 0, 319, 390",
         1,
         {"dialog 102", "rectangle: table 0,0,319,391, script 0,0,319,390"}},
        {"CAPTION \"Kestrix\"", "CAPTION \"Kestrix \"", 1, {"caption: table \"Kestrix\", script \"Kestrix \""}},
        {"FONT 9,", "FONT 10,", 1, {"font size: table 9, script 10"}},
        {"\"宋体\"", "\"黑体\"", 1, {"font face: table \"宋体\", script \"黑体\""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        std::string changed = sources().script;
        const auto where = changed.find(c.from);
        ASSERT_NE(where, std::string::npos) << "the script no longer says this";
        ASSERT_EQ(changed.find(c.from, where + 1), std::string::npos) << "the script says this twice";
        changed.replace(where, std::strlen(c.from), c.to);

        const auto found = differences(mainDialogTemplate(), mainDialogOf(changed), sources().names);
        EXPECT_EQ(found.size(), c.count) << joined(found);
        const std::string report = joined(found);
        for (const char *s : c.says)
            EXPECT_NE(report.find(s), std::string::npos) << "no \"" << s << "\" in:\n" << report;
    }
}

// What the reader cannot account for fails the test; it does not drop out of
// the comparison unseen.
TEST(ResourceScriptReader, RefusesWhatItCannotAccountFor)
{
    const std::string head = "102 DIALOGEX 0, 0, 10, 10\nCAPTION \"a\"\nFONT 9, \"b\"\nBEGIN\n";
    const struct {
        const char *body;
        const char *says;
        bool closed = true;
    } cases[] = {
        {"    GROUPBOX \"g\", IDC_STATIC, 0, 0, 5, 5\n", "kestrix.rc:5: GROUPBOX is no control statement"},
        {"    CONTROL \"\", IDC_STATIC, \"SysTreeView32\", 0, 0, 0, 5, 5\n", "\"SysTreeView32\" has no kind"},
        {"    PUSHBUTTON \"p\", IDC_NO_SUCH, 0, 0, 5, 5\n", "IDC_NO_SUCH is not defined"},
        {"    PUSHBUTTON \"p, IDOK, 0, 0, 5, 5\n", "kestrix.rc:5: unterminated string"},
        {"    PUSHBUTTON \"p\", IDOK, 0, 0, 5\n", "PUSHBUTTON with 5 arguments"},
        {"    PUSHBUTTON \"p\", IDOK, 0, 0, 5, 5\n", "runs off the script's end", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        const std::string script = head + c.body + (c.closed ? "END\n" : "");
        try {
            mainDialogOf(script);
            ADD_FAILURE() << "read without complaint";
        } catch (const ScriptError &e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(mainDialogOf("101 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n"), ScriptError);
}

// The script's own notation read as the resource compiler reads it.
TEST(ResourceScriptReader, ReadsStatementsAsTheResourceCompilerDoes)
{
    const ScriptDialog d = mainDialogOf("/* a */ IDD_KESTRIX_DIALOG DIALOG 0, 0, 0x20, 20 // b\n"
                                        "STYLE WS_POPUP | WS_CAPTION\nFONT 9, \"f\", 0, 0, 0x86\n"
                                        "{\n"
                                        "    LTEXT \"say \"\"hi\"\"\\\\\", 1000,\n        1, 2, 3, 4\n"
                                        "    CONTROL \"\", 1001, \"BUTTON\", BS_DEFPUSHBUTTON | NOT WS_VISIBLE,\n"
                                        "        5, 6, 7, 8\n"
                                        "}\n");
    EXPECT_EQ(rectText(d.rect), "0,0,32,20");
    EXPECT_EQ(d.caption, "");
    ASSERT_EQ(d.controls.size(), 2u);
    EXPECT_EQ(d.controls[0].text, "say \"hi\"\\");
    EXPECT_EQ(d.controls[0].kind, K::Label);
    EXPECT_EQ(rectText(d.controls[0].rect), "1,2,3,4");
    EXPECT_EQ(d.controls[1].kind, K::Button);
    EXPECT_EQ(d.controls[1].flags, DefaultButton | Hidden);
    EXPECT_EQ(d.controls[0].line, 5);
    EXPECT_EQ(d.controls[1].line, 7);
}

} // namespace
} // namespace kestrix
