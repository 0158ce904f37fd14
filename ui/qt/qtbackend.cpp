#include "ui/qt/qtbackend.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <unordered_map>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

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

struct FormView {
    Form* form = nullptr;
    FormWindow* window = nullptr;
    ClientArea* client = nullptr;
    std::vector<std::unique_ptr<ControlAdapter>> controls;
    std::vector<Control*> tabChain;
    MenuAdapter menu;
    std::string pictureFile;
    bool pictureLoaded = false;
};

}  // namespace

class QtBackend::Impl : public ControlHost {
  public:
    Impl();
    ~Impl() override;

    struct Hit {
        FormView* view = nullptr;
        ControlAdapter* adapter = nullptr;
        Control* control = nullptr;
    };

    FormView* ViewOf(const Form& form) const;
    FormView* ViewOfWindow(const QWidget* window) const;
    FormView& Ensure(Form& form);
    Hit Locate(const QWidget* widget) const;
    QWidget* WidgetOf(const Control& control) const;
    // Disconnects the window's widgets and actions from the models' handlers.
    void Detach(FormView& v) {
        for (QObject* child : v.window->findChildren<QObject*>())
            disconnect(child, nullptr, this, nullptr);
    }

    bool Live(const Form& form) const override { return ui && ui->ActiveForm() == &form; }
    void Click(Button& button) override { ui->Click(button); }
    void ChooseMenu(MenuItem& item) override { ui->ChooseMenu(item); }
    void RefreshAll() override;
    QStyle& EditStyle() override { return *editStyle; }

    void AddControl(FormView& v, Control& c);
    void SyncWindow(FormView& v);
    void SyncTabOrder(FormView& v);
    void Place(FormView& v, bool& maximise);
    void SyncFocus();
    void QueueFocusSync();
    void RaiseActive();

    void OnFocusChanged(QWidget* old, QWidget* now);
    bool KeyPress(QWidget* target, QKeyEvent* event);
    void MoveFocus(Control& from, bool backward);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Ui* ui = nullptr;
    std::function<bool()> step;
    int screenWidth = 0;
    bool quitting = false;
    std::unique_ptr<QStyle> editStyle = MakeEditStyle();
    std::vector<std::unique_ptr<FormView>> views;
    std::unordered_map<const QWidget*, Hit> owners;
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
        if (&cv->model() == &control) return cv->widget();
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
    auto adapter = MakeAdapter(c, v.client, *this);
    QWidget* w = adapter->widget();
    w->setFocusPolicy(adapter->Policy());
    w->setObjectName(ToQt(c.name()));
    owners[w] = Hit{&v, adapter.get(), &c};
    v.controls.push_back(std::move(adapter));
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
    v.menu.Sync(*v.window, f, *this);
    ++syncing;
    for (auto& cv : v.controls) cv->Sync();
    --syncing;
    SyncTabOrder(v);
}

void QtBackend::Impl::SyncTabOrder(FormView& v) {
    std::vector<Control*> order;
    for (const auto& cv : v.controls) {
        if (cv->model().kind() != Control::Kind::Label) order.push_back(&cv->model());
    }
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->tabOrder < b->tabOrder; });
    if (order == v.tabChain) return;
    v.tabChain = order;
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(WidgetOf(*order[i - 1]), WidgetOf(*order[i]));
    }
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
    const auto chord =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (chord) return false;
            // The form manager clicks the default button; Qt must not as well.
            hit.adapter->CloseEditor(target, true);
            ui->PressKey(c, '\r');
            return true;
        case Qt::Key_Escape:
            hit.adapter->CloseEditor(target, false);
            ui->PressKey(c, 27);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (chord) return false;
            if (hit.adapter->TabStaysInside()) return false;  // from cell to cell
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
    for (const auto& cv : (*at)->controls) d_->owners.erase(cv->widget());
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
