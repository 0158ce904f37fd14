#include <QListWidget>
#include <string>
#include <vector>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

class ListBoxAdapter : public ControlAdapter {
  public:
    ListBoxAdapter(ListBox& m, QListWidget* list, ControlHost& host)
        : ControlAdapter(m, list), m_(m), list_(list) {
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(list_, &QListWidget::currentRowChanged, &host, [&host, &m](int row) {
            if (host.syncing) return;
            m.itemIndex = row;
            if (host.Live(m.form()) && m.OnClick) m.OnClick();
            host.RefreshAll();
        });
        QObject::connect(list_, &QListWidget::itemDoubleClicked, &host,
                         [&host, &m](QListWidgetItem*) {
                             if (host.syncing || !host.Live(m.form())) return;
                             if (m.OnDblClick) m.OnDblClick();
                             host.RefreshAll();
                         });
    }

  protected:
    void SyncKind(Look& look) override {
        if (shownItems_ != m_.items) {
            list_->clear();
            for (const auto& item : m_.items) list_->addItem(ToQt(item));
            shownItems_ = m_.items;
        }
        const int index = m_.itemIndex >= 0 && m_.itemIndex < list_->count() ? m_.itemIndex : -1;
        if (list_->currentRow() != index) list_->setCurrentRow(index);
        PaintField(look);
    }

  private:
    ListBox& m_;
    QListWidget* list_;
    // The items last shown, so that a refresh refills the list only when they changed.
    std::vector<std::string> shownItems_;
};

}  // namespace

std::unique_ptr<ControlAdapter> MakeListBox(ListBox& m, QWidget* parent, ControlHost& host) {
    return std::make_unique<ListBoxAdapter>(m, new QListWidget(parent), host);
}

}  // namespace tessary::ui
