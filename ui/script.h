#pragma once
// The script runner behind tessary-script: reads user actions a line at a time and performs
// them on the forms, as the user would. One command a line; "#" starts a comment line;
// arguments are separated by blanks, and one with blanks is written in double quotes
// ("\"" for a quote inside, "" for an empty text).

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ui/headless.h"
#include "ui/ui.h"

namespace tessary::ui {

// Splits a script line into its arguments; nothing when the quoting is broken.
std::optional<std::vector<std::string>> SplitScriptLine(const std::string& line);

class ScriptRunner {
  public:
    ScriptRunner(Ui& ui, ScriptServices& services, std::istream& script, std::ostream& out,
                 std::ostream& err)
        : ui_(ui), services_(services), script_(script), out_(out), err_(err) {}

    // Runs the next command. False when the script has ended or stopped; the program is
    // then asked to end.
    bool Step();
    // 0, or 1 after a failed expect, or 2 after a script error.
    int ExitStatus() const { return status_; }

  private:
    struct Stop {
        int status;
        std::string message;
    };

    using Args = std::vector<std::string>;
    // Whether a command may run while a file dialog waits for its answer.
    enum class WhileDialog { Refused, Allowed };
    // A command word, how many arguments follow it, and what it does with them (the word is
    // args[0]).
    struct Command {
        std::string_view word;
        std::size_t args;
        WhileDialog whileDialog;
        void (*run)(ScriptRunner& runner, const Args& args);
    };
    static const std::vector<Command>& Commands();

    void Run(const Args& args);
    Form& Active() const;
    Control& FindControl(const std::string& path) const;
    template <typename T>
    T& Expect(const std::string& path, const char* what) const;
    // The text that print shows for a name: a control, a form or a service.
    std::vector<std::string> TextOf(const std::string& target) const;
    void FocusOn(Control& c);
    void Print(const std::vector<std::string>& lines);
    void AnswerDialog(std::optional<std::string> path);
    void Finish(int status, const std::string& message);

    Ui& ui_;
    ScriptServices& services_;
    std::istream& script_;
    std::ostream& out_;
    std::ostream& err_;
    int lineNo_ = 0;
    int status_ = 0;
    bool ended_ = false;
};

}  // namespace tessary::ui
