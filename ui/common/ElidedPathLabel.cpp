#include "ui/common/ElidedPathLabel.h"

#include <QFontMetrics>

namespace {
// Room for about forty characters: enough for a usual path, never more.
constexpr int kPreferredCharacters = 40;
constexpr int kMinimumCharacters = 12;
} // namespace

ElidedPathLabel::ElidedPathLabel(QWidget* parent) : QLabel(parent)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ElidedPathLabel::setPath(const QString& path)
{
    m_path = path;
    setToolTip(path);
    refresh();
}

QString ElidedPathLabel::shownText() const { return text(); }

QSize ElidedPathLabel::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.averageCharWidth() * kPreferredCharacters, fm.height()};
}

QSize ElidedPathLabel::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.averageCharWidth() * kMinimumCharacters, fm.height()};
}

void ElidedPathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void ElidedPathLabel::refresh()
{
    QLabel::setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, width()));
}
