#include "backup/Passwords.h"

#include "app/MessageDialog.h"
#include "data/Cp1250.h"
#include "data/Settings.h"

#include <QApplication>

#include <cstdint>

namespace {

// The linear congruential generator whose sequence the stored digests were
// made with: seed * 134775813 + 1 modulo 2^32, a draw in [0, n) taken from the
// high half of seed * n.
class Generator {
public:
    explicit Generator(std::uint32_t seed) : m_seed(seed) {}
    int draw(int n)
    {
        m_seed = m_seed * 134775813u + 1u;
        return int((std::uint64_t(m_seed) * std::uint64_t(std::uint32_t(n))) >> 32);
    }
private:
    std::uint32_t m_seed;
};

} // namespace

QByteArray PasswordDigest(const QByteArray& password)
{
    std::uint32_t sum = 0;
    for (char c : password)
        sum += static_cast<unsigned char>(c);
    Generator rnd(sum);

    QByteArray s = password;
    const int inserts = rnd.draw(30) + 6;
    for (int n = 0; n < inserts; ++n) {
        const int pos = rnd.draw(int(s.size())) + 1;   // 1-based place of the new character
        const char c = char(rnd.draw(150) + 32);
        s.insert(pos - 1, c);
    }
    const int swaps = rnd.draw(50) + 50;
    s.prepend(' ');
    for (int n = 0; n < swaps; ++n) {
        const int length = int(s.size());
        const int i = rnd.draw(length - 2) + 2;
        const int j = rnd.draw(length - 2) + 2;
        // 1-based positions; the first character is the scratch place and
        // keeps the last s[i].
        s[0] = s[i - 1];
        s[i - 1] = s[j - 1];
        s[j - 1] = s[0];
    }
    return s;
}

QByteArray PasswordDigest(const QString& password) { return PasswordDigest(toCp1250(password)); }

bool AdministratorUnlock(const std::function<std::optional<QString>()>& askPassword)
{
    const QByteArray stored = ReadSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN"));
    if (stored.isEmpty()) {
        MessageDialog::Mesaj(QStringLiteral("Administrare"), QStringLiteral("\rATENTIE!\rNu aveti nicio parola!"), kButtonOK,
                      kKindWarning);
        return true;
    }
    const std::optional<QString> entry = askPassword();
    if (!entry)
        return false;
    // An empty entry is a wrong password: it must not open the commands of a
    // database that has one.
    if (!entry->isEmpty() && PasswordDigest(*entry) == stored)
        return true;
    MessageDialog::Mesaj(QStringLiteral("Greseala!"), QStringLiteral("PAROLA INCORECTA !"), kButtonOK, kKindError);
    return false;
}

bool ChangeAdminPassword(const QString& newPassword, const QString& repeated)
{
    if (newPassword != repeated) {
        QApplication::beep();
        MessageDialog::Mesaj(QStringLiteral("Eroare la completare"),
                      QStringLiteral("Nu ati scris parola noua la fel in cele doua casute !"), kButtonOK, kKindError);
        return false;
    }
    if (!newPassword.isEmpty()) {
        WriteSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN"), PasswordDigest(newPassword));
        MessageDialog::Mesaj(QStringLiteral("Confirmare"), QStringLiteral("\rParola a fost schimbata cu succes!"), kButtonOK,
                      kKindInformation);
        return true;
    }
    if (MessageDialog::Mesaj(QStringLiteral("Eroare la completare"),
                      QStringLiteral("ATENTIE !\rDoriti sa dezactivati parola de administrator?"), kButtonsYesNo,
                      kKindWarning)
        != kResultYes)
        return false;
    WriteSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN"), QByteArray());
    return true;
}
