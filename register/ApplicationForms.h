// The documents the office keeps for each application in the data folder: the
// full application form ("Anexa 26"), the short one ("Anexa 2 - Forma
// prescurtata") and the social inquiry. Each is filled from its editable
// template the first time it is asked for; afterwards the user's own copy,
// edited or not, is only opened.
#pragma once

#include "register/AdminSettings.h"
#include "register/DocumentRows.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace hestavo {

enum class FormKind { Full, Short, Inquiry };

// A person's name as the forms print it: the family name (the text before the
// first space) and the first names (the rest).
struct NameParts {
    QString family;
    QString given;
};
enum class OneWordName { IsFamilyName, IsGivenName };
NameParts SplitName(const QString& full, OneWordName oneWord);

// <data folder>/"C", "CS" or "A" + NRCRT + ".rtf".
QString FormFile(FormKind kind, qint64 application);

// What a form of the application is filled with: the template (the full form
// of a household with more than four children has its own), the placeholder
// values in the order they are added (the first of a repeated placeholder
// counts), and the warnings about members the template has no rows for.
struct FormContent {
    QString templateFile;
    PageTags tags;
    QStringList warnings;
};
// Throws DocumentRefusal when the application is no longer in the register.
FormContent ComposeForm(FormKind kind, qint64 application, const AdminSettings& settings, const QDate& today);

struct FormOutcome {
    QString path;           // the form's file in the data folder
    bool written = false;   // false: the file was there already and is left as it is
    QStringList warnings;   // shown to the user after a fill
};

// The form's file, filled now unless it exists already. The document is built
// beside its final name and takes that name only when complete, so that a
// failure never leaves a half-written form to be reopened later. Throws
// DocumentRefusal, writing nothing, when the application is gone, the template
// is missing or the file cannot be written.
FormOutcome PrepareForm(FormKind kind, qint64 application, const AdminSettings& settings, const QDate& today);

} // namespace hestavo
