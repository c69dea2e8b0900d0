// SPDX-License-Identifier: MIT
#include "widgets/LinkLabel.h"

#include "platform/Latin1.h"
#include "platform/Shell.h"
#include "widgets/ErrorDisplay.h"

#include <QMouseEvent>
#include <QPixmap>

namespace {

// The tip of the index finger in hand.xpm.
constexpr int HandHotX = 10;
constexpr int HandHotY = 1;

/// text without the blanks and control characters at either end.
QString Trimmed(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= ' ') {
        ++first;
    }
    while (last > first && text[last - 1].unicode() <= ' ') {
        --last;
    }
    return text.mid(first, last - first);
}

/// The part of path after its last "/".
std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// The resources of a static library are registered only when asked for by name.
static void InitControlsResources() {
    Q_INIT_RESOURCE(tabbit_widgets);
}

const QCursor& TVxLbl::HandCursor() {
    static const QCursor hand = [] {
        InitControlsResources();
        return QCursor(QPixmap(":/HAND"), HandHotX, HandHotY);
    }();
    return hand;
}

TVxLbl::TVxLbl(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(HandCursor());
    SetFontColor(QColor(0x00, 0x00, 0xFF));
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setProperty("autoSize", true);
    FOldCaption = text();
}

std::string TVxLbl::Caption() const {
    return FromQString(text());
}

void TVxLbl::SetCaption(const std::string& caption) {
    setText(ToQString(caption));
    if (property("autoSize").toBool()) {
        adjustSize();
    }
    CaptionChanged();
}

std::string TVxLbl::URL() const {
    CaptionChanged();
    return FromQString(FURL);
}

void TVxLbl::SetURL(const std::string& url) {
    CaptionChanged();
    FURL = ToQString(url);
}

void TVxLbl::CaptionChanged() const {
    const QString caption = text();
    if (caption == FOldCaption) {
        return;
    }
    const QString url = Trimmed(FURL);
    if (url.isEmpty() || url == Trimmed(FOldCaption)) {
        FURL = caption;
    }
    FOldCaption = caption;
}

void TVxLbl::SetFontColor(const QColor& colour) {
    QPalette coloured = palette();
    coloured.setColor(QPalette::WindowText, colour);
    setPalette(coloured);
}

bool TVxLbl::OpenURL(const std::string& url) {
    if (Trimmed(ToQString(url)).isEmpty()) {
        return true;
    }
    TShell& shell = Shell();
    int code = 0;
    if (ToQString(url).left(7).compare("MAILTO:", Qt::CaseInsensitive) == 0) {
        // That browser takes a mail link on its command line; every other program gets it
        // from the desktop's own mail handler.
        const std::string browser = shell.ProgramForExtension(".htm");
        if (ToQString(FileNamePart(browser)).compare("NETSCAPE.EXE", Qt::CaseInsensitive) == 0) {
            code = shell.WinExec(browser + ' ' + url);
        } else {
            code = shell.ShellExecuteOpen(url);
        }
    } else {
        code = shell.ShellExecuteOpen(url);
    }
    if (code <= 32) {
        return false;
    }
    SetFontColor(FFontColorVisited);
    return true;
}

std::string TVxLbl::ProgramForExtension(const std::string& ext) {
    return Shell().ProgramForExtension(ext);
}

void TVxLbl::Click() {
    Guarded([this] {
        if (FOnClick) {
            FOnClick(this);
        } else {
            OpenURL(URL());
        }
    });
}

void TVxLbl::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (FOnMouseEnter) {
        Guarded([this] { FOnMouseEnter(this); });
    }
}

void TVxLbl::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (FOnMouseLeave) {
        Guarded([this] { FOnMouseLeave(this); });
    }
}

void TVxLbl::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        FPressed = true;
        event->accept();
    }
}

void TVxLbl::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !FPressed) {
        return;
    }
    FPressed = false;
    event->accept();
    // Like a button: releasing outside the label takes the click back.
    if (rect().contains(event->position().toPoint())) {
        Click();
    }
}

void TVxLbl::paintEvent(QPaintEvent* event) {
    CaptionChanged();
    QLabel::paintEvent(event);
}
