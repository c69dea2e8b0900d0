// SPDX-License-Identifier: MIT
#include "mainwindow/Memo.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLatin1String>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>
#include <algorithm>

namespace {

/// The display width of text in character cells, tabs expanded.
int Columns(QStringView text, int tabColumns) {
    if (!text.contains(u'\t'))
        return static_cast<int>(text.size());
    int columns = 0;
    for (QChar c : text)
        columns = c == u'\t' ? (columns / tabColumns + 1) * tabColumns : columns + 1;
    return columns;
}

} // namespace

TMemo::TMemo(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
}

void TMemo::ClearLines() {
    FText.clear();
    FStarts.assign(1, 0);
    FMaxColumns = 0;
    FAnchor = FCurrent = -1;
    UpdateScrollBars();
    viewport()->update();
}

void TMemo::AddLine(std::string_view line) {
    const qsizetype start = FText.size();
    static constexpr char Specials[] = {'\0', '\n', '\r'};
    if (line.find_first_of(std::string_view(Specials, sizeof Specials)) == std::string_view::npos) {
        FText.append(QLatin1String(line.data(), static_cast<qsizetype>(line.size())));
    } else {
        for (char c : line) {
            switch (c) {
            case '\0':
                FText.append(QChar(NulMark));
                break;
            case '\n':
                FText.append(QChar(LineFeedMark));
                break;
            case '\r':
                FText.append(QChar(CarriageReturnMark));
                break;
            default:
                FText.append(QChar(static_cast<unsigned char>(c)));
            }
        }
    }
    FStarts.push_back(FText.size());
    FMaxColumns = std::max(FMaxColumns, Columns(QStringView(FText).mid(start), TabColumns));
    if (FUpdateCount == 0) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMemo::BeginUpdate() {
    ++FUpdateCount;
}

void TMemo::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    UpdateScrollBars();
    viewport()->update();
}

QStringView TMemo::LineView(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return QStringView(FText).mid(FStarts[i], FStarts[i + 1] - FStarts[i]);
}

QString TMemo::Line(int index) const {
    return LineView(index).toString();
}

QString TMemo::JoinLines(int first, int last) const {
    QString text;
    for (int i = first; i <= last; ++i) {
        if (i > first)
            text += u'\n';
        text += LineView(i);
    }
    return text;
}

QString TMemo::Text() const {
    return JoinLines(0, LineCount() - 1);
}

QString TMemo::SelectedText() const {
    if (FAnchor < 0)
        return QString();
    return JoinLines(std::min(FAnchor, FCurrent), std::max(FAnchor, FCurrent));
}

void TMemo::SelectAll() {
    if (LineCount() == 0)
        return;
    FAnchor = 0;
    FCurrent = LineCount() - 1;
    viewport()->update();
}

void TMemo::CopySelection() const {
    if (FAnchor >= 0)
        QApplication::clipboard()->setText(SelectedText());
}

int TMemo::LineHeight() const {
    return std::max(fontMetrics().lineSpacing(), 1);
}

int TMemo::VisibleLines() const {
    return std::max(viewport()->height() / LineHeight(), 1);
}

int TMemo::LineAt(int y) const {
    if (LineCount() == 0)
        return -1;
    const int line = verticalScrollBar()->value() + std::max(y, 0) / LineHeight();
    return std::min(line, LineCount() - 1);
}

bool TMemo::Selected(int line) const {
    return FAnchor >= 0 && line >= std::min(FAnchor, FCurrent) &&
           line <= std::max(FAnchor, FCurrent);
}

void TMemo::UpdateScrollBars() {
    const int visible = VisibleLines();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(LineCount() - visible, 0));
    vertical->setPageStep(visible);
    vertical->setSingleStep(1);
    const int cell = std::max(fontMetrics().horizontalAdvance(u'0'), 1);
    const int width = FMaxColumns * cell + 2 * Margin;
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(width - viewport()->width(), 0));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(cell);
}

void TMemo::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.color(QPalette::Base));
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const int height = LineHeight();
    const int cell = std::max(fontMetrics().horizontalAdvance(u'0'), 1);
    QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(TabColumns * cell);
    const qreal x = Margin - horizontalScrollBar()->value();
    const qreal width = FMaxColumns * cell + 2 * Margin;
    int y = 0;
    for (int line = verticalScrollBar()->value(); line < LineCount() && y < viewport()->height();
         ++line, y += height) {
        const QRect row(0, y, viewport()->width(), height);
        if (Selected(line)) {
            painter.fillRect(row, colours.color(group, QPalette::Highlight));
            painter.setPen(colours.color(group, QPalette::HighlightedText));
        } else {
            painter.setPen(colours.color(group, QPalette::Text));
        }
        painter.drawText(QRectF(x, y, width, height), LineView(line).toString(), option);
    }
}

void TMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateScrollBars();
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        vertical->triggerAction(QAbstractSlider::SliderToMinimum);
        horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        vertical->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TMemo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int line = LineAt(event->position().toPoint().y());
    if (!(event->modifiers() & Qt::ShiftModifier) || FAnchor < 0)
        FAnchor = line;
    FCurrent = line;
    viewport()->update();
}

void TMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || FAnchor < 0)
        return;
    const int y = event->position().toPoint().y();
    // Dragging past an edge scrolls the lines along.
    if (y < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    FCurrent = LineAt(std::min(y, viewport()->height() - 1));
    viewport()->update();
}

void TMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction("&Copy", this, &TMemo::CopySelection);
    copy->setEnabled(FAnchor >= 0);
    menu.addAction("Select &All", this, &TMemo::SelectAll)->setEnabled(LineCount() > 0);
    menu.exec(event->globalPos());
}
