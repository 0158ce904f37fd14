#pragma once
// TFmain: the main window. Its menu starts every command; its lower part is the message line
// and the prompt box through which commands ask their questions.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/desk.h"
#include "core/fileset.h"
#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

// Rights levels.
inline constexpr int kSystemController = 1;
inline constexpr int kSupervisor = 2;
inline constexpr int kOperator = 3;
inline constexpr int kAuditor = 4;

inline constexpr const char* kMsgNotAuthorised = "Unfortunately you are not authorised to do this";

class TFmain : public ui::Form, public Desk {
  public:
    explicit TFmain(App& app);

    ui::Label& L1;
    ui::Label& L2;
    ui::Label& L3;
    ui::Label& L4;
    ui::Edit& E1;
    ui::Edit& E2;
    ui::Edit& E3;
    ui::Edit& E4;
    ui::Label& Lm;
    ui::Button& OK;
    ui::Button& Cancel;
    ui::Label& SC;

    // The four dispatchers, supplied by the subsystems that own the commands. Each reads
    // the command code from the run state.
    std::function<void()> MembersCommand;
    std::function<void()> NominalCommand;
    std::function<void()> ReportCommand;
    std::function<void()> ProcessingCommand;
    // Commands of other subsystems started from the main window itself. The loan calculator
    // is given the desk with the menus disabled and the main window hidden, and shows itself.
    std::function<void()> LoanCalculator;

    // The prompt box and message line.
    void ClearPrompt();
    ui::ModalResult AskPrompt();
    void EnableMenus(bool on);
    // True when `required` is at least the user's level; otherwise says so in Lm.
    bool CheckRights(int required);
    // One warning in the message form for each non-empty batch file in the data folder.
    void WarnUnpostedBatches();
    // A command that another issue's work will fill in: says so and leaves things as they were.
    void NotAvailable(const std::string& what);

    void FormActivate();

    // Desk: what the file set tells the user.
    void ShowMessage(std::string_view text) override;
    bool AskQuestion(std::string_view message, std::string_view question) override;
    void RequestShutDown() override;

  private:
    void BuildMenu();
    void Dispatch(int code, const std::function<void()>& dispatcher);
    void SetUpClick();
    void SetPrinterClick();
    void EditReportClick();
    void HelpClick();
    void ExitYesClick();

    App& app_;
    // The empty document that "Edit Filed Report" opens while nothing has been filed.
    std::filesystem::path newDocument_;
};

// What a form's Close does with the main window's prompt box.
enum class PromptOnReturn { Keep, Clear };

// Gives the desk back when a form closes: closes the file set its command opened (in
// `fileSetMode`; a form that holds none passes nothing), clears the prompt when asked, gives
// the menus back, hides the form and shows the main window.
void ReturnToMain(App& app, ui::Form& form, std::optional<FileSetMode> fileSetMode,
                  PromptOnReturn prompt = PromptOnReturn::Keep);

// Checks an amount field of an entry form: its amount, or nothing with "Invalid" shown and
// the focus kept when the amount is refused.
std::optional<double> TakeAmountField(ui::Edit& edit);

}  // namespace tessary
