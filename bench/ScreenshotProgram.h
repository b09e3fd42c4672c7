// What the screenshot programs share: an offscreen screen of 1366x768, the
// output folder named on the command line, and a window shown and saved as a
// PNG file whose path is printed.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QWidget>

#include <cstdio>

// A screen of 1366x768, the smallest a town hall's office computer has: the
// offscreen platform reads its screens from a JSON file. Call before the
// QApplication is made.
inline void UseOffscreenScreen()
{
    const QString config = QDir::temp().filePath(QStringLiteral("hestavo-screen-1366x768.json"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(R"({"screens": [{"name": "screen-1", "x": 0, "y": 0, "width": 1366, "height": 768, "dpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
}

// The output folder (created when missing); empty, after printing the usage,
// when none was given.
inline QString ScreenshotFolder(int argc, char** argv, const char* program)
{
    if (argc < 2) {
        std::fprintf(stderr, "%s OUTPUT-FOLDER\n", program);
        return {};
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    return folder;
}

inline bool SaveShot(QWidget& w, const QString& file)
{
    w.show();
    QApplication::processEvents();
    const bool saved = w.grab().save(file);
    if (saved)
        std::printf("%s\n", qPrintable(file));
    else
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return saved;
}
