// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QCursor>
#include <QLabel>
#include <functional>
#include <string>

/// A label that is a link: drawn blue and underlined with the hand pointer, it hands its URL
/// to the desktop shell on a click (mail links to the registered browser when that is the one
/// program that takes them on its command line) and turns FontColorVisited once a link was
/// opened. URL follows the caption while it was the caption, or empty.
///
/// Set the caption with SetCaption. QLabel::setText cannot be intercepted; a caption set
/// that way is noticed when the label is next painted or clicked or its URL is read.
class TVxLbl : public QLabel {
    Q_OBJECT

public:
    /// A handler of one of the label's events; it gets the label.
    using TNotifyEvent = std::function<void(TVxLbl*)>;

    explicit TVxLbl(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    std::string URL() const;
    void SetURL(const std::string& url);

    QColor FontColorVisited() const { return FFontColorVisited; }
    void SetFontColorVisited(const QColor& colour) { FFontColorVisited = colour; }

    void SetOnMouseEnter(TNotifyEvent handler) { FOnMouseEnter = std::move(handler); }
    void SetOnMouseLeave(TNotifyEvent handler) { FOnMouseLeave = std::move(handler); }
    /// A click handler replaces the opening of URL.
    void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }

    /// Opens url through the shell: true when it was opened (the label then turns
    /// FontColorVisited) or when there was nothing to open; false when the shell refused it.
    bool OpenURL(const std::string& url);

    /// The upper-case full path of the program the desktop opens files ending in ext with.
    static std::string ProgramForExtension(const std::string& ext);

    /// The program's hand pointer (resource "HAND"), hot spot at the tip of the finger.
    static const QCursor& HandCursor();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Click();
    /// Lets URL follow a changed caption; const because reading URL must see the caption
    /// that QLabel::setText may have changed behind the label's back.
    void CaptionChanged() const;
    void SetFontColor(const QColor& colour);

    mutable QString FURL;
    mutable QString FOldCaption;
    QColor FFontColorVisited = QColor(0x80, 0x00, 0x80);
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
    TNotifyEvent FOnClick;
    bool FPressed = false;
};
