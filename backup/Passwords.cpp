#include "backup/Passwords.h"

#include "data/Cp1250.h"
#include "data/Settings.h"

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

bool HasAdminPassword()
{
    return !ReadSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN")).isEmpty();
}

bool AdminPasswordMatches(const QString& entry)
{
    // An empty entry is a wrong password: it must not open the commands of a
    // database that has one.
    const QByteArray stored = ReadSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN"));
    return !entry.isEmpty() && !stored.isEmpty() && PasswordDigest(entry) == stored;
}

void StoreAdminPassword(const QString& password)
{
    WriteSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN"),
                      password.isEmpty() ? QByteArray() : PasswordDigest(password));
}
