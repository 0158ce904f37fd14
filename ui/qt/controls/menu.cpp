#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

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

void MenuAdapter::AddItem(QWidget* parent, Form& form, MenuItem& item, ControlHost& host) {
    if (item.caption == "-") {
        auto* separator = new QAction(parent);
        separator->setSeparator(true);
        parent->addAction(separator);
        return;
    }
    if (item.items.empty()) {
        auto* action = new QAction(ToQt(item.caption), parent);
        Form* owner = &form;
        QObject::connect(action, &QAction::triggered, &host, [&host, owner, &item] {
            if (host.Live(*owner) && owner->menu && owner->menu->Usable(item))
                host.ChooseMenu(item);
        });
        parent->addAction(action);
        actions_.emplace_back(&item, action);
        return;
    }
    auto* menu = new QMenu(ToQt(item.caption), parent);
    parent->addAction(menu->menuAction());
    actions_.emplace_back(&item, menu->menuAction());
    for (auto& sub : item.items) AddItem(menu, form, *sub, host);
}

void MenuAdapter::Build(QMainWindow& window, Form& form, ControlHost& host) {
    actions_.clear();
    if (!form.menu) {
        if (window.menuWidget()) window.setMenuWidget(nullptr);
        return;
    }
    auto* bar = new QMenuBar(&window);
    // The menu grows with the form's font, so it stays readable on wide screens.
    bar->setFont(FormFont(form));
    for (auto& item : form.menu->items) AddItem(bar, form, *item, host);
    window.setMenuBar(bar);
}

void MenuAdapter::Sync(QMainWindow& window, Form& form, ControlHost& host) {
    std::vector<std::pair<const MenuItem*, std::size_t>> shape;
    if (form.menu) MenuShape(form.menu->items, shape);
    const bool hadMenu = window.menuWidget() != nullptr;
    if (shape != shape_ || hadMenu != (form.menu != nullptr)) {
        shape_ = shape;
        Build(window, form, host);
    }
    for (auto& [item, action] : actions_) {
        const QString text = ToQt(item->caption);
        if (action->text() != text) action->setText(text);
        if (action->isEnabled() != item->enabled) action->setEnabled(item->enabled);
    }
}

}  // namespace tessary::ui
