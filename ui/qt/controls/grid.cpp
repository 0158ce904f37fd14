#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

class GridAdapter : public ControlAdapter {
  public:
    GridAdapter(StringGrid& m, QTableWidget* table, ControlHost& host)
        : ControlAdapter(m, table), m_(m), table_(table) {
        table_->horizontalHeader()->hide();
        table_->verticalHeader()->hide();
        table_->horizontalHeader()->setMinimumSectionSize(1);
        table_->verticalHeader()->setMinimumSectionSize(1);
        table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table_->setSelectionMode(QAbstractItemView::SingleSelection);
        table_->setSelectionBehavior(QAbstractItemView::SelectItems);
        table_->setWordWrap(false);
        QObject::connect(table_, &QTableWidget::itemChanged, &host,
                         [this, &host](QTableWidgetItem* item) {
                             if (!host.syncing) CellEdited(*item);
                         });
        QObject::connect(table_, &QTableWidget::currentCellChanged, &host,
                         [&host, &m](int r, int col, int, int) {
                             if (host.syncing || r < m.fixedRows || r < 0 || col < 0) return;
                             if (r == m.row && col == m.col) return;
                             m.row = r;
                             m.col = col;
                             if (host.Live(m.form()) && m.OnSelectCell) m.OnSelectCell();
                             host.RefreshAll();
                         });
        // A mouse press on a row is the grid's click (the reconciliation ticks by it).
        QObject::connect(table_, &QTableWidget::cellPressed, &host, [&host, &m](int r, int col) {
            if (host.syncing || r < m.fixedRows || r < 0 || col < 0 || !host.Live(m.form())) return;
            m.row = r;
            m.col = col;
            if (m.OnClick) m.OnClick();
            host.RefreshAll();
        });
    }

    void CloseEditor(QWidget* target, bool keep) override {
        if (target == table_) return;
        QAbstractItemDelegate* delegate = table_->itemDelegate();
        if (keep) emit delegate->commitData(target);
        emit delegate->closeEditor(
            target, keep ? QAbstractItemDelegate::NoHint : QAbstractItemDelegate::RevertModelCache);
    }
    bool TabStaysInside() const override { return m_.editable; }

  protected:
    void SyncKind(Look& look) override;

  private:
    void CellEdited(const QTableWidgetItem& item);

    StringGrid& m_;
    QTableWidget* table_;
    // What the table last showed, so that a refresh touches only the cells that changed.
    std::vector<std::vector<std::string>> shownCells_;
    int shownFixed_ = -1;
    bool shownEditable_ = false;
};

void GridAdapter::CellEdited(const QTableWidgetItem& item) {
    const auto r = static_cast<std::size_t>(item.row());
    const auto col = static_cast<std::size_t>(item.column());
    if (item.row() < 0 || r >= m_.cells.size() || item.column() < 0 || col >= m_.cells[r].size())
        return;
    m_.cells[r][col] = FromQt(item.text());
    if (r < shownCells_.size() && col < shownCells_[r].size())
        shownCells_[r][col] = m_.cells[r][col];
}

void GridAdapter::SyncKind(Look& look) {
    QTableWidget& t = *table_;
    const int rows = m_.RowCount();
    const int cols = m_.ColCount();
    const bool reshaped = t.rowCount() != rows || t.columnCount() != cols ||
                          shownFixed_ != m_.fixedRows || shownEditable_ != m_.editable;
    if (t.rowCount() != rows) t.setRowCount(rows);
    if (t.columnCount() != cols) t.setColumnCount(cols);
    for (int c = 0; c < cols; ++c) {
        const int width = std::max(1, m_.colWidths[static_cast<std::size_t>(c)]);
        if (t.columnWidth(c) != width) t.setColumnWidth(c, width);
    }
    const int rowHeight = std::max(1, m_.defaultRowHeight);
    if (t.verticalHeader()->defaultSectionSize() != rowHeight) {
        t.verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    if (reshaped) {
        shownFixed_ = m_.fixedRows;
        shownEditable_ = m_.editable;
        t.setEditTriggers(
            m_.editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                        : QAbstractItemView::NoEditTriggers);
        t.setTabKeyNavigation(m_.editable);
    }
    shownCells_.resize(static_cast<std::size_t>(rows));
    const QBrush heading = t.palette().brush(QPalette::Button);
    const QBrush headingInk(Qt::black);
    const std::string none;
    for (int r = 0; r < rows; ++r) {
        const auto& cells = m_.cells[static_cast<std::size_t>(r)];
        auto& shown = shownCells_[static_cast<std::size_t>(r)];
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
                if (r < m_.fixedRows) {
                    // Heading rows: never the current cell, never edited.
                    item->setFlags(Qt::NoItemFlags);
                    item->setBackground(heading);
                    item->setForeground(headingInk);
                } else {
                    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                   (m_.editable ? Qt::ItemIsEditable : Qt::NoItemFlags));
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
    if (m_.row >= 0 && m_.row < rows && m_.col >= 0 && m_.col < cols &&
        (t.currentRow() != m_.row || t.currentColumn() != m_.col)) {
        t.setCurrentCell(m_.row, m_.col);
    }
    PaintField(look);
}

}  // namespace

std::unique_ptr<ControlAdapter> MakeGrid(StringGrid& m, QWidget* parent, ControlHost& host) {
    return std::make_unique<GridAdapter>(m, new QTableWidget(parent), host);
}

}  // namespace tessary::ui
