#include "ui/qt/qtbackend.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QValidator>
#include <QWindow>
#include <algorithm>
#include <unordered_map>

#include "core/text.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += '\n';
        out += lines[i];
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return lines;
        start = end + 1;
    }
}

Qt::FocusPolicy PolicyOf(const Control& c) {
    switch (c.kind()) {
        case Control::Kind::Label:
            return Qt::NoFocus;
        case Control::Kind::Button:
            // A mouse click on a button does not move the focus itself: the form manager does,
            // once, running the field checks of the control left.
            return c.tabStop ? Qt::TabFocus : Qt::NoFocus;
        default:
            return c.tabStop ? Qt::StrongFocus : Qt::ClickFocus;
    }
}

const char* const kPasswordChar = "tessaryPasswordChar";

class Cp1252Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar c : input) {
            if (!InCp1252(c)) return Invalid;
        }
        return Acceptable;
    }
};

// Password fields show the form's password character rather than the style's bullet.
class EchoStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter && widget) {
            const QVariant c = widget->property(kPasswordChar);
            if (c.isValid()) return c.toInt();
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// The client area: the form's colour and picture under its controls.
class ClientArea : public QWidget {
  public:
    using QWidget::QWidget;
    QColor background;
    QImage picture;
    QRect pictureRect;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), background);
        if (picture.isNull()) return;
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect place = pictureRect.width() > 0 && pictureRect.height() > 0
                                ? pictureRect
                                : QRect(pictureRect.topLeft(), picture.size());
        painter.drawImage(place, picture);
    }
};

class FormWindow : public QMainWindow {
  public:
    using QMainWindow::QMainWindow;

  protected:
    // Forms end through their own buttons and menus, never through the window frame.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

struct ControlView {
    Control* model = nullptr;
    QWidget* widget = nullptr;
    // What the view last showed of list, grid and memo contents, so that a refresh touches
    // only what changed.
    std::vector<std::string> shownItems;
    std::vector<std::vector<std::string>> shownCells;
    std::string shownText;
    int shownFixed = -1;
    bool shownEditable = false;
};

struct FormView {
    Form* form = nullptr;
    FormWindow* window = nullptr;
    ClientArea* client = nullptr;
    std::vector<ControlView> controls;
    std::vector<Control*> tabChain;
    std::vector<std::pair<const MenuItem*, std::size_t>> menuShape;
    std::vector<std::pair<const MenuItem*, QAction*>> menuActions;
    std::string pictureFile;
    bool pictureLoaded = false;
};

// Captions of menu items, depth first, with how many items each holds: when this changes,
// the menu bar is built again.
void MenuShape(const std::vector<std::unique_ptr<MenuItem>>& items,
               std::vector<std::pair<const MenuItem*, std::size_t>>& shape) {
    for (const auto& item : items) {
        shape.emplace_back(item.get(), item->items.size());
        MenuShape(item->items, shape);
    }
}

}  // namespace

class QtBackend::Impl : public QObject {
  public:
    Impl();
    ~Impl() override;

    struct Hit {
        FormView* view = nullptr;
        Control* control = nullptr;
    };

    FormView* ViewOf(const Form& form) const;
    FormView* ViewOfWindow(const QWidget* window) const;
    FormView& Ensure(Form& form);
    Hit Locate(const QWidget* widget) const;
    QWidget* WidgetOf(const Control& control) const;
    bool Live(const Form& form) const { return ui && ui->ActiveForm() == &form; }
    // Disconnects the window's widgets and actions from the models' handlers.
    void Detach(FormView& v) {
        for (QObject* child : v.window->findChildren<QObject*>())
            disconnect(child, nullptr, this, nullptr);
    }

    void AddControl(FormView& v, Control& c);
    void BuildMenu(FormView& v);
    void AddMenuItem(FormView& v, QWidget* parent, MenuItem& item);
    void SyncWindow(FormView& v);
    void SyncMenu(FormView& v);
    void SyncControl(FormView& v, ControlView& cv);
    void SyncGrid(ControlView& cv, StringGrid& m, QTableWidget& t);
    void SyncTabOrder(FormView& v);
    void Place(FormView& v, bool& maximise);
    void RefreshAll();
    void SyncFocus();
    void QueueFocusSync();
    void RaiseActive();

    void EditTyped(QLineEdit& e, Edit& m, const QString& typed);
    void OnFocusChanged(QWidget* old, QWidget* now);
    bool KeyPress(QWidget* target, QKeyEvent* event);
    void MoveFocus(Control& from, bool backward);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Ui* ui = nullptr;
    std::function<bool()> step;
    int screenWidth = 0;
    bool quitting = false;
    EchoStyle echo;
    std::vector<std::unique_ptr<FormView>> views;
    std::unordered_map<const QWidget*, Hit> owners;
    int syncing = 0;  // the views are being set from the models: their signals are not the user's
    int focusChanging = 0;  // inside Qt's report of a focus change
    int syncingFocus = 0;   // Qt's focus is being set from the model's
    bool focusSyncQueued = false;
    bool typingReplacement = false;
};

QtBackend::Impl::Impl() {
    // Fonts of the Windows design that the desktop may lack, by their metric equivalents.
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "Arial", "DejaVu Sans"});
    QFont::insertSubstitutions("MS Serif", {"Liberation Serif", "Times New Roman"});
    // The program ends when its logic says so, not when no window happens to be showing.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget* old, QWidget* now) { OnFocusChanged(old, now); });
}

QtBackend::Impl::~Impl() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    owners.clear();
    for (auto& v : views) {
        // The forms may be gone already: nothing the widgets report on their way out may
        // reach them.
        Detach(*v);
        delete v->window;
    }
    views.clear();
}

FormView* QtBackend::Impl::ViewOf(const Form& form) const {
    for (const auto& v : views) {
        if (v->form == &form) return v.get();
    }
    return nullptr;
}

FormView* QtBackend::Impl::ViewOfWindow(const QWidget* window) const {
    for (const auto& v : views) {
        if (v->window == window) return v.get();
    }
    return nullptr;
}

QtBackend::Impl::Hit QtBackend::Impl::Locate(const QWidget* widget) const {
    for (; widget; widget = widget->parentWidget()) {
        if (auto at = owners.find(widget); at != owners.end()) return at->second;
        if (widget->isWindow()) break;
    }
    return {};
}

QWidget* QtBackend::Impl::WidgetOf(const Control& control) const {
    const FormView* v = ViewOf(control.form());
    if (!v) return nullptr;
    for (const auto& cv : v->controls) {
        if (cv.model == &control) return cv.widget;
    }
    return nullptr;
}

FormView& QtBackend::Impl::Ensure(Form& form) {
    if (FormView* v = ViewOf(form)) return *v;
    auto view = std::make_unique<FormView>();
    FormView& v = *view;
    v.form = &form;
    const Qt::WindowFlags type = form.fullScreen ? Qt::Window : Qt::Dialog;
    v.window = new FormWindow(nullptr, type | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Forms are laid out for a screen of the given width; on a screen with less height than
    // that, the window scrolls rather than putting its lower controls out of reach.
    auto* scroll = new QScrollArea(v.window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    v.client = new ClientArea(scroll);
    scroll->setWidget(v.client);
    v.window->setCentralWidget(scroll);
    views.push_back(std::move(view));
    for (const auto& c : form.controls()) AddControl(v, *c);
    SyncWindow(v);
    return v;
}

void QtBackend::Impl::AddControl(FormView& v, Control& c) {
    // The view's own records of this control, for the handlers below: the view outlives them.
    FormView* view = &v;
    const std::size_t index = v.controls.size();
    QWidget* w = nullptr;
    switch (c.kind()) {
        case Control::Kind::Label: {
            auto* label = new QLabel(v.client);
            label->setTextFormat(Qt::PlainText);
            w = label;
            break;
        }
        case Control::Kind::Edit: {
            auto& m = static_cast<Edit&>(c);
            auto* edit = new QLineEdit(v.client);
            edit->setValidator(new Cp1252Validator(edit));
            edit->setProperty(kPasswordChar, static_cast<int>(u'*'));
            edit->setStyle(&echo);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, edit, &m](const QString& typed) { EditTyped(*edit, m, typed); });
            w = edit;
            break;
        }
        case Control::Kind::Button: {
            auto& m = static_cast<Button&>(c);
            auto* button = new QPushButton(v.client);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, &m] {
                if (Live(m.form())) ui->Click(m);
            });
            w = button;
            break;
        }
        case Control::Kind::ListBox: {
            auto& m = static_cast<ListBox&>(c);
            auto* list = new QListWidget(v.client);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            connect(list, &QListWidget::currentRowChanged, this, [this, &m](int row) {
                if (syncing) return;
                m.itemIndex = row;
                if (Live(m.form()) && m.OnClick) m.OnClick();
                RefreshAll();
            });
            connect(list, &QListWidget::itemDoubleClicked, this, [this, &m](QListWidgetItem*) {
                if (syncing || !Live(m.form())) return;
                if (m.OnDblClick) m.OnDblClick();
                RefreshAll();
            });
            w = list;
            break;
        }
        case Control::Kind::Grid: {
            auto& m = static_cast<StringGrid&>(c);
            auto* table = new QTableWidget(v.client);
            table->horizontalHeader()->hide();
            table->verticalHeader()->hide();
            table->horizontalHeader()->setMinimumSectionSize(1);
            table->verticalHeader()->setMinimumSectionSize(1);
            table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            table->setSelectionMode(QAbstractItemView::SingleSelection);
            table->setSelectionBehavior(QAbstractItemView::SelectItems);
            table->setWordWrap(false);
            connect(table, &QTableWidget::itemChanged, this,
                    [this, view, index, &m](QTableWidgetItem* item) {
                        if (syncing) return;
                        const auto r = static_cast<std::size_t>(item->row());
                        const auto col = static_cast<std::size_t>(item->column());
                        if (item->row() < 0 || r >= m.cells.size() || item->column() < 0 ||
                            col >= m.cells[r].size())
                            return;
                        m.cells[r][col] = FromQt(item->text());
                        auto& shown = view->controls[index].shownCells;
                        if (r < shown.size() && col < shown[r].size())
                            shown[r][col] = m.cells[r][col];
                    });
            connect(table, &QTableWidget::currentCellChanged, this,
                    [this, &m](int r, int col, int, int) {
                        if (syncing || r < m.fixedRows || r < 0 || col < 0) return;
                        if (r == m.row && col == m.col) return;
                        m.row = r;
                        m.col = col;
                        if (Live(m.form()) && m.OnSelectCell) m.OnSelectCell();
                        RefreshAll();
                    });
            // A mouse press on a row is the grid's click (the reconciliation ticks by it).
            connect(table, &QTableWidget::cellPressed, this, [this, &m](int r, int col) {
                if (syncing || r < m.fixedRows || r < 0 || col < 0 || !Live(m.form())) return;
                m.row = r;
                m.col = col;
                if (m.OnClick) m.OnClick();
                RefreshAll();
            });
            w = table;
            break;
        }
        case Control::Kind::Memo: {
            auto& m = static_cast<Memo&>(c);
            auto* memo = new QPlainTextEdit(v.client);
            memo->setTabChangesFocus(true);
            // A memo shows its lines as placed, from the first, like a page: no scrolling.
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            connect(memo, &QPlainTextEdit::textChanged, this, [this, view, index, memo, &m] {
                if (syncing) return;
                auto& shown = view->controls[index].shownText;
                shown = FromQt(memo->toPlainText());
                m.lines = SplitLines(shown);
            });
            w = memo;
            break;
        }
    }
    w->setFocusPolicy(PolicyOf(c));
    w->setObjectName(ToQt(c.name()));
    owners[w] = Hit{&v, &c};
    v.controls.push_back(ControlView{&c, w, {}, {}, {}, -1, false});
}

void QtBackend::Impl::AddMenuItem(FormView& v, QWidget* parent, MenuItem& item) {
    if (item.caption == "-") {
        auto* separator = new QAction(parent);
        separator->setSeparator(true);
        parent->addAction(separator);
        return;
    }
    Form* form = v.form;
    if (item.items.empty()) {
        auto* action = new QAction(ToQt(item.caption), parent);
        connect(action, &QAction::triggered, this, [this, form, &item] {
            if (Live(*form) && form->menu && form->menu->Usable(item)) ui->ChooseMenu(item);
        });
        parent->addAction(action);
        v.menuActions.emplace_back(&item, action);
        return;
    }
    auto* menu = new QMenu(ToQt(item.caption), parent);
    parent->addAction(menu->menuAction());
    v.menuActions.emplace_back(&item, menu->menuAction());
    for (auto& sub : item.items) AddMenuItem(v, menu, *sub);
}

void QtBackend::Impl::BuildMenu(FormView& v) {
    v.menuActions.clear();
    if (!v.form->menu) {
        if (v.window->menuWidget()) v.window->setMenuWidget(nullptr);
        return;
    }
    auto* bar = new QMenuBar(v.window);
    // The menu grows with the form's font, so it stays readable on wide screens.
    bar->setFont(FormFont(*v.form));
    for (auto& item : v.form->menu->items) AddMenuItem(v, bar, *item);
    v.window->setMenuBar(bar);
}

void QtBackend::Impl::SyncMenu(FormView& v) {
    std::vector<std::pair<const MenuItem*, std::size_t>> shape;
    if (v.form->menu) MenuShape(v.form->menu->items, shape);
    const bool hadMenu = v.window->menuWidget() != nullptr;
    if (shape != v.menuShape || hadMenu != (v.form->menu != nullptr)) {
        v.menuShape = shape;
        BuildMenu(v);
    }
    for (auto& [item, action] : v.menuActions) {
        const QString text = ToQt(item->caption);
        if (action->text() != text) action->setText(text);
        if (action->isEnabled() != item->enabled) action->setEnabled(item->enabled);
    }
}

void QtBackend::Impl::SyncWindow(FormView& v) {
    Form& f = *v.form;
    const QString title = ToQt(f.caption);
    if (v.window->windowTitle() != title) v.window->setWindowTitle(title);
    const QColor background = ToQColor(f.colour);
    if (v.client->background != background) {
        v.client->background = background;
        v.client->update();
    }
    const QFont font = FormFont(f);
    if (v.client->font() != font) v.client->setFont(font);
    if (!v.pictureLoaded || v.pictureFile != f.pictureFile) {
        v.pictureLoaded = true;
        v.pictureFile = f.pictureFile;
        v.client->picture = f.pictureFile.empty() ? QImage() : QImage(ToQt(f.pictureFile));
        v.client->update();
    }
    const QRect pictureRect(f.pictureLeft, f.pictureTop, f.pictureWidth, f.pictureHeight);
    if (v.client->pictureRect != pictureRect) {
        v.client->pictureRect = pictureRect;
        v.client->update();
    }
    for (std::size_t i = v.controls.size(); i < f.controls().size(); ++i) {
        AddControl(v, *f.controls()[i]);
    }
    SyncMenu(v);
    for (auto& cv : v.controls) SyncControl(v, cv);
    SyncTabOrder(v);
}

void QtBackend::Impl::SyncTabOrder(FormView& v) {
    std::vector<Control*> order;
    for (const auto& cv : v.controls) {
        if (cv.model->kind() != Control::Kind::Label) order.push_back(cv.model);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->tabOrder < b->tabOrder; });
    if (order == v.tabChain) return;
    v.tabChain = order;
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(WidgetOf(*order[i - 1]), WidgetOf(*order[i]));
    }
}

void QtBackend::Impl::SyncControl(FormView& v, ControlView& cv) {
    Control& c = *cv.model;
    QWidget* w = cv.widget;
    ++syncing;
    const QFont font = ControlFont(*v.form, c);
    if (w->font() != font) w->setFont(font);

    QPalette palette = w->palette();
    const QPalette before = palette;
    const auto paint = [&palette](QPalette::ColorRole role, const QColor& colour, bool disabled) {
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
        // Disabled text keeps the style's grey, as on any desktop.
        if (disabled) palette.setColor(QPalette::Disabled, role, colour);
    };
    const QColor ink = ToQColor(c.font.colour);
    const QColor paper = ToQColor(c.colour);
    QRect place(c.left, c.top, c.width, c.height);

    switch (c.kind()) {
        case Control::Kind::Label: {
            auto& m = static_cast<Label&>(c);
            auto* label = static_cast<QLabel*>(w);
            const QString text = ToQt(m.caption);
            if (label->text() != text) label->setText(text);
            const Qt::Alignment align =
                Qt::AlignTop | (m.alignment == Alignment::Left     ? Qt::AlignLeft
                                : m.alignment == Alignment::Center ? Qt::AlignHCenter
                                                                   : Qt::AlignRight);
            if (label->alignment() != align) label->setAlignment(align);
            paint(QPalette::WindowText, ink, false);
            if (label->autoFillBackground() == m.transparent)
                label->setAutoFillBackground(!m.transparent);
            if (!m.transparent) paint(QPalette::Window, paper, true);
            if (m.autoSize) {
                // A right-aligned label keeps its right edge as its text grows or shrinks.
                const QSize size = label->sizeHint();
                const int x = m.alignment == Alignment::Right && m.width > 0
                                  ? m.left + m.width - size.width()
                                  : m.left;
                place = QRect(x, m.top, size.width(), size.height());
            }
            break;
        }
        case Control::Kind::Edit: {
            auto& m = static_cast<Edit&>(c);
            auto* edit = static_cast<QLineEdit*>(w);
            const QString text = ToQt(m.text);
            // A text set longer than the limit is shown whole; the user can only shorten it.
            const int limit =
                m.maxLength > 0 ? std::max<int>(m.maxLength, static_cast<int>(text.size())) : 32767;
            if (edit->maxLength() != limit) edit->setMaxLength(limit);
            if (edit->text() != text) edit->setText(text);
            if (m.passwordChar) {
                const int shown = ToQt(std::string(1, m.passwordChar))[0].unicode();
                if (edit->property(kPasswordChar).toInt() != shown) {
                    edit->setProperty(kPasswordChar, shown);
                    QEvent restyle(QEvent::StyleChange);
                    QCoreApplication::sendEvent(edit, &restyle);
                }
            }
            const auto mode = m.passwordChar ? QLineEdit::Password : QLineEdit::Normal;
            if (edit->echoMode() != mode) edit->setEchoMode(mode);
            if (edit->isReadOnly() != m.readOnly) edit->setReadOnly(m.readOnly);
            paint(QPalette::Text, ink, false);
            paint(QPalette::Base, paper, true);
            break;
        }
        case Control::Kind::Button: {
            auto& m = static_cast<Button&>(c);
            auto* button = static_cast<QPushButton*>(w);
            const QString text = ToQt(m.caption);
            if (button->text() != text) button->setText(text);
            if (button->isDefault() != m.isDefault) button->setDefault(m.isDefault);
            paint(QPalette::ButtonText, ink, false);
            break;
        }
        case Control::Kind::ListBox: {
            auto& m = static_cast<ListBox&>(c);
            auto* list = static_cast<QListWidget*>(w);
            if (cv.shownItems != m.items) {
                list->clear();
                for (const auto& item : m.items) list->addItem(ToQt(item));
                cv.shownItems = m.items;
            }
            const int index = m.itemIndex >= 0 && m.itemIndex < list->count() ? m.itemIndex : -1;
            if (list->currentRow() != index) list->setCurrentRow(index);
            paint(QPalette::Text, ink, false);
            paint(QPalette::Base, paper, true);
            break;
        }
        case Control::Kind::Grid:
            SyncGrid(cv, static_cast<StringGrid&>(c), *static_cast<QTableWidget*>(w));
            paint(QPalette::Text, ink, false);
            paint(QPalette::Base, paper, true);
            break;
        case Control::Kind::Memo: {
            auto& m = static_cast<Memo&>(c);
            auto* memo = static_cast<QPlainTextEdit*>(w);
            const std::string text = JoinLines(m.lines);
            if (text != cv.shownText) {
                // Lines added at the end are appended, keeping the place the user scrolled to.
                if (!cv.shownText.empty() && text.size() > cv.shownText.size() + 1 &&
                    text.compare(0, cv.shownText.size(), cv.shownText) == 0 &&
                    text[cv.shownText.size()] == '\n') {
                    memo->appendPlainText(
                        ToQt(std::string_view(text).substr(cv.shownText.size() + 1)));
                } else {
                    memo->setPlainText(ToQt(text));
                }
                cv.shownText = text;
            }
            if (memo->isReadOnly() != m.readOnly) memo->setReadOnly(m.readOnly);
            paint(QPalette::Text, ink, false);
            paint(QPalette::Base, paper, true);
            break;
        }
    }
    if (!(palette == before)) w->setPalette(palette);
    if (w->geometry() != place) w->setGeometry(place);
    if (w->isHidden() == c.visible) w->setVisible(c.visible);
    if (w->isEnabled() != c.enabled) w->setEnabled(c.enabled);
    const QString hint = ToQt(c.hint);
    if (w->toolTip() != hint) w->setToolTip(hint);
    if (w->focusPolicy() != PolicyOf(c)) w->setFocusPolicy(PolicyOf(c));
    --syncing;
}

void QtBackend::Impl::SyncGrid(ControlView& cv, StringGrid& m, QTableWidget& t) {
    const int rows = m.RowCount();
    const int cols = m.ColCount();
    const bool reshaped = t.rowCount() != rows || t.columnCount() != cols ||
                          cv.shownFixed != m.fixedRows || cv.shownEditable != m.editable;
    if (t.rowCount() != rows) t.setRowCount(rows);
    if (t.columnCount() != cols) t.setColumnCount(cols);
    for (int c = 0; c < cols; ++c) {
        const int width = std::max(1, m.colWidths[static_cast<std::size_t>(c)]);
        if (t.columnWidth(c) != width) t.setColumnWidth(c, width);
    }
    const int rowHeight = std::max(1, m.defaultRowHeight);
    if (t.verticalHeader()->defaultSectionSize() != rowHeight) {
        t.verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    if (reshaped) {
        cv.shownFixed = m.fixedRows;
        cv.shownEditable = m.editable;
        t.setEditTriggers(
            m.editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                             QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
        t.setTabKeyNavigation(m.editable);
    }
    cv.shownCells.resize(static_cast<std::size_t>(rows));
    const QBrush heading = t.palette().brush(QPalette::Button);
    const QBrush headingInk(Qt::black);
    const std::string none;
    for (int r = 0; r < rows; ++r) {
        const auto& cells = m.cells[static_cast<std::size_t>(r)];
        auto& shown = cv.shownCells[static_cast<std::size_t>(r)];
        if (shown.size() != static_cast<std::size_t>(cols))
            shown.assign(static_cast<std::size_t>(cols), {});
        for (int c = 0; c < cols; ++c) {
            const std::string& text = static_cast<std::size_t>(c) < cells.size()
                                          ? cells[static_cast<std::size_t>(c)]
                                          : none;
            QTableWidgetItem* item = t.item(r, c);
            const bool fresh = !item || reshaped;
            if (!item) {
                item = new QTableWidgetItem;
                t.setItem(r, c, item);
            }
            if (fresh) {
                if (r < m.fixedRows) {
                    // Heading rows: never the current cell, never edited.
                    item->setFlags(Qt::NoItemFlags);
                    item->setBackground(heading);
                    item->setForeground(headingInk);
                } else {
                    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                   (m.editable ? Qt::ItemIsEditable : Qt::NoItemFlags));
                    item->setData(Qt::BackgroundRole, QVariant());
                    item->setData(Qt::ForegroundRole, QVariant());
                }
            }
            if (fresh || shown[static_cast<std::size_t>(c)] != text) {
                item->setText(ToQt(text));
                shown[static_cast<std::size_t>(c)] = text;
            }
        }
    }
    if (m.row >= 0 && m.row < rows && m.col >= 0 && m.col < cols &&
        (t.currentRow() != m.row || t.currentColumn() != m.col)) {
        t.setCurrentCell(m.row, m.col);
    }
}

void QtBackend::Impl::EditTyped(QLineEdit& e, Edit& m, const QString& typed) {
    if (syncing) return;
    QString shown = typed;
    if (m.upperCase) {
        const QString upper = ToQt(UpperCase1252(FromQt(typed)));
        if (upper != typed) {
            const int at = e.cursorPosition();
            ++syncing;
            e.setText(upper);
            e.setCursorPosition(at);
            --syncing;
            shown = upper;
        }
    }
    m.text = FromQt(shown);
}

void QtBackend::Impl::Place(FormView& v, bool& maximise) {
    const Form& f = *v.form;
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A screen width given for a scripted run stands for a 4:3 screen of that width, the
    // shape the forms are designed for, so that pictures show whole forms.
    const QRect area = screenWidth > 0 ? QRect(0, 0, screenWidth, screenWidth * 3 / 4)
                       : screen        ? screen->availableGeometry()
                                       : QRect(0, 0, 800, 600);
    maximise = false;
    if (f.fullScreen) {
        // The client keeps room for every control and the picture; beyond the screen, it scrolls.
        QRect used(f.pictureLeft, f.pictureTop, f.pictureWidth, f.pictureHeight);
        for (const auto& c : f.controls()) {
            if (c->visible && c->top >= 0) used |= QRect(c->left, c->top, c->width, c->height);
        }
        v.client->setMinimumSize(used.right() + 1, used.bottom() + 1);
        maximise = screenWidth <= 0;
        v.window->setGeometry(area);
        return;
    }
    v.client->setFixedSize(f.width, f.height);
    const int menu = v.window->menuWidget() ? v.window->menuWidget()->sizeHint().height() : 0;
    const QSize size(f.width, f.height + menu);
    v.window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
}

void QtBackend::Impl::RefreshAll() {
    for (auto& v : views) SyncWindow(*v);
    if (focusChanging) {
        QueueFocusSync();
    } else {
        SyncFocus();
    }
}

void QtBackend::Impl::SyncFocus() {
    if (!ui || !ui->ActiveForm()) return;
    Form& form = *ui->ActiveForm();
    FormView* v = ViewOf(form);
    Control* c = form.focused();
    if (!v || !c || !v->window->isVisible()) return;
    QWidget* target = WidgetOf(*c);
    if (!target || !target->isVisible() || !target->isEnabled()) return;
    if (QWidget* current = v->window->focusWidget(); current && Locate(current).control == c) {
        if (QApplication::focusWidget() == current || !v->window->isActiveWindow()) return;
    }
    ++syncingFocus;
    // As if tabbed to: an edit entered by the keyboard or by the program selects its text.
    target->setFocus(Qt::TabFocusReason);
    --syncingFocus;
}

void QtBackend::Impl::QueueFocusSync() {
    if (focusSyncQueued) return;
    focusSyncQueued = true;
    QTimer::singleShot(0, this, [this] {
        focusSyncQueued = false;
        SyncFocus();
    });
}

void QtBackend::Impl::RaiseActive() {
    if (!ui || !ui->ActiveForm()) return;
    FormView* v = ViewOf(*ui->ActiveForm());
    if (!v || !v->window->isVisible()) return;
    v->window->raise();
    v->window->activateWindow();
}

void QtBackend::Impl::OnFocusChanged(QWidget* old, QWidget* now) {
    if (syncingFocus || !now) return;
    const Hit hit = Locate(now);
    if (!hit.control) return;
    if (syncing) {
        // Qt moved the focus off a control the model just hid or disabled.
        QueueFocusSync();
        return;
    }
    Form& form = *hit.view->form;
    // A window coming to the front brings its own focus back; only a move inside one window
    // is the user's choice of control.
    if (!old || old->window() != now->window() || !Live(form)) {
        QueueFocusSync();
        return;
    }
    if (form.focused() == hit.control) return;
    ++focusChanging;
    form.SetFocus(*hit.control);
    RefreshAll();
    --focusChanging;
}

void QtBackend::Impl::MoveFocus(Control& from, bool backward) {
    Form& form = from.form();
    if (Control* next = form.NextInTabOrder(&from, backward); next && next != &from) {
        form.SetFocus(*next);
    }
    RefreshAll();
}

bool QtBackend::Impl::KeyPress(QWidget* target, QKeyEvent* event) {
    if (typingReplacement || !ui) return false;
    // A key the focused widget left unhandled travels up to its parents: it was seen already.
    if (QWidget* focus = QApplication::focusWidget();
        focus && focus != target && target->isAncestorOf(focus)) {
        return false;
    }
    const Hit hit = Locate(target);
    if (!hit.control) return false;
    Control& c = *hit.control;
    if (!Live(c.form())) return true;
    auto* table =
        c.kind() == Control::Kind::Grid ? static_cast<QTableWidget*>(WidgetOf(c)) : nullptr;
    QWidget* cellEditor = table && target != table ? target : nullptr;
    const auto closeCell = [&](bool keep) {
        if (!cellEditor) return;
        QAbstractItemDelegate* delegate = table->itemDelegate();
        if (keep) emit delegate->commitData(cellEditor);
        emit delegate->closeEditor(cellEditor, keep ? QAbstractItemDelegate::NoHint
                                                    : QAbstractItemDelegate::RevertModelCache);
    };
    const auto chord =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (chord) return false;
            // The form manager clicks the default button; Qt must not as well.
            closeCell(true);
            ui->PressKey(c, '\r');
            return true;
        case Qt::Key_Escape:
            closeCell(false);
            ui->PressKey(c, 27);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (chord) return false;
            if (table && static_cast<StringGrid&>(c).editable) return false;  // from cell to cell
            MoveFocus(c, event->key() == Qt::Key_Backtab);
            return true;
        default:
            break;
    }
    if (chord || !c.OnKeyPress) return false;
    char key = 0;
    if (event->key() == Qt::Key_Backspace) {
        key = '\b';
    } else {
        const QString text = event->text();
        if (text.size() != 1 || !text[0].isPrint() || !InCp1252(text[0])) return false;
        key = FromQt(text)[0];
    }
    char given = key;
    c.OnKeyPress(given);
    RefreshAll();
    if (given == key) return false;
    if (given == 0) return true;
    // The handler changed the key: that one is typed instead.
    const QString text = given == '\b' ? QString() : ToQt(std::string(1, given));
    // Qt's key codes for Latin-1 characters are those of their capitals.
    int code = Qt::Key_Backspace;
    if (given != '\b') {
        const int capital = text[0].toUpper().unicode();
        code = capital <= 0xFF ? capital : static_cast<int>(Qt::Key_unknown);
    }
    QKeyEvent replacement(QEvent::KeyPress, code, event->modifiers(), text);
    typingReplacement = true;
    QCoreApplication::sendEvent(target, &replacement);
    typingReplacement = false;
    return true;
}

bool QtBackend::Impl::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
    }
    if (!ui || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    const FormView* v = ViewOfWindow(widget->window());
    if (!v) return false;
    if (ui->ActiveForm() != v->form) {
        // Only the topmost form takes the user's input, as under a modal form.
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::MouseButtonPress) {
            QTimer::singleShot(0, this, [this] { RaiseActive(); });
        }
        return event->type() != QEvent::WindowActivate;
    }
    if (event->type() == QEvent::KeyPress) return KeyPress(widget, static_cast<QKeyEvent*>(event));
    return false;
}

QtBackend::QtBackend() : d_(std::make_unique<Impl>()) {}

QtBackend::~QtBackend() = default;

void QtBackend::Attach(Ui& ui) {
    d_->ui = &ui;
}

void QtBackend::SetStepper(std::function<bool()> step) {
    d_->step = std::move(step);
}

void QtBackend::SetScreenWidth(int width) {
    d_->screenWidth = width;
}

void QtBackend::Forget(Form& form) {
    auto at = std::find_if(d_->views.begin(), d_->views.end(),
                           [&form](const auto& v) { return v->form == &form; });
    if (at == d_->views.end()) return;
    for (const auto& cv : (*at)->controls) d_->owners.erase(cv.widget);
    d_->Detach(**at);
    (*at)->window->hide();
    // Deleted later: this may be running inside one of the window's own events.
    (*at)->window->deleteLater();
    d_->views.erase(at);
}

QMainWindow* QtBackend::WindowOf(const Form& form) const {
    const FormView* v = d_->ViewOf(form);
    return v ? v->window : nullptr;
}

QWidget* QtBackend::WidgetOf(const Control& control) const {
    return d_->WidgetOf(control);
}

void QtBackend::FormShown(Form& form) {
    FormView& v = d_->Ensure(form);
    d_->SyncWindow(v);
    bool maximise = false;
    d_->Place(v, maximise);
    v.window->setWindowState(maximise ? Qt::WindowMaximized : Qt::WindowNoState);
    if (!form.fullScreen && d_->ui && d_->ui->VisibleForms().size() > 1) {
        // A dialog stays over the form it was opened from.
        const auto& visible = d_->ui->VisibleForms();
        if (FormView* below = d_->ViewOf(*visible[visible.size() - 2])) {
            v.window->winId();
            below->window->winId();
            v.window->windowHandle()->setTransientParent(below->window->windowHandle());
        }
    }
    v.window->show();
    v.window->raise();
    v.window->activateWindow();
    d_->QueueFocusSync();
}

void QtBackend::FormHidden(Form& form) {
    FormView* v = d_->ViewOf(form);
    if (!v) return;
    v->window->hide();
    d_->RaiseActive();
}

void QtBackend::Refresh() {
    d_->RefreshAll();
}

void QtBackend::RunUntil(const std::function<bool()>& done) {
    if (d_->step) {
        for (;;) {
            QCoreApplication::processEvents();
            if (d_->quitting || done()) break;
            if (!d_->step()) break;
        }
        return;
    }
    while (!d_->quitting && !done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void QtBackend::Quit() {
    d_->quitting = true;
    QCoreApplication::quit();
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

bool QtBackend::Screenshot(Form& form, const std::string& path) {
    FormView& v = d_->Ensure(form);
    d_->SyncWindow(v);
    if (!v.window->isVisible()) {
        bool maximise = false;
        d_->Place(v, maximise);
        if (v.window->layout()) v.window->layout()->activate();
    }
    const QPixmap picture = v.window->grab();
    return !picture.isNull() && picture.save(ToQt(path), "PNG");
}

int QtBackend::ScreenWidth() {
    if (d_->screenWidth > 0) return d_->screenWidth;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 800;
}

}  // namespace tessary::ui
