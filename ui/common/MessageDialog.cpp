#include "ui/common/MessageDialog.h"

#include "data/TestMode.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>

namespace {
constexpr int kBandWidth = 342;
constexpr int kButtonWidth = 73;
constexpr int kTopBand = 44;
constexpr int kMessageHeight = 65;
constexpr int kMessageWidth = 321;
constexpr int kBottomBand = 44;

struct KindLook {
    QColor from, to;
    QStyle::StandardPixmap icon;
};

KindLook look(int kind)
{
    switch (kind) {
    case kKindWarning:
        return {QColor(0xB7, 0xB1, 0x8A), QColor(0x38, 0x36, 0x23), QStyle::SP_MessageBoxWarning};
    case kKindInformation:
        return {QColor(0xE1, 0xDE, 0xFA), QColor(0x00, 0x00, 0xBB), QStyle::SP_MessageBoxInformation};
    case kKindConfirmation:
        return {QColor(0x81, 0xA2, 0xD3), QColor(0x36, 0x5F, 0x9C), QStyle::SP_MessageBoxQuestion};
    default:
        return {QColor(0xFF, 0xD5, 0xD5), QColor(0xFF, 0x00, 0x00), QStyle::SP_MessageBoxCritical};
    }
}

// Round half to even of num / den (den > 0, num >= 0).
int roundHalfEven(int num, int den)
{
    int q = num / den;
    const int r2 = 2 * (num % den);
    if (r2 > den || (r2 == den && (q % 2) == 1))
        ++q;
    return q;
}
} // namespace

QList<int> buttonLefts(int n)
{
    QList<int> lefts;
    if (n < 1 || n > 4)
        return lefts;
    const int gap = roundHalfEven(kBandWidth - kButtonWidth * n, n + 1);
    for (int k = 1; k <= n; ++k)
        lefts << k * (gap + kButtonWidth) - kButtonWidth;
    return lefts;
}

QString MessageDialog::kindCaption(int kind)
{
    switch (kind) {
    case kKindWarning: return QStringLiteral("Atentie !");
    case kKindInformation: return QStringLiteral("Informatie");
    case kKindConfirmation: return QStringLiteral("Confirmare");
    default: return QStringLiteral("Eroare");
    }
}

MessageDialog::MessageDialog(const QString& title, const QString& text, int buttons, int kind, QWidget* parent)
    : QDialog(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("Erori"));
    setWindowTitle(kindCaption(kind));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                   | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);

    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // A text that does not fit the usual box makes the dialog taller, and a
    // word too long to wrap (a path) makes it wider, up to the screen, so
    // that nothing is cut.
    const QFontMetrics metrics(font());
    int messageWidth = kMessageWidth;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int widest = screen ? screen->availableGeometry().width() - 40 : 1000;
    for (const QString& word : shown.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        messageWidth = std::max(messageWidth, std::min(widest, metrics.horizontalAdvance(word) + 8));
    const int textHeight =
        metrics.boundingRect(QRect(0, 0, messageWidth, 100000), Qt::AlignCenter | Qt::TextWordWrap, shown).height();
    const int messageHeight = std::max(kMessageHeight, textHeight + 8);
    const int dialogWidth = messageWidth + (kBandWidth - kMessageWidth);
    setFixedSize(dialogWidth, kTopBand + messageHeight + 16 + kBottomBand);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Icon"));
    icon->setPixmap(style()->standardIcon(look(kind).icon).pixmap(32, 32));
    icon->setGeometry(8, (kTopBand - 32) / 2, 32, 32);

    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("Titlu"));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    titleLabel->setFont(bold);
    titleLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    titleLabel->setGeometry(48, 0, dialogWidth - 56, kTopBand);

    auto* message = new QLabel(shown, this);
    message->setObjectName(QStringLiteral("Mesaj"));
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    message->setGeometry((dialogWidth - messageWidth) / 2, kTopBand + 8, messageWidth, messageHeight);

    struct B {
        int bit;
        const char* caption;
        Answer result;
    };
    const B order[] = {{kButtonYes, "&Da", Answer::Yes},
                       {kButtonNo, "&Nu", Answer::No},
                       {kButtonCancel, "&Renunt", Answer::Cancel},
                       {kButtonOK, "&OK", Answer::OK}};
    for (const B& b : order) {
        if (!(buttons & b.bit))
            continue;
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.caption).remove(QLatin1Char('&')));
        const int result = int(b.result);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        m_buttons << button;
    }
    const QList<int> lefts = buttonLefts(int(m_buttons.size()));
    const int top = height() - kBottomBand + (kBottomBand - 25) / 2;
    const int shift = (dialogWidth - kBandWidth) / 2;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setGeometry(lefts[i] + shift, top, kButtonWidth, 25);
    QPushButton* chosen = m_buttons.isEmpty() ? nullptr : m_buttons.first();
    if (buttons & kDefaultNo)
        if (auto* no = findChild<QPushButton*>(QStringLiteral("Nu")))
            chosen = no;
    if (chosen) {
        chosen->setDefault(true);
        chosen->setFocus();
    }
}

void MessageDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const KindLook l = look(m_kind);
    QLinearGradient top(0, 0, width(), 0);
    top.setColorAt(0, l.from);
    top.setColorAt(1, l.to);
    p.fillRect(0, 0, width(), kTopBand, top);
    p.fillRect(0, height() - kBottomBand, width(), kBottomBand, top);
}

Answer MessageDialog::Mesaj(const QString& title, const QString& text, int buttons, int kind)
{
    const int defaultNo = buttons & kDefaultNo;
    buttons &= (kButtonYes | kButtonNo | kButtonOK | kButtonCancel);
    if (buttons == 0)
        return Answer::Cancel;
    if (testmode::active()) {
        const Answer result = testmode::takeMessageAnswer(buttons);
        testmode::record({title, text, kind, buttons | defaultNo, result});
        return result;
    }
    buttons |= defaultNo;
    if (kind != kKindWarning && kind != kKindInformation && kind != kKindConfirmation)
        QApplication::beep();
    MessageDialog dialog(title, text, buttons, kind, QApplication::activeWindow());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->geometry().center() - dialog.rect().center());
    const int result = dialog.exec();
    // Escape and the close box reject the dialog, which is the result 2.
    return result == QDialog::Rejected ? Answer::Cancel : Answer(result);
}
