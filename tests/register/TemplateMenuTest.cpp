// The administration window's templates menu: every leaf of the menu table
// offers edit and restore, and restore works on the file its leaf names.
#include "Fixture.h"

#include "documents/TemplateStore.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/common/MessageDialog.h"

#include <QAction>
#include <QFile>
#include <QMenu>

namespace {

// Captions from the top menu down to each action, joined with " > ".
void collect(QMenu* menu, const QString& prefix, QMap<QString, QAction*>& out)
{
    for (QAction* a : menu->actions()) {
        const QString path = prefix.isEmpty() ? a->text() : prefix + " > " + a->text();
        if (a->menu())
            collect(a->menu(), path, out);
        else
            out.insert(path, a);
    }
}

} // namespace

TEST_F(DataFolderTest, TemplatesMenuOffersEditAndRestoreForEveryTemplate)
{
    AdministrationWindow form;
    QMenu* menu = form.findChild<QMenu*>("ModeleMenu");
    ASSERT_NE(menu, nullptr);
    QMap<QString, QAction*> actions;
    collect(menu, QString(), actions);

    const struct {
        const char* path;
        const char* file;
    } leaves[] = {
        {"Model Cerere > Forma completa", "ModCerere.rtf"},
        {"Model Cerere > Forma prescurtata", "ModCerereS.rtf"},
        {"Model Ancheta", "ModelAncheta2.rtf"},
        {"Model Referat", "Referat.rtf"},
        {"Stat de plata", "Stat.xls"},
        {"Model Dispozitie Unica Stabilire", "StabilireU.xls"},
        {"Model Dispozitie Separata Stabilire", "Stabilire.rtf"},
        {"Model Dispozitie de Modificare", "Modificare.rtf"},
        {"Model Dispozitie Incetare", "Incetare.rtf"},
        {"Model Dispozitie Respingere", "Respingere.rtf"},
        {"Modele Anexe AJPIS > Anexa 17", "Anexa17.xls"},
        {"Modele Anexe AJPIS > Anexa 16", "Anexa16.xls"},
        {"Modele Anexe AJPIS > Anexa 15", "Anexa15.xls"},
        {"Modele Anexe AJPIS > Anexa 14", "Anexa14.xls"},
        {"Model Fisa de verificare in teren", "FisaV.rtf"},
    };
    EXPECT_EQ(actions.size(), 2 * int(std::size(leaves)));
    MaterializeTemplates();
    for (const auto& leaf : leaves) {
        SCOPED_TRACE(leaf.path);
        QAction* edit = actions.value(QString(leaf.path) + " > Modifica modelul");
        QAction* restore = actions.value(QString(leaf.path) + " > Refa modelul initial");
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(restore, nullptr);
        const QString file = paths().dataFolder + "/" + leaf.file;

        testmode::clear();
        edit->trigger();
        ASSERT_EQ(testmode::shellCalls().size(), 1);
        EXPECT_EQ(QDir::cleanPath(testmode::shellCalls()[0].path), QDir::cleanPath(file));

        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("edited");
        f.close();
        testmode::clear();
        testmode::answerMessage(Answer::Yes);
        restore->trigger();
        ASSERT_EQ(testmode::messages().size(), 2);
        EXPECT_EQ(testmode::messages()[1].title, QString("Refacere Model"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_NE(f.readAll(), QByteArray("edited"));
    }
}
