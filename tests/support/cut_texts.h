// The texts a window shows cut: a caption (label, button, check box), a column or row heading,
// a combo box's text or a table cell whose text is wider (or a label's taller) than the room
// its widget gives it and that the window does not show whole in another way (a cut cell may
// show its whole text on hover). Only what is visible counts.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHelpEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QWidget>

namespace vk7::test {

struct CutText {
    std::string where;  // window, widget and (for a heading or cell) its place
    std::string text;
    int needs = 0;      // pixels the text needs
    int has = 0;        // pixels its widget gives it
};

inline std::string widgetName(const QWidget* w) {
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    return (w->window()->objectName() + "/" + name).toStdString();
}

// The caption with the mnemonic marks removed, as it is drawn.
inline QString drawnCaption(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

inline int widestLine(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

inline void checkLabel(const QLabel* l, std::vector<CutText>& cut) {
    if (l->text().isEmpty() || !l->pixmap().isNull() || l->textFormat() == Qt::RichText) return;
    const QFontMetrics fm = l->fontMetrics();
    const QString text = drawnCaption(l->text());
    const int margin = l->margin();
    const QRect room = l->contentsRect().adjusted(margin, margin, -margin, -margin);
    if (l->wordWrap()) {
        const int needs = l->heightForWidth(l->width());
        if (needs > l->height()) cut.push_back({widgetName(l) + " (height)", text.toStdString(), needs, l->height()});
        return;
    }
    const int width = widestLine(fm, text);
    if (width > room.width()) cut.push_back({widgetName(l), text.toStdString(), width, room.width()});
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    // A line's descent may touch the edge; a line that loses more than that is cut.
    const int height = fm.ascent() + (lines - 1) * fm.lineSpacing();
    if (height > room.height()) cut.push_back({widgetName(l) + " (height)", text.toStdString(), height, room.height()});
}

inline void checkButton(const QAbstractButton* b, std::vector<CutText>& cut) {
    if (b->text().isEmpty()) return;
    const QString text = drawnCaption(b->text());
    if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)) {
        // The indicator, its spacing and the text: the size hint is exact for these.
        if (b->sizeHint().width() > b->width())
            cut.push_back({widgetName(b), text.toStdString(), b->sizeHint().width(), b->width()});
        return;
    }
    if (const auto* t = qobject_cast<const QToolButton*>(b); t && t->toolButtonStyle() == Qt::ToolButtonIconOnly &&
                                                             !t->icon().isNull())
        return;
    int needs = b->fontMetrics().horizontalAdvance(text) + 4;
    if (!b->icon().isNull()) needs += b->iconSize().width() + 4;
    if (needs > b->width()) cut.push_back({widgetName(b), text.toStdString(), needs, b->width()});
}

inline void checkComboBox(const QComboBox* c, std::vector<CutText>& cut) {
    const QString text = c->currentText();
    if (text.isEmpty()) return;
    // The drop-down arrow and the frame take about 24 pixels of the box.
    const int needs = c->fontMetrics().horizontalAdvance(text);
    const int has = c->width() - 24;
    if (needs > has) cut.push_back({widgetName(c), text.toStdString(), needs, has});
}

inline void checkGroupBox(const QGroupBox* g, std::vector<CutText>& cut) {
    if (g->title().isEmpty()) return;
    const QString text = drawnCaption(g->title());
    // The title sits inside the frame, a few pixels in from either side.
    const int needs = g->fontMetrics().horizontalAdvance(text);
    const int has = g->width() - 16;
    if (needs > has) cut.push_back({widgetName(g), text.toStdString(), needs, has});
}

inline void checkHeader(const QHeaderView* h, std::vector<CutText>& cut) {
    if (!h->isVisible() || !h->model()) return;
    for (int i = 0; i < h->count(); ++i) {
        if (h->isSectionHidden(i)) continue;
        const QString text = h->model()->headerData(i, h->orientation(), Qt::DisplayRole).toString();
        if (text.trimmed().isEmpty()) continue;
        // The text between the heading's margins, across a column or along a row heading.
        const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
        const int need = h->fontMetrics().horizontalAdvance(text) + 2 * margin;
        const int has = h->orientation() == Qt::Horizontal ? h->sectionSize(i) : h->width();
        if (need > has)
            cut.push_back({widgetName(h->parentWidget()) + (h->orientation() == Qt::Horizontal ? " heading " : " row heading ") +
                               std::to_string(i),
                           text.toStdString(), need, has});
    }
}

// Whether resting the mouse at `at` (a cell) shows its whole text.
inline bool wholeTextOnHover(const QTableView* t, QPoint at, const QString& text) {
    QHelpEvent event(QEvent::ToolTip, at, t->viewport()->mapToGlobal(at));
    QApplication::sendEvent(t->viewport(), &event);
    return QToolTip::isVisible() && QToolTip::text() == text;
}

// Cells of a table: each text against the part of its cell the view shows (a column may be
// narrower than its text, or run past the view's edge); cells scrolled wholly out of sight are
// left out. A cut cell that marks the cut ("…") and shows its whole text on hover counts as
// whole.
inline void checkTable(const QTableView* t, std::vector<CutText>& cut) {
    const QAbstractItemModel* m = t->model();
    if (!m) return;
    for (int c = 0; c < m->columnCount(); ++c) {
        if (t->isColumnHidden(c)) continue;
        for (int r = 0; r < m->rowCount(); ++r) {
            if (t->isRowHidden(r)) continue;
            const QModelIndex index = m->index(r, c);
            const QString text = index.data(Qt::DisplayRole).toString();
            if (text.trimmed().isEmpty()) continue;
            const int needs = t->sizeHintForIndex(index).width();
            // The part of the cell the view shows: a column may run past the view's edge.
            const QRect shown = t->visualRect(index).intersected(t->viewport()->rect());
            if (shown.isEmpty()) continue;  // scrolled out of sight
            const int has = shown.width();
            // A cell that cuts without "…" gives no sign that it does: hovering is no remedy.
            const bool marked = t->textElideMode() != Qt::ElideNone;
            if (needs > has + 1 && !(marked && wholeTextOnHover(t, shown.center(), text)))
                cut.push_back({widgetName(t) + " cell " + std::to_string(r) + "," + std::to_string(c), text.toStdString(),
                               needs, has});
        }
    }
}

// Every visible text of `window` that is cut.
inline std::vector<CutText> cutTexts(const QWidget* window) {
    std::vector<CutText> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->width() <= 0) continue;
        if (const auto* l = qobject_cast<const QLabel*>(w)) checkLabel(l, cut);
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) checkButton(b, cut);
        else if (const auto* c = qobject_cast<const QComboBox*>(w)) checkComboBox(c, cut);
        else if (const auto* g = qobject_cast<const QGroupBox*>(w)) checkGroupBox(g, cut);
        else if (const auto* h = qobject_cast<const QHeaderView*>(w)) checkHeader(h, cut);
        else if (const auto* t = qobject_cast<const QTableView*>(w)) checkTable(t, cut);
    }
    return cut;
}

}  // namespace vk7::test
