#include "ui/script.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/text.h"

namespace tessary::ui {

std::optional<std::vector<std::string>> SplitScriptLine(const std::string& line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (i < line.size()) {
        if (blank(line[i])) {
            ++i;
            continue;
        }
        std::string arg;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else if (line[i] == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    arg += line[i++];
                }
            }
            if (!closed || (i < line.size() && !blank(line[i]))) return std::nullopt;
        } else {
            while (i < line.size() && !blank(line[i])) arg += line[i++];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

namespace {

// "\n", "\r" and "\t" written in an expected text of several lines.
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[i + 1];
            if (c == 'n' || c == 'r' || c == 't') {
                out += c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string Join(const std::vector<std::string>& lines, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += separator;
        out += lines[i];
    }
    return out;
}

std::optional<int> WholeArg(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string> ControlText(const Control& c) {
    switch (c.kind()) {
        case Control::Kind::Label:
            return {static_cast<const Label&>(c).caption};
        case Control::Kind::Button:
            return {static_cast<const Button&>(c).caption};
        case Control::Kind::Edit:
            return {static_cast<const Edit&>(c).text};
        case Control::Kind::Memo:
            return static_cast<const Memo&>(c).lines;
        case Control::Kind::ListBox:
            return static_cast<const ListBox&>(c).items;
        case Control::Kind::Grid: {
            std::vector<std::string> rows;
            for (const auto& row : static_cast<const StringGrid&>(c).cells)
                rows.push_back(Join(row, "\t"));
            return rows;
        }
    }
    return {};
}

}  // namespace

Form& ScriptRunner::Active() const {
    Form* form = ui_.ActiveForm();
    if (!form) throw Stop{2, "no form is shown"};
    return *form;
}

Control& ScriptRunner::FindControl(const std::string& path) const {
    const auto dot = path.find('.');
    if (dot != std::string::npos) {
        Form* form = ui_.FindForm(path.substr(0, dot));
        if (!form) throw Stop{2, "unknown form " + path.substr(0, dot)};
        if (Control* c = form->Find(path.substr(dot + 1))) return *c;
        throw Stop{2, "unknown control " + path};
    }
    if (Control* c = Active().Find(path)) return *c;
    throw Stop{2, "unknown control " + path + " on " + Active().name()};
}

template <typename T>
T& ScriptRunner::Expect(const std::string& path, const char* what) const {
    Control& c = FindControl(path);
    auto* typed = dynamic_cast<T*>(&c);
    if (!typed) throw Stop{2, path + " is not " + what};
    return *typed;
}

std::vector<std::string> ScriptRunner::TextOf(const std::string& target) const {
    if (target == "clipboard") return {services_.clipboard};
    if (target == "shell") return services_.shell;
    if (target == "printer") return services_.printer.Lines();
    if (target == "chart") {
        if (!services_.shownChart) return {};
        return DescribeChart(*services_.shownChart);
    }
    if (target == "focus") {
        Control* c = Active().focused();
        return {c ? c->name() : ""};
    }
    if (target == "forms") {
        std::vector<std::string> names;
        for (Form* f : ui_.VisibleForms()) names.push_back(f->name());
        return names;
    }
    if (target.find('.') == std::string::npos) {
        if (Form* active = ui_.ActiveForm(); !active || !active->Find(target)) {
            if (Form* form = ui_.FindForm(target)) return {form->caption};
        }
    }
    return ControlText(FindControl(target));
}

void ScriptRunner::Finish(int status, const std::string& message) {
    if (status != 0) {
        status_ = status;
        err_ << "script line " << lineNo_ << ": " << message << "\n";
    }
    ended_ = true;
    ui_.Quit();
}

bool ScriptRunner::Step() {
    if (ended_) return false;
    std::string line;
    while (std::getline(script_, line)) {
        ++lineNo_;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const auto args = SplitScriptLine(Utf8ToCp1252(line));
        try {
            if (!args) throw Stop{2, "unbalanced quotes"};
            Run(*args);
        } catch (const Stop& stop) {
            Finish(stop.status, stop.message);
            return false;
        }
        out_.flush();
        return !ended_;
    }
    Finish(0, "");
    return false;
}

void ScriptRunner::FocusOn(Control& c) {
    if (!c.form().visible) throw Stop{2, c.name() + " is on a form that is not shown"};
    if (!c.CanFocus()) throw Stop{2, c.name() + " cannot take the focus (hidden or disabled)"};
    c.form().SetFocus(c);
}

void ScriptRunner::Print(const std::vector<std::string>& lines) {
    for (const auto& l : lines) out_ << Cp1252ToUtf8(l) << "\n";
}

void ScriptRunner::AnswerDialog(std::optional<std::string> path) {
    if (!services_.DialogOpen()) throw Stop{2, "no file dialog is open"};
    services_.AnswerDialog(std::move(path));
}

void ScriptRunner::Run(const Args& a) {
    const std::string& cmd = a[0];
    if (ui_.Terminated()) throw Stop{2, "the program has ended"};
    const auto& commands = Commands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&cmd](const Command& c) { return c.word == cmd; });
    const bool known = command != commands.end();
    if (services_.DialogOpen() && !(known && command->whileDialog == WhileDialog::Allowed)) {
        throw Stop{2, "a file dialog is waiting for file or cancel"};
    }
    if (!known) throw Stop{2, "unknown command " + cmd};
    const std::size_t n = command->args;
    if (a.size() != n + 1) {
        throw Stop{2, cmd + " takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s")};
    }
    command->run(*this, a);
}

// Every command of the script language. While a file dialog waits, only the commands that
// answer it and those that only look are allowed.
const std::vector<ScriptRunner::Command>& ScriptRunner::Commands() {
    static const std::vector<Command> commands = {
        {"type", 2, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             auto& edit = r.Expect<Edit>(a[1], "an edit");
             r.FocusOn(edit);
             // The keys go where the focus is: a field check that kept it elsewhere gets them.
             auto* target = dynamic_cast<Edit*>(edit.form().focused());
             if (target && !target->readOnly) target->text = target->Typed(a[2]);
         }},
        {"focus", 1, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) { r.FocusOn(r.FindControl(a[1])); }},
        {"tab", 0, WhileDialog::Refused,
         [](ScriptRunner& r, const Args&) {
             Form& form = r.Active();
             if (Control* next = form.NextInTabOrder(form.focused())) form.SetFocus(*next);
         }},
        {"click", 1, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             auto& button = r.Expect<Button>(a[1], "a button");
             if (!button.form().visible || !button.visible || !button.enabled) {
                 throw Stop{2, a[1] + " is hidden or disabled"};
             }
             r.ui_.Click(button);
         }},
        {"menu", 1, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             Form& form = r.Active();
             MenuItem* item = form.menu ? form.menu->Find(a[1]) : nullptr;
             if (!item) throw Stop{2, "unknown menu item " + a[1] + " on " + form.name()};
             if (!form.menu->Usable(*item)) throw Stop{2, "menu item " + a[1] + " is disabled"};
             r.ui_.ChooseMenu(*item);
         }},
        {"select", 2, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             Control& c = r.FindControl(a[1]);
             const auto n = WholeArg(a[2]);
             if (!n) throw Stop{2, "row must be a whole number"};
             if (auto* list = dynamic_cast<ListBox*>(&c)) {
                 if (*n < 0 || *n >= static_cast<int>(list->items.size()))
                     throw Stop{2, "no such row"};
                 r.FocusOn(*list);
                 list->itemIndex = *n;
             } else if (auto* grid = dynamic_cast<StringGrid*>(&c)) {
                 if (*n < grid->fixedRows || *n >= grid->RowCount()) throw Stop{2, "no such row"};
                 r.FocusOn(*grid);
                 grid->row = *n;
                 if (grid->OnSelectCell) grid->OnSelectCell();
             } else {
                 throw Stop{2, a[1] + " is not a list box or grid"};
             }
             if (c.OnClick) c.OnClick();
             r.ui_.Refresh();
         }},
        {"key", 2, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             Control& c = r.FindControl(a[1]);
             char key = 0;
             if (a[2] == "Enter") {
                 key = '\r';
             } else if (a[2] == "Escape") {
                 key = 27;
             } else if (a[2].size() == 1) {
                 key = a[2][0];
             } else {
                 throw Stop{2, "key is Enter, Escape or one character"};
             }
             r.FocusOn(c);
             if (Control* focused = c.form().focused()) r.ui_.PressKey(*focused, key);
         }},
        {"cell", 4, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             auto& grid = r.Expect<StringGrid>(a[1], "a grid");
             const auto row = WholeArg(a[2]);
             const auto col = WholeArg(a[3]);
             if (!row || !col || *row < grid.fixedRows || *row >= grid.RowCount() || *col < 0 ||
                 *col >= grid.ColCount()) {
                 throw Stop{2, "no such cell"};
             }
             if (!grid.editable) throw Stop{2, a[1] + " cannot be edited"};
             r.FocusOn(grid);
             grid.row = *row;
             grid.col = *col;
             grid.Cell(*row, *col) = a[4];
             r.ui_.Refresh();
         }},
        {"file", 1, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args& a) { r.AnswerDialog(a[1]); }},
        {"cancel", 0, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args&) { r.AnswerDialog(std::nullopt); }},
        {"print", 1, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args& a) {
             if (a[1] == "clipboard") {
                 std::string text = Cp1252ToUtf8(r.services_.clipboard);
                 if (!text.empty() && text.back() != '\n') text += '\n';
                 r.out_ << text;
             } else {
                 r.Print(r.TextOf(a[1]));
             }
         }},
        {"expect", 2, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args& a) {
             const auto lines = r.TextOf(a[1]);
             const bool several = a[1] == "clipboard" || lines.size() != 1;
             const std::string actual = several ? Join(lines, "\n") : lines[0];
             const std::string wanted = several ? Unescape(a[2]) : a[2];
             if (actual != wanted) {
                 throw Stop{1, "expected " + a[1] + " to be \"" + Cp1252ToUtf8(wanted) +
                                   "\" but it is \"" + Cp1252ToUtf8(actual) + "\""};
             }
         }},
        {"expect-line", 3, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args& a) {
             const auto lines = r.TextOf(a[1]);
             const auto n = WholeArg(a[2]);
             if (!n || *n < 0) throw Stop{2, "line must be a whole number"};
             const std::string actual =
                 *n < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(*n)] : "";
             if (actual != a[3]) {
                 throw Stop{1, "expected line " + a[2] + " of " + a[1] + " to be \"" +
                                   Cp1252ToUtf8(a[3]) + "\" but it is \"" + Cp1252ToUtf8(actual) +
                                   "\""};
             }
         }},
        {"chart", 1, WhileDialog::Refused,
         [](ScriptRunner& r, const Args& a) {
             if (!r.services_.shownChart) throw Stop{2, "no chart has been shown"};
             const std::string problem = r.services_.SaveChart(*r.services_.shownChart, a[1]);
             if (!problem.empty()) throw Stop{2, problem};
         }},
        {"screenshot", 1, WhileDialog::Allowed,
         [](ScriptRunner& r, const Args& a) { r.ui_.backend().Screenshot(r.Active(), a[1]); }},
    };
    return commands;
}

}  // namespace tessary::ui
