// SPDX-License-Identifier: MIT
#include "widgets/Memo.h"

#include <QAccessible>
#include <QAccessibleWidget>
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
    if (!text.contains(u'\t')) {
        return static_cast<int>(text.size());
    }
    int columns = 0;
    for (QChar c : text) {
        columns = c == u'\t' ? (columns / tabColumns + 1) * tabColumns : columns + 1;
    }
    return columns;
}

/// The memo as a screen reader sees it: a read-only text of several lines.
class TMemoAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TMemoAccessible(TMemo* memo) : QAccessibleWidget(memo, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        int first = 0;
        int last = 0;
        if (selectionIndex != 0 || !Memo()->SelectedLines(first, last)) {
            return;
        }
        *startOffset = Memo()->LineOffset(first);
        *endOffset = Memo()->LineOffset(last) + static_cast<int>(Memo()->Line(last).size());
    }
    int selectionCount() const override {
        int first = 0;
        int last = 0;
        return Memo()->SelectedLines(first, last) ? 1 : 0;
    }
    // The text is read-only and selected by whole lines with the mouse or Ctrl+A.
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    // There is no caret: the text is read from its start.
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int position) override {
        Memo()->ScrollToLine(Memo()->LineOfOffset(position));
    }

    // Both bases have a text(): the widget's by role, the text interface's by range.
    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override {
        return Memo()->TextRange(startOffset, endOffset);
    }
    int characterCount() const override { return Memo()->CharacterCount(); }

    /// A line at a time without joining the whole text, which can be millions of lines.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override {
        if (boundaryType != QAccessible::LineBoundary) {
            return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset,
                                                          endOffset);
        }
        *startOffset = *endOffset = -1;
        if (Memo()->LineCount() == 0 || offset < 0 || offset > Memo()->CharacterCount()) {
            return QString();
        }
        const int line = Memo()->LineOfOffset(offset);
        *startOffset = Memo()->LineOffset(line);
        *endOffset = line + 1 < Memo()->LineCount() ? Memo()->LineOffset(line + 1)
                                                    : Memo()->CharacterCount();
        return Memo()->TextRange(*startOffset, *endOffset);
    }

    QRect characterRect(int offset) const override {
        const QRect r = Memo()->CharacterRect(offset);
        if (r.isNull()) {
            return r;
        }
        return QRect(Memo()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return Memo()->OffsetAt(Memo()->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int) override {
        Memo()->ScrollToLine(Memo()->LineOfOffset(startIndex));
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    TMemo* Memo() const { return static_cast<TMemo*>(widget()); }
};

QAccessibleInterface* MemoAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TMemo") && object && object->isWidgetType()) {
        return new TMemoAccessible(static_cast<TMemo*>(object));
    }
    return nullptr;
}

} // namespace

TMemo::TMemo(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(MemoAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
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
    NotifyTextChanged();
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
        NotifyTextChanged();
    }
}

void TMemo::BeginUpdate() {
    ++FUpdateCount;
}

void TMemo::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) {
        return;
    }
    UpdateScrollBars();
    viewport()->update();
    NotifyTextChanged();
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
        if (i > first) {
            text += u'\n';
        }
        text += LineView(i);
    }
    return text;
}

QString TMemo::Text() const {
    return JoinLines(0, LineCount() - 1);
}

QString TMemo::SelectedText() const {
    if (FAnchor < 0) {
        return QString();
    }
    return JoinLines(std::min(FAnchor, FCurrent), std::max(FAnchor, FCurrent));
}

void TMemo::SelectAll() {
    if (LineCount() == 0) {
        return;
    }
    FAnchor = 0;
    FCurrent = LineCount() - 1;
    viewport()->update();
}

void TMemo::CopySelection() const {
    if (FAnchor >= 0) {
        QApplication::clipboard()->setText(SelectedText());
    }
}

int TMemo::CharacterCount() const {
    return static_cast<int>(FText.size()) + std::max(LineCount() - 1, 0);
}

int TMemo::LineOffset(int line) const {
    return static_cast<int>(FStarts[static_cast<std::size_t>(line)]) + line;
}

int TMemo::LineOfOffset(int offset) const {
    // The last line whose first character lies at or before offset.
    int low = 0;
    int high = std::max(LineCount() - 1, 0);
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (LineOffset(middle) <= offset) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

QString TMemo::TextRange(int start, int end) const {
    start = std::clamp(start, 0, CharacterCount());
    end = std::clamp(end, start, CharacterCount());
    QString text;
    if (start == end) {
        return text;
    }
    text.reserve(end - start);
    for (int line = LineOfOffset(start); line < LineCount(); ++line) {
        const int lineStart = LineOffset(line);
        if (lineStart > end) {
            break;
        }
        if (line > 0 && lineStart > start) {
            text += u'\n';
        }
        const int from = std::max(start - lineStart, 0);
        const int to = std::min(end - lineStart, static_cast<int>(LineView(line).size()));
        if (to > from) {
            text += LineView(line).mid(from, to - from);
        }
    }
    return text;
}

bool TMemo::SelectedLines(int& first, int& last) const {
    if (FAnchor < 0) {
        return false;
    }
    first = std::min(FAnchor, FCurrent);
    last = std::max(FAnchor, FCurrent);
    return true;
}

int TMemo::CellWidth() const {
    return std::max(fontMetrics().horizontalAdvance(u'0'), 1);
}

QRect TMemo::CharacterRect(int offset) const {
    if (offset < 0 || offset >= CharacterCount()) {
        return QRect();
    }
    const int line = LineOfOffset(offset);
    const int column = Columns(LineView(line).left(offset - LineOffset(line)), TabColumns);
    const int x = Margin - horizontalScrollBar()->value() + column * CellWidth();
    const int y = (line - verticalScrollBar()->value()) * LineHeight();
    return QRect(x, y, CellWidth(), LineHeight());
}

int TMemo::OffsetAt(QPoint point) const {
    if (LineCount() == 0 || point.y() < 0 || point.y() >= viewport()->height()) {
        return -1;
    }
    const int line = LineAt(point.y());
    const int column = (point.x() - Margin + horizontalScrollBar()->value()) / CellWidth();
    const QStringView text = LineView(line);
    for (int i = 0; i < text.size(); ++i) {
        if (Columns(text.left(i + 1), TabColumns) > column) {
            return LineOffset(line) + i;
        }
    }
    return -1;
}

void TMemo::ScrollToLine(int line) {
    QScrollBar* vertical = verticalScrollBar();
    if (line < vertical->value()) {
        vertical->setValue(line);
    } else if (line >= vertical->value() + VisibleLines()) {
        vertical->setValue(line - VisibleLines() + 1);
    }
}

void TMemo::NotifyTextChanged() {
    // Only a listening screen reader is told; building its event costs nothing otherwise.
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&event);
}

int TMemo::LineHeight() const {
    return std::max(fontMetrics().lineSpacing(), 1);
}

int TMemo::VisibleLines() const {
    return std::max(viewport()->height() / LineHeight(), 1);
}

int TMemo::LineAt(int y) const {
    if (LineCount() == 0) {
        return -1;
    }
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
    const int cell = CellWidth();
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
    const int cell = CellWidth();
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
    if (event->type() == QEvent::FontChange) {
        UpdateScrollBars();
    }
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
    if (!(event->modifiers() & Qt::ShiftModifier) || FAnchor < 0) {
        FAnchor = line;
    }
    FCurrent = line;
    viewport()->update();
}

void TMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || FAnchor < 0) {
        return;
    }
    const int y = event->position().toPoint().y();
    // Dragging past an edge scrolls the lines along.
    if (y < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (y > viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
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
