// A document the desktop does not open is not lost from sight: the message
// names where it is and offers its folder; a document in the temporary folder
// gets the status bar note that it is kept until the program closes.
#include "data/Paths.h"
#include "data/Shell.h"
#include "data/TestMode.h"
#include "ui/common/OpenedDocuments.h"

#include <QApplication>
#include <QDir>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}
} // namespace

TEST(OpenedDocuments, WhatTheClerkIsToldWhenADocumentDoesOrDoesNotOpen)
{
    app();
    testmode::enable();
    QTemporaryDir program;
    const QString temp = program.path() + "/Temp";
    const QString data = program.path() + "/Data";
    QDir().mkpath(temp + "/TmpL226");
    QDir().mkpath(data);
    const QString savedTemp = paths().tempFolder;
    paths().tempFolder = temp;
    QWidget mainWindow;
    auto* bar = new QStatusBar(&mainWindow);
    bar->setObjectName("StatusBar1");
    (new QVBoxLayout(&mainWindow))->addWidget(bar);
    mainWindow.show();
    InstallOpenedDocumentNotices();

    const QString tempDoc = temp + "/TmpL226/Dispozitie0.rtf";
    const QString dataDoc = data + "/C12.rtf";
    const struct {
        const char* rule;
        QString path;
        QList<bool> opens;        // the desktop's answers: the document, then its folder
        Answer folderAnswer;      // to "Deschidem folderul ...?"
        QStringList opened;       // paths handed to the desktop, in order
        QStringList titles;       // messages shown
        bool named;               // the first message names the path
        bool noted;               // the status bar says it is kept until the end
    } cases[] = {
        {"opened temporary document", tempDoc, {true}, Answer::No, {tempDoc}, {}, false, true},
        {"opened data document", dataDoc, {true}, Answer::No, {dataDoc}, {}, false, false},
        {"unopened temporary document, folder opened", tempDoc, {false, true}, Answer::Yes, {tempDoc, temp + "/TmpL226"},
         {"Deschidere document"}, true, true},
        {"unopened document, folder declined", dataDoc, {false}, Answer::No, {dataDoc}, {"Deschidere document"}, true,
         false},
        {"unopened document, folder fails too", dataDoc, {false, false}, Answer::Yes, {dataDoc, data},
         {"Deschidere document", "Deschidere document"}, true, false},
        {"unopened folder", data, {false}, Answer::No, {data}, {"Deschidere folder"}, true, false},
    };
    for (const auto& c : cases) {
        testmode::clear();
        bar->clearMessage();
        for (bool opens : c.opens)
            testmode::answerShellOpen(opens);
        testmode::answerMessage(c.folderAnswer);
        EXPECT_EQ(ShellOpen(c.path), c.opens.first()) << c.rule;
        QStringList opened, titles;
        for (const testmode::ShellCall& call : testmode::shellCalls())
            opened << call.path;
        for (const testmode::Message& m : testmode::messages())
            titles << m.title;
        EXPECT_EQ(opened, c.opened) << c.rule;
        EXPECT_EQ(titles, c.titles) << c.rule;
        if (c.named) {
            ASSERT_FALSE(testmode::messages().isEmpty()) << c.rule;
            EXPECT_TRUE(testmode::messages()[0].text.contains(QDir::toNativeSeparators(c.path))) << c.rule;
        }
        EXPECT_EQ(bar->currentMessage().contains("se pastreaza pana la inchiderea programului"), c.noted) << c.rule;
        if (c.noted) {
            EXPECT_TRUE(bar->currentMessage().contains(QDir::toNativeSeparators(c.path))) << c.rule;
        }
    }
    SetShellOpenWatcher(nullptr);
    paths().tempFolder = savedTemp;
    testmode::disable();
}
