#include "ui/form.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/text.h"

namespace tessary::ui {

bool Control::CanFocus() const {
    if (kind_ == Kind::Label || !visible || !enabled || !form_.visible) return false;
    return true;
}

void Control::SetFocus() {
    form_.SetFocus(*this);
}

std::string Edit::Typed(std::string_view typed) const {
    std::string text(typed);
    if (maxLength > 0 && text.size() > static_cast<std::size_t>(maxLength)) {
        text.resize(static_cast<std::size_t>(maxLength));
    }
    if (upperCase) text = UpperCase1252(text);
    return text;
}

void StringGrid::Resize(int rows, int cols) {
    colWidths.resize(static_cast<std::size_t>(std::max(cols, 0)), 64);
    cells.resize(static_cast<std::size_t>(std::max(rows, 0)));
    for (auto& r : cells) r.resize(static_cast<std::size_t>(std::max(cols, 0)));
}

namespace {

MenuItem& AddItem(std::vector<std::unique_ptr<MenuItem>>& items, std::string name,
                  std::string caption, std::function<void()> onClick) {
    auto item = std::make_unique<MenuItem>();
    item->name = std::move(name);
    item->caption = std::move(caption);
    item->OnClick = std::move(onClick);
    items.push_back(std::move(item));
    return *items.back();
}

}  // namespace

MenuItem& MenuItem::Add(std::string itemName, std::string itemCaption,
                        std::function<void()> onClick) {
    return AddItem(items, std::move(itemName), std::move(itemCaption), std::move(onClick));
}

MenuItem& MainMenu::Add(std::string itemName, std::string itemCaption,
                        std::function<void()> onClick) {
    return AddItem(items, std::move(itemName), std::move(itemCaption), std::move(onClick));
}

namespace {

MenuItem* FindIn(const std::vector<std::unique_ptr<MenuItem>>& items, std::string_view name) {
    for (const auto& item : items) {
        if (item->name == name) return item.get();
        if (MenuItem* found = FindIn(item->items, name)) return found;
    }
    return nullptr;
}

// The chain of items from the top down to `target`, empty when it is not in `items`.
bool PathTo(const std::vector<std::unique_ptr<MenuItem>>& items, const MenuItem& target,
            std::vector<const MenuItem*>& path) {
    for (const auto& item : items) {
        path.push_back(item.get());
        if (item.get() == &target || PathTo(item->items, target, path)) return true;
        path.pop_back();
    }
    return false;
}

}  // namespace

MenuItem* MainMenu::Find(std::string_view itemName) {
    return FindIn(items, itemName);
}

bool MainMenu::Usable(const MenuItem& item) const {
    std::vector<const MenuItem*> path;
    if (!PathTo(items, item, path)) return false;
    return std::all_of(path.begin(), path.end(), [](const MenuItem* m) { return m->enabled; });
}

Control* Form::Find(std::string_view controlName) const {
    for (const auto& c : controls_) {
        if (c->name() == controlName) return c.get();
    }
    return nullptr;
}

int Scaled(int value, int screenWidth) {
    return static_cast<int>(std::lround(static_cast<double>(value) * screenWidth / 800.0));
}

void Form::ScaleTo(int w) {
    if (w == 800 || w <= 0) return;
    width = Scaled(width, w);
    height = Scaled(height, w);
    // Round half to even, as the base font size is defined.
    fontSize = static_cast<int>(std::nearbyint(w * 10 / 800.0));
    pictureLeft = Scaled(pictureLeft, w);
    pictureTop = Scaled(pictureTop, w);
    pictureWidth = Scaled(pictureWidth, w);
    pictureHeight = Scaled(pictureHeight, w);
    for (auto& c : controls_) {
        c->left = Scaled(c->left, w);
        c->top = Scaled(c->top, w);
        c->width = Scaled(c->width, w);
        c->height = Scaled(c->height, w);
        if (c->font.pixelHeight) c->font.pixelHeight = Scaled(c->font.pixelHeight, w);
        if (auto* grid = dynamic_cast<StringGrid*>(c.get())) {
            for (int& cw : grid->colWidths) cw = Scaled(cw, w);
            grid->defaultRowHeight = Scaled(grid->defaultRowHeight, w);
        }
    }
}

bool Form::SetFocus(Control& target) {
    if (inExit_) {
        // A focus handler is choosing where the focus goes instead.
        redirect_ = &target;
        redirected_ = true;
        return true;
    }
    if (focused_ == &target) return true;
    Control* destination = &target;
    if (Control* leaving = focused_; leaving && leaving->OnExit) {
        inExit_ = true;
        redirected_ = false;
        leaving->OnExit();
        inExit_ = false;
        if (redirected_) destination = redirect_;
        if (destination == leaving) return false;
    }
    focused_ = destination;
    if (destination->OnEnter) destination->OnEnter();
    return focused_ == &target;
}

Control* Form::NextInTabOrder(Control* from, bool backward) const {
    std::vector<Control*> order;
    for (const auto& c : controls_) {
        if (c.get() == from || (c->tabStop && c->CanFocus())) order.push_back(c.get());
    }
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->tabOrder < b->tabOrder; });
    if (order.empty()) return nullptr;
    auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return backward ? order.back() : order.front();
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const auto i = at - order.begin();
    Control* next = order[static_cast<std::size_t>((i + (backward ? n - 1 : 1)) % n)];
    return next == from && !(from->tabStop && from->CanFocus()) ? nullptr : next;
}

Button* Form::DefaultButton() const {
    for (const auto& c : controls_) {
        if (auto* b = dynamic_cast<Button*>(c.get()); b && b->isDefault && b->visible && b->enabled)
            return b;
    }
    return nullptr;
}

Button* Form::CancelButton() const {
    for (const auto& c : controls_) {
        if (auto* b = dynamic_cast<Button*>(c.get()); b && b->isCancel && b->visible && b->enabled)
            return b;
    }
    return nullptr;
}

std::string StripAccelerator(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

}  // namespace tessary::ui
