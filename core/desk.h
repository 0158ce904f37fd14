#pragma once
// What the file set needs from the main window: its message line, its OK/Cancel question
// and the way to end the program. The front end implements it; tests record what it is told.

#include <string_view>

namespace tessary {

class Desk {
  public:
    virtual ~Desk() = default;
    // Puts a message into the main window's message line, where it stays until cleared.
    virtual void ShowMessage(std::string_view text) = 0;
    // Shows `message` and the question `question` with OK and Cancel, modally; true for OK.
    virtual bool AskQuestion(std::string_view message, std::string_view question) = 0;
    // Asks the application to end (the one way the program stops).
    virtual void RequestShutDown() = 0;
};

}  // namespace tessary
