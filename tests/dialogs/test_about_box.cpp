// SPDX-License-Identifier: MIT
#include "dialogs/AboutBox.h"

#include "platform/Shell.h"
#include "tests/support/DesktopFont.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/FormScale.h"
#include "widgets/LinkLabel.h"
#include "widgets/Modal.h"
#include "widgets/ModalResult.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

namespace {

/// Records what the about box hands to the shell; opens nothing.
class TFakeShell : public TShell {
public:
    int ShellExecuteOpen(const std::string& url) override {
        Opened.push_back(url);
        return ShellSuccess;
    }
    std::string ProgramForExtension(const std::string&) override { return {}; }
    int WinExec(const std::string& cmdLine) override {
        Started.push_back(cmdLine);
        return ShellSuccess;
    }

    std::vector<std::string> Opened;
    std::vector<std::string> Started;
};

/// Installs a fake shell for one test.
class TScopedShell {
public:
    TScopedShell() : FPrevious(SetShell(&Fake)) {}
    ~TScopedShell() { SetShell(FPrevious); }
    TFakeShell Fake;

private:
    TShell* FPrevious;
};

/// Creates the file at path with the given modification time; false when that failed.
bool MakeProgramFile(const QString& path, const QDateTime& modified) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("\x7f"
                                                 "ELF") != 4) {
        return false;
    }
    // Written out first, or closing the file would set the time anew.
    f.flush();
    return f.setFileTime(modified, QFileDevice::FileModificationTime);
}

/// Midday in the middle of a year, so that no time zone moves it into another year.
QDateTime MidYear(int year) {
    return QDateTime(QDate(year, 6, 15), QTime(12, 0));
}

template <class T> T* Child(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        qWarning("no child %s", name);
    }
    return child;
}

QString Url(QWidget& form, const char* name) {
    return QString::fromStdString(Child<TVxLbl>(form, name)->URL());
}

/// The position at which a window of outer size size is centred over the outer frame of main.
QPoint CentredOver(const QWidget& main, const QSize& size) {
    const QRect a = main.frameGeometry();
    return {a.left() + a.width() / 2 - size.width() / 2,
            a.top() + a.height() / 2 - size.height() / 2};
}

} // namespace

/// The about box on the offscreen platform.
class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void init() { ProgramVersion = "1.1"; }

    void texts_data();
    void texts();
    void unreadableProgramFileOmitsTheYear();
    void layout();
    void textsFitAtDesktopFonts_data();
    void textsFitAtDesktopFonts();
    void textsAreBuiltOnceWhileEveryShowingRecentres();
    void closingKeys_data();
    void closingKeys();
    void linksGoThroughTheShell();
};

void TestAboutBox::texts_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("mailUrl");

    QTest::newRow("plain") << "tabbit" << 2003 << "Info about tabbit 1.1"
                           << "mailto:tabbit@example.org?subject=tabbit";
    QTest::newRow("renamed, with extension") << "datagen.bin" << 1999 << "Info about datagen 1.1"
                                             << "mailto:tabbit@example.org?subject=datagen.bin";
    QTest::newRow("cut at the first dot")
        << "tabbit.1.1.AppImage" << 2024 << "Info about tabbit 1.1"
        << "mailto:tabbit@example.org?subject=tabbit.1.1.AppImage";
    QTest::newRow("signs of a link encoded")
        << "gen & co #2.x" << 2010 << "Info about gen & co #2 1.1"
        << "mailto:tabbit@example.org?subject=gen%20%26%20co%20%232.x";
    QTest::newRow("non-ASCII name")
        << QString::fromUtf8("prüfer") << 2020 << QString::fromUtf8("Info about prüfer 1.1")
        << "mailto:tabbit@example.org?subject=pr%C3%BCfer";
}

void TestAboutBox::texts() {
    QFETCH(QString, fileName);
    QFETCH(int, year);
    QFETCH(QString, caption);
    QFETCH(QString, mailUrl);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString exe = dir.filePath(fileName);
    QVERIFY(MakeProgramFile(exe, MidYear(year)));

    TFormAbout2 form(nullptr, exe);
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(Child<QLabel>(form, "LabelCopyR")->text(),
             QChar(169) + QString(" %1 The tabbit developers").arg(year));
    QCOMPARE(Url(form, "VxLblMail"), mailUrl);
    QCOMPARE(Child<QLabel>(form, "VxLblMail")->text(), QString("tabbit@example.org"));
    QCOMPARE(Child<QLabel>(form, "VxLbl1")->text(), QString("www.example.org/tabbit"));
    QCOMPARE(Url(form, "VxLbl1"), QString("www.example.org/tabbit"));
}

void TestAboutBox::unreadableProgramFileOmitsTheYear() {
    QTemporaryDir dir;
    TFormAbout2 form(nullptr, dir.filePath("gone"));
    QCOMPARE(Child<QLabel>(form, "LabelCopyR")->text(),
             QChar(169) + QString(" The tabbit developers"));
    QCOMPARE(form.windowTitle(), QString("Info about gone 1.1"));
}

void TestAboutBox::layout() {
    TFormAbout2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The design geometry, grown with the window's font.
    const TFormScale scale = FormScale(form.font());
    QCOMPARE(form.size(), scale.Size({342, 168}));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);

    const auto* image = Child<QLabel>(form, "Image2");
    QCOMPARE(image->geometry(), scale.Rect({10, 10, 120, 125}));
    QCOMPARE(image->pixmap().size(), QSize(120, 125));
    QCOMPARE(Child<QLabel>(form, "LabelCopyR")->pos(), scale.Point({140, 10}));
    QCOMPARE(Child<QLabel>(form, "VxLblMail")->pos(), scale.Point({140, 27}));
    QCOMPARE(Child<QLabel>(form, "VxLbl1")->pos(), scale.Point({140, 46}));
    for (const char* name : {"LabelCopyR", "VxLblMail", "VxLbl1"}) {
        const auto* label = Child<QLabel>(form, name);
        QVERIFY2(label->width() >= label->sizeHint().width(), name);
        QVERIFY2(label->geometry().right() < form.width(), name);
    }
    const auto* ok = Child<QPushButton>(form, "BitBtn1");
    QCOMPARE(ok->geometry(), scale.Rect({193, 140, 75, 25}));
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->property("modalResult").toInt(), int(mrOk));
}

void TestAboutBox::textsAreBuiltOnceWhileEveryShowingRecentres() {
    QTemporaryDir dir;
    const QString exe = dir.filePath("tabbit");
    QVERIFY(MakeProgramFile(exe, MidYear(2005)));

    QWidget main;
    main.setWindowTitle("main");
    main.setGeometry(50, 40, 431, 480);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // No parent: Qt would centre a dialog over its parent by itself and hide a missing FormShow.
    TFormAbout2 form(nullptr, exe);

    // Neither a new version nor a newer program file changes a form that exists.
    ProgramVersion = "9.9";
    QVERIFY(MakeProgramFile(exe, MidYear(2011)));

    struct TSeen {
        QString Caption, Ownership;
        QPoint Pos, Expected;
    };
    std::vector<TSeen> seen;
    const TScopedModalHook hook([&](QDialog& d) {
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        seen.push_back({d.windowTitle(), Child<QLabel>(d, "LabelCopyR")->text(),
                        d.frameGeometry().topLeft(), CentredOver(main, d.frameGeometry().size())});
        QTest::mouseClick(Child<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
    });

    for (const QPoint mainPos : {QPoint(50, 40), QPoint(200, 90)}) {
        main.move(mainPos);
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QCOMPARE(ShowModal(form), int(mrOk));
        QVERIFY(!form.isVisible());
    }

    QCOMPARE(seen.size(), std::size_t(2));
    for (const TSeen& s : seen) {
        QCOMPARE(s.Caption, QString("Info about tabbit 1.1"));
        QCOMPARE(s.Ownership, QChar(169) + QString(" 2005 The tabbit developers"));
        QCOMPARE(s.Pos, s.Expected);
    }
    QVERIFY(seen[0].Pos != seen[1].Pos);
}

void TestAboutBox::closingKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(mrOk);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(mrOk);
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(mrOk);
    QTest::newRow("close box") << 0 << int(mrCancel);
}

void TestAboutBox::closingKeys() {
    QFETCH(int, key);
    QFETCH(int, result);
    TFormAbout2 form;
    const TScopedModalHook hook([&](QDialog& d) {
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        if (key) {
            QTest::keyClick(&d, Qt::Key(key));
        } else {
            d.close();
        }
        QVERIFY(!d.isVisible());
    });
    QCOMPARE(ShowModal(form), result);
}

void TestAboutBox::linksGoThroughTheShell() {
    QTemporaryDir dir;
    const QString exe = dir.filePath("tabbit");
    QVERIFY(MakeProgramFile(exe, MidYear(2005)));
    const TScopedShell shell;
    TFormAbout2 form(nullptr, exe);

    const TScopedModalHook hook([&](QDialog& d) {
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::mouseClick(Child<QLabel>(d, "VxLblMail"), Qt::LeftButton);
        QTest::mouseClick(Child<QLabel>(d, "VxLbl1"), Qt::LeftButton);
        QVERIFY(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Return);
    });
    QCOMPARE(ShowModal(form), int(mrOk));

    const std::vector<std::string> expected = {"mailto:tabbit@example.org?subject=tabbit",
                                               "www.example.org/tabbit"};
    QCOMPARE(shell.Fake.Opened, expected);
    QVERIFY(shell.Fake.Started.empty());
}

void TestAboutBox::textsFitAtDesktopFonts_data() {
    AddDesktopFontRows();
}

void TestAboutBox::textsFitAtDesktopFonts() {
    QFETCH(int, points);
    const TDesktopFont desktop(points);
    TFormAbout2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.font().pointSize(), points);
    QCOMPARE(form.size(), FormScale(desktop.Font()).Size({342, 168}));
    // Every text lies whole inside the window and clear of the picture and the button.
    const QRect image = Child<QLabel>(form, "Image2")->geometry();
    const auto* ok = Child<QPushButton>(form, "BitBtn1");
    QVERIFY(FitsSizeHint(*ok));
    for (const char* name : {"LabelCopyR", "VxLblMail", "VxLbl1"}) {
        const auto* label = Child<QLabel>(form, name);
        QVERIFY2(label->size() == label->sizeHint(), name);
        QVERIFY2(form.rect().contains(label->geometry()), name);
        QVERIFY2(!label->geometry().intersects(image), name);
        QVERIFY2(!label->geometry().intersects(ok->geometry()), name);
    }
}

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
