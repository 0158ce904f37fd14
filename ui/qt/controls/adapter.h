#pragma once
// Between the backend's windows and the widgets of their controls. Each kind of control has
// one adapter that makes its widget, reports the user's actions on it to the model and keeps
// it in step with the model; the backend hosts them and handles what is common to all.

#include <QObject>
#include <QPalette>
#include <QRect>
#include <memory>
#include <utility>
#include <vector>

#include "ui/form.h"

class QAction;
class QMainWindow;
class QStyle;
class QWidget;

namespace tessary::ui {

// What the widgets report the user's actions to, and the receiver of their signals: cutting a
// window's connections to the host silences its widgets.
class ControlHost : public QObject {
  public:
    // Above 0 while the widgets are being set from the models: their signals are not the user's.
    int syncing = 0;

    // Whether the form takes the user's actions (it is the topmost one).
    virtual bool Live(const Form& form) const = 0;
    virtual void Click(Button& button) = 0;
    virtual void ChooseMenu(MenuItem& item) = 0;
    // Brings every window in step with the models after a handler ran.
    virtual void RefreshAll() = 0;
    // The style of edit fields: it draws the model's password character.
    virtual QStyle& EditStyle() = 0;
};

class ControlAdapter {
  public:
    ControlAdapter(Control& model, QWidget* widget) : model_(model), widget_(widget) {}
    virtual ~ControlAdapter() = default;
    ControlAdapter(const ControlAdapter&) = delete;
    ControlAdapter& operator=(const ControlAdapter&) = delete;

    Control& model() const { return model_; }
    QWidget* widget() const { return widget_; }

    // Sets the widget from the model, touching only what differs; the caller raises the
    // host's `syncing` meanwhile.
    void Sync();
    // How the widget takes the focus: by Tab and by click, unless its kind says otherwise.
    virtual Qt::FocusPolicy Policy() const;

    // Keys on their way to the form manager. An open cell editor (the target, inside the
    // widget) ends first, kept or undone; Tab may move inside the control instead.
    virtual void CloseEditor(QWidget* /*target*/, bool /*keep*/) {}
    virtual bool TabStaysInside() const { return false; }

  protected:
    // What the kind's own sync decides besides its contents: colours and place.
    struct Look {
        QPalette palette;
        QRect place;
        // Disabled text keeps the style's grey unless `disabledToo`, as on any desktop.
        void Paint(QPalette::ColorRole role, const QColor& colour, bool disabledToo);
    };
    virtual void SyncKind(Look& look) = 0;
    // Ink on paper in the model's colours, for controls with a text field.
    void PaintField(Look& look) const;
    QColor Ink() const;
    QColor Paper() const;

  private:
    Control& model_;
    QWidget* widget_;
};

// The adapter for a control of any kind, its widget made on `parent`.
std::unique_ptr<ControlAdapter> MakeAdapter(Control& c, QWidget* parent, ControlHost& host);
std::unique_ptr<ControlAdapter> MakeLabel(Label& m, QWidget* parent);
std::unique_ptr<ControlAdapter> MakeEdit(Edit& m, QWidget* parent, ControlHost& host);
std::unique_ptr<ControlAdapter> MakeButton(Button& m, QWidget* parent, ControlHost& host);
std::unique_ptr<ControlAdapter> MakeListBox(ListBox& m, QWidget* parent, ControlHost& host);
std::unique_ptr<ControlAdapter> MakeGrid(StringGrid& m, QWidget* parent, ControlHost& host);
std::unique_ptr<ControlAdapter> MakeMemo(Memo& m, QWidget* parent, ControlHost& host);
// The style that MakeEdit's fields are drawn in, for the host to own.
std::unique_ptr<QStyle> MakeEditStyle();

// A window's menu bar, built from the form's menu and rebuilt when its shape changes.
class MenuAdapter {
  public:
    void Sync(QMainWindow& window, Form& form, ControlHost& host);

  private:
    void Build(QMainWindow& window, Form& form, ControlHost& host);
    void AddItem(QWidget* parent, Form& form, MenuItem& item, ControlHost& host);

    std::vector<std::pair<const MenuItem*, std::size_t>> shape_;
    std::vector<std::pair<const MenuItem*, QAction*>> actions_;
};

}  // namespace tessary::ui
