#pragma once
// The form model: every form of the system is written once against these plain classes and
// runs either on Qt or headless. Controls are plain data plus event handlers; the platform
// reads the data to draw them and calls the handlers for the user's actions. All text here is
// Windows-1252, as in the data files; only the platform converts it for display.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessary::ui {

enum class ModalResult { None, OK, Cancel };
enum class Alignment { Left, Center, Right };

// An RGB colour, 0xRRGGBB.
using Colour = std::uint32_t;
inline constexpr Colour kFormColour = 0xCCFFFF;  // red 0xCC, green 0xFF, blue 0xFF
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kBlue = 0x0000FF;
inline constexpr Colour kWhite = 0xFFFFFF;

struct Font {
    std::string name;     // empty: the form's font
    int size = 0;         // in points; 0: the form's size
    int pixelHeight = 0;  // when set, the text height in pixels instead of `size`
    bool bold = false;
    bool italic = false;
    Colour colour = kBlack;
};

class Form;

class Control {
  public:
    enum class Kind { Label, Edit, Button, ListBox, Grid, Memo };

    Control(Form& form, Kind kind, std::string name)
        : form_(form), kind_(kind), name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& form() const { return form_; }
    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }

    // Place and size in pixels, at design size until the form is scaled to the screen.
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    bool enabled = true;
    int tabOrder = 0;
    bool tabStop = true;
    std::string hint;
    Font font;
    Colour colour = kWhite;  // background, where the control has one

    // Event handlers, named after the events: a focus change runs OnExit of the control left
    // and OnEnter of the control entered; OnKeyPress may set the key to 0 to swallow it.
    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    std::function<void()> OnClick;
    std::function<void(char& key)> OnKeyPress;

    void Place(int x, int y, int w, int h) {
        left = x;
        top = y;
        width = w;
        height = h;
    }

    // Whether the focus may rest here (labels never take it).
    bool CanFocus() const;
    // Moves the focus here, running the focus handlers (see Form::SetFocus).
    void SetFocus();

  private:
    Form& form_;
    Kind kind_;
    std::string name_;
};

class Label : public Control {
  public:
    Label(Form& f, std::string name) : Control(f, Kind::Label, std::move(name)) {}
    std::string caption;
    Alignment alignment = Alignment::Left;
    bool autoSize = true;
    bool transparent = true;
};

class Edit : public Control {
  public:
    Edit(Form& f, std::string name) : Control(f, Kind::Edit, std::move(name)) {}
    std::string text;
    int maxLength = 0;  // 0: no limit
    bool upperCase = false;
    char passwordChar = 0;  // shown instead of each character when set
    bool readOnly = false;
    // What typing `typed` into the empty field leaves there: cut to maxLength, upper-cased.
    std::string Typed(std::string_view typed) const;
};

class Button : public Control {
  public:
    Button(Form& f, std::string name) : Control(f, Kind::Button, std::move(name)) {}
    std::string caption;  // "&" marks the accelerator
    bool isDefault = false;
    bool isCancel = false;
    ModalResult modalResult = ModalResult::None;  // given to the form when pressed
};

class ListBox : public Control {
  public:
    ListBox(Form& f, std::string name) : Control(f, Kind::ListBox, std::move(name)) {}
    std::vector<std::string> items;
    int itemIndex = -1;
    std::function<void()> OnDblClick;
};

class StringGrid : public Control {
  public:
    StringGrid(Form& f, std::string name) : Control(f, Kind::Grid, std::move(name)) {}
    int fixedRows = 1;  // heading rows, not selectable
    bool editable = false;
    int defaultRowHeight = 24;
    std::vector<int> colWidths;                   // one per column
    std::vector<std::vector<std::string>> cells;  // [row][col]
    int row = 1;                                  // the selected row
    int col = 0;                                  // the selected column
    // Runs when a cell is selected by the user (mouse or keys), after `row`/`col` change.
    std::function<void()> OnSelectCell;

    void Resize(int rows, int cols);
    int RowCount() const { return static_cast<int>(cells.size()); }
    int ColCount() const { return static_cast<int>(colWidths.size()); }
    std::string& Cell(int r, int c) {
        return cells.at(static_cast<std::size_t>(r)).at(static_cast<std::size_t>(c));
    }
};

class Memo : public Control {
  public:
    Memo(Form& f, std::string name) : Control(f, Kind::Memo, std::move(name)) {}
    std::vector<std::string> lines;
    bool readOnly = true;
};

struct MenuItem {
    std::string name;
    std::string caption;  // "&" marks the accelerator
    bool enabled = true;
    std::function<void()> OnClick;
    std::vector<std::unique_ptr<MenuItem>> items;

    MenuItem& Add(std::string itemName, std::string itemCaption,
                  std::function<void()> onClick = {});
};

struct MainMenu {
    std::vector<std::unique_ptr<MenuItem>> items;
    MenuItem& Add(std::string itemName, std::string itemCaption,
                  std::function<void()> onClick = {});
    // The item of that name at any depth, or nullptr.
    MenuItem* Find(std::string_view itemName);
    // Whether the item and every menu above it are enabled.
    bool Usable(const MenuItem& item) const;
};

class Form {
  public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }
    std::string caption;
    Colour colour = 0xF0F0F0;
    // Full-screen forms fill the screen; others are dialogs of width x height, centred.
    bool fullScreen = true;
    int width = 800, height = 600;
    int fontSize = 10;  // points
    std::string fontName = "MS Sans Serif";
    std::unique_ptr<MainMenu> menu;
    // Painting beyond the controls (the sign-on picture), as a picture file and its place.
    std::string pictureFile;
    int pictureLeft = 0, pictureTop = 0, pictureWidth = 0, pictureHeight = 0;

    // Set by the platform's form manager.
    bool visible = false;
    ModalResult modalResult = ModalResult::None;

    std::function<void()> OnActivate;

    // A form opened from the menu does its opening work on the activation that follows, and
    // not on later ones (coming back from a message or a prompt), which would lose what was
    // being keyed.
    void MarkOpening() { opening_ = true; }
    bool TakeOpening() { return std::exchange(opening_, false); }

    template <typename T>
    T& Add(std::string controlName) {
        auto control = std::make_unique<T>(*this, std::move(controlName));
        T& ref = *control;
        controls_.push_back(std::move(control));
        return ref;
    }
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    Control* Find(std::string_view controlName) const;

    // Scales the form and its controls from the 800-pixel design to a screen `w` wide, and
    // sets the form's font size to w * 10 / 800 (unless w is 800).
    void ScaleTo(int w);

    // Focus. Moving it runs OnExit of the control left; if that handler sets the focus
    // (back to itself, or elsewhere), its choice stands. Then OnEnter of the control entered.
    Control* focused() const { return focused_; }
    bool SetFocus(Control& target);
    // Places the focus without running handlers (a form being shown).
    void PlaceFocus(Control* target) { focused_ = target; }
    // The next (or previous) control in tab order that can take the focus.
    Control* NextInTabOrder(Control* from, bool backward = false) const;
    // The first control in tab order, where the focus rests when the form is first shown.
    Control* FirstInTabOrder() const { return NextInTabOrder(nullptr); }
    Button* DefaultButton() const;
    Button* CancelButton() const;

  private:
    std::string name_;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* focused_ = nullptr;
    bool opening_ = false;
    bool inExit_ = false;
    Control* redirect_ = nullptr;
    bool redirected_ = false;
};

// Text helpers used by the platforms.
std::string StripAccelerator(std::string_view caption);  // "&Next" -> "Next", "&&" -> "&"
int Scaled(int value, int screenWidth);                  // value * w / 800, rounded

}  // namespace tessary::ui
