#include "shell/ui/OutputPane.h"

#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtText.h"

#include <QFontDatabase>
#include <QListView>
#include <QStringList>

namespace zeva {

OutputPane::OutputPane(QWidget* parent) : view_(new QListView(parent)) {
    view_->setObjectName(QStringLiteral("lstOutput"));
    view_->setAccessibleName(QStringLiteral("Output"));
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lines_ = new QtLineListBox(view_);
}

void OutputPane::StampBlock(bool queued, std::size_t blockLines) {
    ++block_;
    const int first = queued ? 0 : 1;
    for (int i = first; i < first + int(blockLines) && i < lines_->ListCount(); ++i)
        lines_->SetTag(i, static_cast<qint64>(block_));
}

std::int64_t OutputPane::BlockOf(int line) const {
    return lines_->Tag(line);
}

QString OutputPane::CopyText() const {
    const int row = lines_->ListIndex();
    if (row < 0) return {};
    const qint64 block = lines_->Tag(row);
    if (block == 0) return ToQt(lines_->List(row));
    int top = row, bottom = row;
    while (top > 0 && lines_->Tag(top - 1) == block)
        --top;
    while (bottom + 1 < lines_->ListCount() && lines_->Tag(bottom + 1) == block)
        ++bottom;
    QStringList text;
    for (int i = top; i <= bottom; ++i)
        text << ToQt(lines_->List(i));
    return text.join(QLatin1Char('\n'));
}

} // namespace zeva
