// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <string_view>
#include <vector>

/// A read-only, unwrapped text area that shows 8-bit records one per line, with both scroll
/// bars, in the widget's (fixed-pitch) font. Lines are kept in one buffer and only the
/// visible ones are drawn, so a million lines cost little more than their characters.
/// Between BeginUpdate and EndUpdate added lines are only collected; the widget takes them
/// over once at the end. Whole lines can be selected with the mouse or Ctrl+A and copied.
/// Bytes that would break the line or end the text are shown as placeholders: CR as U+2190
/// (left arrow), LF as U+2193 (down arrow), NUL as U+2205 (empty set). All three lie outside
/// Latin-1, so they can never be mistaken for a byte of the record itself.
class TMemo : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);

    static constexpr char16_t CarriageReturnMark = u'\u2190';
    static constexpr char16_t LineFeedMark = u'\u2193';
    static constexpr char16_t NulMark = u'\u2205';

    /// Removes all lines.
    void ClearLines();
    /// Adds line (Latin-1 bytes) as one new last line.
    void AddLine(std::string_view line);
    void BeginUpdate();
    /// Shows the lines added since the outermost BeginUpdate.
    void EndUpdate();

    int LineCount() const { return static_cast<int>(FStarts.size()) - 1; }
    QString Line(int index) const;
    /// All lines, each but the last followed by a line feed.
    QString Text() const;
    /// The selected lines in the same form; empty when none is selected.
    QString SelectedText() const;
    void SelectAll();
    void CopySelection() const;

    // The lines as one text, each but the last followed by a line feed, addressed by
    // character offsets: what a screen reader reads.

    /// The number of characters of Text().
    int CharacterCount() const;
    /// The characters from start up to but not including end of Text().
    QString TextRange(int start, int end) const;
    /// The line that holds the character at offset (the line feed after it counts to it).
    int LineOfOffset(int offset) const;
    /// The offset of the first character of line.
    int LineOffset(int line) const;
    /// The first and last selected lines; false when none is selected.
    bool SelectedLines(int& first, int& last) const;
    /// The rectangle of the character at offset in the coordinates of the viewport.
    QRect CharacterRect(int offset) const;
    /// The offset of the character at point (viewport coordinates); -1 where there is none.
    int OffsetAt(QPoint point) const;
    /// Scrolls so that line is visible.
    void ScrollToLine(int line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static constexpr int Margin = 2;
    static constexpr int TabColumns = 8;

    QStringView LineView(int index) const;
    /// The lines from first to last, joined by line feeds.
    QString JoinLines(int first, int last) const;
    void UpdateScrollBars();
    int LineHeight() const;
    int VisibleLines() const;
    int LineAt(int y) const;
    int CellWidth() const;
    /// Tells a screen reader that the lines changed.
    void NotifyTextChanged();
    bool Selected(int line) const;

    QString FText;
    /// Where each line starts in FText, and one more entry for the end of the last line.
    std::vector<qsizetype> FStarts{0};
    int FMaxColumns = 0;
    int FUpdateCount = 0;
    int FAnchor = -1;
    int FCurrent = -1;
};
