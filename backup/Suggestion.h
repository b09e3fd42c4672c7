// Sending a suggestion to the publisher: one HTTP GET to the suggestion
// address with the contact data and the text as query parameters, each
// percent-encoded so that "&", "=", "+", "%" and "#" arrive as typed.
#pragma once

#include <QString>
#include <QStringList>

struct Suggestion {
    QString name;
    QString place;
    QString phone;
    QString email;
    QStringList lines;   // the suggestion, line by line
};

// Machine setting ADRESA_SUGESTII, else the publisher's address.
QString SuggestionUrl();

// The suggestion's lines, each cleaned, joined with "%0D%0A" (the form whose
// length the sender checks).
QString JoinedSuggestion(const QStringList& lines);

// The first check a suggestion fails before it may be sent: the field
// (Name, Phone, Email, Text) and the message, or field None. Name and phone
// are checked as CleanText leaves them; the text needs more than a few
// characters per line.
struct SuggestionProblem {
    enum Field { None, Name, Phone, Email, Text } field = None;
    QString message;
};
SuggestionProblem CheckSuggestion(const Suggestion& s);

// "nume=Hestavo : <name>&comuna=...&telefon_fax=...&mail=...&produs=<lines
// joined by CR LF>", every value percent-encoded.
QString SuggestionQuery(const Suggestion& s);

// Sends the suggestion and reads the reply through replyFile (deleted
// afterwards). True when the reply's lines, cleaned and joined, contain
// "SUCCES".
bool SendSuggestion(const Suggestion& s, const QString& url, const QString& replyFile);
