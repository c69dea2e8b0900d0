// SPDX-License-Identifier: MIT
// Shows the about box over a stand-in main window, to look at it (not a test). With a file
// name as argument it saves a picture of the box there after a moment and ends.
#include "dialogs/AboutBox.h"

#include "widgets/ApplicationTitle.h"
#include "widgets/Modal.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProgramVersion = "1.1";

    QWidget main;
    main.setWindowTitle(QStringLiteral("Create file with random records"));
    main.resize(431, 480);
    main.move(100, 80);
    main.show();
    main.activateWindow();

    TFormAbout2 about(&main);
    if (argc > 1) {
        const QString picture = QString::fromLocal8Bit(argv[1]);
        QTimer::singleShot(1500, &about, [&about, picture] {
            about.grab().save(picture);
            about.done(0);
        });
    }
    QTimer::singleShot(300, &about, [&] {
        ShowModal(about);
        app.quit();
    });
    return app.exec();
}
