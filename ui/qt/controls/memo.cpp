#include <QPlainTextEdit>
#include <string>
#include <string_view>
#include <vector>

#include "ui/qt/controls/adapter.h"
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

class MemoAdapter : public ControlAdapter {
  public:
    MemoAdapter(Memo& m, QPlainTextEdit* memo, ControlHost& host)
        : ControlAdapter(m, memo), m_(m), memo_(memo) {
        memo_->setTabChangesFocus(true);
        // A memo shows its lines as placed, from the first, like a page: no scrolling.
        memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
        QObject::connect(memo_, &QPlainTextEdit::textChanged, &host, [this, &host] {
            if (host.syncing) return;
            shownText_ = FromQt(memo_->toPlainText());
            m_.lines = SplitLines(shownText_);
        });
    }

  protected:
    void SyncKind(Look& look) override {
        const std::string text = JoinLines(m_.lines);
        if (text != shownText_) {
            // Lines added at the end are appended, keeping the place the user scrolled to.
            if (!shownText_.empty() && text.size() > shownText_.size() + 1 &&
                text.compare(0, shownText_.size(), shownText_) == 0 &&
                text[shownText_.size()] == '\n') {
                memo_->appendPlainText(ToQt(std::string_view(text).substr(shownText_.size() + 1)));
            } else {
                memo_->setPlainText(ToQt(text));
            }
            shownText_ = text;
        }
        if (memo_->isReadOnly() != m_.readOnly) memo_->setReadOnly(m_.readOnly);
        PaintField(look);
    }

  private:
    Memo& m_;
    QPlainTextEdit* memo_;
    // The text last shown, so that a refresh touches the memo only when the lines changed.
    std::string shownText_;
};

}  // namespace

std::unique_ptr<ControlAdapter> MakeMemo(Memo& m, QWidget* parent, ControlHost& host) {
    return std::make_unique<MemoAdapter>(m, new QPlainTextEdit(parent), host);
}

}  // namespace tessary::ui
