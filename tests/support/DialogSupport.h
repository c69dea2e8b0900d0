// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the tests that play the user of the program's dialogs: the texts they
// show, the answers to the input box, and the list of the manage dialog.

#include <QAbstractButton>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <deque>

/// The answer that presses Cancel in the input box instead of typing.
inline const char* const Cancel = "<Cancel>";
inline const QString Duplicate = "Duplicate name for record definition!";
inline const QString Unstorable = "Name must not contain \"=\" or begin with \";\" or \"[\"!";

/// The whole content of a file; "<missing>" when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// The text a dialog shows: a message box's text, or the texts of its labels.
inline QString DialogText(const QDialog& dialog) {
    QString text;
    if (const auto* box = qobject_cast<const QMessageBox*>(&dialog)) {
        text = box->text();
    } else {
        QStringList parts;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->text().isEmpty())
                parts << label->text();
        text = parts.join('\n');
    }
    return text.replace("\r\n", "\n");
}

/// Answers the input box with the first queued answer (typed, then OK; or Cancel for the
/// Cancel marker), and records its caption and prompt as "caption|prompt" in inputs.
inline void AnswerInputBox(QDialog& box, std::deque<QString>& answers, QStringList& inputs) {
    inputs << box.windowTitle() + "|" + DialogText(box);
    QVERIFY2(!answers.empty(), "unexpected input box");
    const QString answer = answers.front();
    answers.pop_front();
    auto* edit = box.findChild<QLineEdit*>("Edit");
    QVERIFY(edit);
    if (answer != Cancel)
        QTest::keyClicks(edit, answer);
    auto* button = box.findChild<QAbstractButton*>(answer == Cancel ? "Cancel" : "OK");
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

/// The names the manage dialog lists, in the list's order.
inline QStringList Names(const QDialog& form) {
    const auto* list = form.findChild<QListWidget*>("ListBoxDefs");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

/// Selects a name in the manage dialog's list with the mouse.
inline void Select(const QDialog& form, const QString& name) {
    auto* list = form.findChild<QListWidget*>("ListBoxDefs");
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.front()).center());
    QCOMPARE(list->selectedItems(), items);
}

/// Escape pressed in the manage dialog's list.
inline void Escape(const QDialog& form) {
    QTest::keyClick(form.findChild<QListWidget*>("ListBoxDefs"), Qt::Key_Escape);
}
